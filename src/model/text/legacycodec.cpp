#include "legacycodec.h"

#include "escapes.h"
#include "texttesting.h"

#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#  include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {
// Entries of the decoding table that are no character.
constexpr char16_t kAsk = 0x0000;
constexpr char16_t kFails = 0xFFFF;
// Entries of the encoding table other than one or two bytes (length << 16 | bytes).
constexpr quint32 kNotAsked = 0;
constexpr quint32 kEncodeFails = 1;
constexpr quint32 kEncodeAsk = 2;

bool sameBytes(const QByteArray &a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.constData(), b.data(), size_t(a.size())) == 0);
}
} // namespace

int LegacyCodec::platformCodePage()
{
#ifdef Q_OS_WIN
    return int(GetACP());
#else
    return CodePageLayout::kGb18030;
#endif
}

void LegacyCodec::makeDecoder()
{
#ifdef Q_OS_WIN
    if (codePage() == platformCodePage()) {
        m_decoder.emplace(QStringDecoder::System, QStringConverter::Flag::Stateless);
        return;
    }
#endif
    m_decoder.emplace(m_layout.converterName().constData(), QStringConverter::Flag::Stateless);
}

void LegacyCodec::makeEncoder()
{
#ifdef Q_OS_WIN
    if (codePage() == platformCodePage()) {
        m_encoder.emplace(QStringEncoder::System, QStringConverter::Flag::Stateless);
        return;
    }
#endif
    m_encoder.emplace(m_layout.converterName().constData(), QStringConverter::Flag::Stateless);
}

LegacyCodec &LegacyCodec::platform()
{
    thread_local LegacyCodec codec;
    return codec;
}

QString LegacyCodec::name(int codePage)
{
    return CodePageLayout(codePage).displayName();
}

bool LegacyCodec::closesHeader(const uchar *lead, const uchar *begin, const uchar *end)
{
    if (end - lead < 2 || lead[1] != ']' || (end - lead > 2 && lead[2] != '\r' && lead[2] != '\n'))
        return false;
    // The pieces decoded always start at a line start: the line's first byte is found by
    // going back to the last line end before lead.
    const uchar *p = lead;
    while (p > begin && p[-1] != '\n' && p[-1] != '\r')
        --p;
    return *p == '[';
}

LegacyCodec::LegacyCodec(int codePage) : m_layout(codePage)
{
    makeDecoder();
    makeEncoder();
}

void LegacyCodec::restart()
{
    // An ICU converter's error report outlives resetState(): start afresh after one.
    // The new converter is made in place: one moved into place (Qt 6.4) no longer
    // reports errors, and an unassigned sequence would then pass for the character
    // that the converter substitutes for it (in 932, FC FC decodes to U+FFFD, which
    // encodes to FC FC again).
    if (m_decoder->hasError())
        makeDecoder();
    else
        m_decoder->resetState();
    if (m_encoder->hasError())
        makeEncoder();
    else
        m_encoder->resetState();
}

qsizetype LegacyCodec::appendEscapes(QByteArrayView bytes, QString *out)
{
    // An ASCII byte inside a broken sequence is still that character; escapes are
    // kept for the bytes 80..FF, which is all that an escape can stand for.
    qsizetype escapes = 0;
    for (char b : bytes) {
        escapes += uchar(b) >= 0x80;
        out->append(QChar(uchar(b) < 0x80 ? char16_t(uchar(b)) : Escapes::escapeOf(uchar(b))));
    }
    return escapes;
}

bool LegacyCodec::decodeRun(QByteArrayView run, QString *out)
{
    if (!m_decoder->isValid() || !m_encoder->isValid())
        return false;
    restart();
    const QString text = m_decoder->decode(run);
    if (m_decoder->hasError())
        return false;
    // Unassigned or non-canonical sequences may decode without an error report but
    // would come back as other bytes: only what round-trips counts as decoded.
    const QByteArray back = m_encoder->encode(text);
    if (m_encoder->hasError() || !sameBytes(back, run))
        return false;
    out->append(text);
    return true;
}

