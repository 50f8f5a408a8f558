#include "legacycodec.h"

#include "textcodec.h"

#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#  include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {
// A run handed to the converter in one piece. A clean file decodes in a few large
// runs; a bad sequence makes only its own run go through one sequence at a time.
constexpr qsizetype kRunBytes = 16 * 1024;

bool sameBytes(const QByteArray &a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.constData(), b.data(), size_t(a.size())) == 0);
}
} // namespace

#ifdef Q_OS_WIN
QStringDecoder LegacyCodec::makeDecoder()
{
    return QStringDecoder(QStringDecoder::System, QStringConverter::Flag::Stateless);
}

QStringEncoder LegacyCodec::makeEncoder()
{
    return QStringEncoder(QStringEncoder::System, QStringConverter::Flag::Stateless);
}

QString LegacyCodec::name()
{
    return u"ANSI 代码页"_s;
}

int LegacyCodec::sequenceLength(const uchar *s, const uchar *end)
{
    if (*s < 0x80)
        return 1;
    if (IsDBCSLeadByte(*s))
        return end - s >= 2 ? 2 : 0;
    return 1;
}
#else
QStringDecoder LegacyCodec::makeDecoder()
{
    return QStringDecoder("GB18030", QStringConverter::Flag::Stateless);
}

QStringEncoder LegacyCodec::makeEncoder()
{
    return QStringEncoder("GB18030", QStringConverter::Flag::Stateless);
}

QString LegacyCodec::name()
{
    return u"GB18030"_s;
}

int LegacyCodec::sequenceLength(const uchar *s, const uchar *end)
{
    const uchar b = s[0];
    if (b < 0x80)
        return 1;
    if (b == 0x80 || b == 0xFF || end - s < 2)
        return 0;
    const uchar t = s[1];
    if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE))
        return 2;
    if (t >= 0x30 && t <= 0x39 && end - s >= 4 && s[2] >= 0x81 && s[2] <= 0xFE && s[3] >= 0x30
        && s[3] <= 0x39)
        return 4;
    return 0;
}
#endif

bool LegacyCodec::keepsLines(QByteArrayView bytes)
{
    const char *s = bytes.data();
    const char *const end = s + bytes.size();
    auto find = [end](const char *from, const char *to, char c) {
        const void *hit = std::memchr(from, c, size_t(to - from));
        return hit ? static_cast<const char *>(hit) : end;
    };
    // The next LF is kept between lines, so that a file of lone CRs is scanned once.
    const char *lf = s < end ? find(s, end, '\n') : end;
    while (s < end) {
        if (lf < s)
            lf = find(s, end, '\n');
        // CR and LF are never part of a sequence, so lines are the same as in the text.
        const char *lineEnd = std::min(find(s, lf, '\r'), lf);
        if (lineEnd - s >= 2 && *s == '[' && lineEnd[-1] == ']'
            && !std::memchr(s, '=', size_t(lineEnd - s))) {
            // Only such a line is walked: is its "]" the start of a character?
            const auto *q = reinterpret_cast<const uchar *>(s);
            const auto *last = reinterpret_cast<const uchar *>(lineEnd - 1);
            while (q < last)
                q += std::max(1, sequenceLength(q, last + 1));
            if (q != last)
                return false;
        }
        s = lineEnd + 1;
    }
    return true;
}

LegacyCodec::LegacyCodec() : m_decoder(makeDecoder()), m_encoder(makeEncoder()) {}

void LegacyCodec::restart()
{
    // An ICU converter's error report outlives resetState(): start afresh after one.
    if (m_decoder.hasError())
        m_decoder = makeDecoder();
    else
        m_decoder.resetState();
    if (m_encoder.hasError())
        m_encoder = makeEncoder();
    else
        m_encoder.resetState();
}

qsizetype LegacyCodec::appendEscapes(QByteArrayView bytes, QString *out)
{
    // An ASCII byte inside a broken sequence is still that character; escapes are
    // kept for the bytes 80..FF, which is all that an escape can stand for.
    qsizetype escapes = 0;
    for (char b : bytes) {
        escapes += uchar(b) >= 0x80;
        out->append(QChar(char16_t(uchar(b) < 0x80 ? uchar(b) : 0xDC00 + uchar(b))));
    }
    return escapes;
}