QString TextTesting::decodeEachSequence(LegacyCodec &codec, QByteArrayView bytes, qsizetype *escaped)
{
    qsizetype escapes = 0;
    QString out;
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = s + bytes.size();
    while (s < end) {
        const int len = codec.m_layout.sequenceLength(s, end);
        if (len == 0) {
            escapes += LegacyCodec::appendEscapes(QByteArrayView(s, 1), &out);
            ++s;
            continue;
        }
        if (len == 2 && LegacyCodec::closesHeader(s, reinterpret_cast<const uchar *>(bytes.data()), end)) {
            escapes += LegacyCodec::appendEscapes(QByteArrayView(s, 1), &out);
            ++s;
            continue;
        }
        const QByteArrayView seq(s, len);
        if (len == 1 && *s < 0x80)
            out.append(QChar(char16_t(*s)));
        else if (!codec.decodeRun(seq, &out))
            escapes += LegacyCodec::appendEscapes(seq, &out);
        s += len;
    }
    if (escaped)
        *escaped = escapes;
    return out;
}

QString LegacyCodec::decode(QByteArrayView bytes, qsizetype *escaped)
{
    QString out;
    const qsizetype escapes = decodeAppend(bytes, &out);
    if (escaped)
        *escaped = escapes;
    return out;
}

void LegacyCodec::fillRow(uchar lead)
{
    if (m_table.empty())
        m_table.assign(size_t(256 * 256), kAsk);
    m_rowFilled[lead] = true;
    QString text;
    // Row 0 holds the bytes from 80 up that are characters alone, a lead byte's row the
    // sequences it starts.
    for (int b = 0; b <= 0xFF; ++b) {
        const uchar seq[2] = {lead, uchar(b)};
        const bool used = lead != 0 ? m_layout.isTrail(uchar(b))
                                    : b >= 0x80 && m_layout.sequenceLength(seq + 1, seq + 2) == 1;
        if (!used)
            continue;
        char16_t &entry = m_table[size_t(lead) * 256 + size_t(b)];
        text.clear();
        if (!decodeRun(lead != 0 ? QByteArrayView(seq, 2) : QByteArrayView(seq + 1, 1), &text))
            entry = kFails;
        else if (text.size() == 1 && !text[0].isSurrogate() && text[0].unicode() != kAsk
                 && text[0].unicode() != kFails)
            entry = text[0].unicode();
    }
}

char16_t LegacyCodec::tableEntry(const uchar *s, int len)
{
    const uchar lead = len == 2 ? s[0] : 0;
    if (!m_rowFilled[lead])
        fillRow(lead);
    return m_table[size_t(lead) * 256 + s[len - 1]];
}

qsizetype LegacyCodec::decodeAppend(QByteArrayView bytes, QString *out)
{
    const qsizetype start = out->size();
    // A sequence gives at most as many code units as it has bytes; a sequence that the
    // converter decodes to more makes room for itself.
    out->resize(start + bytes.size());
    char16_t *d = reinterpret_cast<char16_t *>(out->data()) + start;
    const auto *const begin = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *s = begin;
    const uchar *const end = s + bytes.size();
    qsizetype escapes = 0;
    while (s < end) {
        while (s < end && *s < 0x80)
            *d++ = *s++;
        if (s == end)
            break;
        const int len = m_layout.sequenceLength(s, end);
        if (len == 0 || (len == 2 && s[1] == ']' && closesHeader(s, begin, end))) {
            *d++ = Escapes::escapeOf(*s++);
            ++escapes;
            continue;
        }
        const char16_t entry = len == 2 && m_rowFilled[*s] ? m_table[size_t(*s) * 256 + s[1]]
                               : len <= 2                    ? tableEntry(s, len)
                                                             : kAsk;
        if (entry != kAsk && entry != kFails) {
            *d++ = entry;
            s += len;
            continue;
        }
        // Through the converter (or escapes), appended at the end of what is written.
        out->truncate(d - reinterpret_cast<char16_t *>(out->data()));
        const QByteArrayView seq(s, len);
        if (entry == kFails || !decodeRun(seq, out))
            escapes += appendEscapes(seq, out);
        s += len;
        const qsizetype written = out->size();
        out->resize(written + (end - s));
        d = reinterpret_cast<char16_t *>(out->data()) + written;
    }
    out->truncate(d - reinterpret_cast<char16_t *>(out->data()));
    return escapes;
}