bool LegacyCodec::decodeRun(QByteArrayView run, QString *out)
{
    if (!m_decoder.isValid() || !m_encoder.isValid())
        return false;
    restart();
    const QString text = m_decoder.decode(run);
    if (m_decoder.hasError())
        return false;
    // Unassigned or non-canonical sequences may decode without an error report but
    // would come back as other bytes: only what round-trips counts as decoded.
    const QByteArray back = m_encoder.encode(text);
    if (m_encoder.hasError() || !sameBytes(back, run))
        return false;
    out->append(text);
    return true;
}

QString LegacyCodec::decode(QByteArrayView bytes, qsizetype *escaped)
{
    qsizetype escapes = 0;
    QString out;
    out.reserve(bytes.size());
    const auto *begin = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = begin + bytes.size();
    const uchar *run = begin;

    auto flush = [&](const uchar *upTo) {
        if (upTo == run)
            return;
        const QByteArrayView whole(run, upTo - run);
        if (decodeRun(whole, &out))
            return;
        for (const uchar *q = run; q < upTo;) {
            const int len = sequenceLength(q, upTo);
            if (len == 1 && *q < 0x80) {
                out.append(QChar(char16_t(*q)));
            } else {
                const QByteArrayView seq(q, len);
                if (!decodeRun(seq, &out))
                    escapes += appendEscapes(seq, &out);
            }
            q += len;
        }
    };

    const uchar *s = begin;
    while (s < end) {
        const int len = sequenceLength(s, end);
        if (len == 0) {
            flush(s);
            escapes += appendEscapes(QByteArrayView(s, 1), &out);
            run = ++s;
            continue;
        }
        s += len;
        if (s - run >= kRunBytes) {
            flush(s);
            run = s;
        }
    }
    flush(end);
    if (escaped)
        *escaped = escapes;
    return out;
}

bool LegacyCodec::encodeRun(QStringView run, QByteArray *out)
{
    if (!m_decoder.isValid() || !m_encoder.isValid())
        return false;
    restart();
    const QByteArray bytes = m_encoder.encode(run);
    if (m_encoder.hasError())
        return false;
    // Converters may write a substitute such as "?" (or nothing, for a lone surrogate)
    // without reporting it: the bytes count only if they decode back to the text.
    const QString back = m_decoder.decode(bytes);
    if (m_decoder.hasError() || back != run)
        return false;
    out->append(bytes);
    return true;
}

bool LegacyCodec::encode(QStringView text, QByteArray *out, qsizetype *badPos)
{
    auto encodePart = [&](qsizetype from, qsizetype to) {
        const QStringView part = text.sliced(from, to - from);
        if (encodeRun(part, out))
            return true;
        // Find the character to blame, one code point at a time.
        QByteArray scratch;
        for (qsizetype i = 0; i < part.size();) {
            qsizetype n = 1;
            if (part[i].isHighSurrogate() && i + 1 < part.size() && part[i + 1].isLowSurrogate())
                n = 2;
            if (!encodeRun(part.sliced(i, n), &scratch)) {
                *badPos = from + i;
                return false;
            }
            i += n;
        }
        *badPos = from; // the pieces encode but the whole does not: blame its start
        return false;
    };

    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The low half of a surrogate pair may look like an escape; it is not one, and
        // a run never ends between the two halves.
        const bool pairHalf = text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
        const bool escape = !pairHalf && TextCodec::isEscape(text[i].unicode());
        if (!escape && (i - runStart < kRunBytes || pairHalf))
            continue;
        if (i > runStart && !encodePart(runStart, i))
            return false;
        if (escape) {
            const char16_t c = text[i].unicode();
            out->append(char(c - 0xDC00));
            runStart = i + 1;
        } else {
            runStart = i;
        }
    }
    return runStart >= text.size() || encodePart(runStart, text.size());
}