bool LegacyCodec::encodeRun(QStringView run, QByteArray *out)
{
    if (!m_decoder->isValid() || !m_encoder->isValid())
        return false;
    restart();
    const QByteArray bytes = m_encoder->encode(run);
    if (m_encoder->hasError())
        return false;
    // Converters may write a substitute such as "?" (or nothing, for a lone surrogate)
    // without reporting it: the bytes count only if they decode back to the text.
    const QString back = m_decoder->decode(bytes);
    if (m_decoder->hasError() || back != run)
        return false;
    out->append(bytes);
    return true;
}

quint32 LegacyCodec::encodeEntry(char16_t c)
{
    if (m_encodeTable.empty())
        m_encodeTable.assign(size_t(0x10000), kNotAsked);
    quint32 &entry = m_encodeTable[c];
    if (entry == kNotAsked) {
        QByteArray bytes;
        if (!encodeRun(QStringView(&c, 1), &bytes))
            entry = kEncodeFails;
        else if (bytes.size() == 1)
            entry = (1u << 16) | uchar(bytes[0]);
        else if (bytes.size() == 2)
            entry = (2u << 16) | (uint(uchar(bytes[0])) << 8) | uchar(bytes[1]);
        else
            entry = kEncodeAsk;
    }
    return entry;
}

bool LegacyCodec::encode(QStringView text, QByteArray *out, qsizetype *badPos, bool *escapes)
{
    const qsizetype start = out->size();
    out->resize(start + kMaxBytesPerUnit * text.size());
    const qsizetype written = encodeInto(text, out->data() + start, badPos, escapes);
    out->truncate(start + std::max(written, qsizetype(0)));
    return written >= 0;
}

qsizetype LegacyCodec::encodeInto(QStringView text, char *const dst, qsizetype *badPos, bool *escapes)
{
    char *d = dst;
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    for (const char16_t *p = begin; p < end;) {
        const char16_t c = *p;
        if (c < 0x80) {
            *d++ = char(c);
            ++p;
            continue;
        }
        // The low half of a surrogate pair may look like an escape; it is not one.
        const bool pair = QChar::isHighSurrogate(c) && p + 1 < end && QChar::isLowSurrogate(p[1]);
        if (!pair && Escapes::isEscape(c)) {
            *d++ = char(Escapes::byteOf(c));
            if (escapes)
                *escapes = true;
            ++p;
            continue;
        }
        const quint32 known = m_encodeTable.empty() ? kNotAsked : m_encodeTable[c];
        const quint32 entry = pair ? kEncodeAsk : known != kNotAsked ? known : encodeEntry(c);
        if (entry == kEncodeFails) {
            *badPos = p - begin;
            return -1;
        }
        if (entry != kEncodeAsk) {
            if (entry >> 16 == 2)
                *d++ = char(entry >> 8);
            *d++ = char(entry);
            ++p;
            continue;
        }
        // Through the converter: a character takes at most four bytes in these code
        // pages, a pair of code units as well.
        const int units = pair ? 2 : 1;
        m_scratch.clear();
        if (!encodeRun(QStringView(p, units), &m_scratch) || m_scratch.size() > kMaxBytesPerUnit * units) {
            *badPos = p - begin;
            return -1;
        }
        std::memcpy(d, m_scratch.constData(), size_t(m_scratch.size()));
        d += m_scratch.size();
        p += units;
    }
    return d - dst;
}
