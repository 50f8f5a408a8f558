#include "encodingdetector.h"

#include "legacycodec.h"
#include "singlebytecodec.h"
#include "textcodec.h"

#ifdef TARNWICK_HAVE_ICU
#  include <unicode/ucsdet.h>
#endif

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kHeadBytes = 64 * 1024;
} // namespace

TextEncoding EncodingDetector::utf16WithoutMark(QByteArrayView bytes)
{
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kHeadBytes));
    // Most 8-bit files hold no zero byte at all: nothing more to look at.
    if (head.isEmpty() || !std::memchr(head.data(), 0, size_t(head.size())))
        return TextEncoding::Utf8;
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (head[i] == 0)
            ++zeros[i & 1];
    }
    const qsizetype units = (head.size() + 1) / 2;
    auto ascii = [&](qsizetype mine, qsizetype other) {
        return mine >= 2 && mine * 16 >= units && other * 8 <= mine;
    };
    // In little-endian order the zero high byte of an ASCII character comes second.
    if (ascii(zeros[1], zeros[0]))
        return TextEncoding::Utf16Le;
    if (ascii(zeros[0], zeros[1]))
        return TextEncoding::Utf16Be;
    return TextEncoding::Utf8;
}

TextEncoding EncodingDetector::singleByte(QByteArrayView bytes)
{
#ifdef TARNWICK_HAVE_ICU
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kHeadBytes));
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector *detector = ucsdet_open(&status);
    TextEncoding chosen = TextEncoding::Windows1252;
    if (U_SUCCESS(status))
        ucsdet_setText(detector, head.data(), int32_t(head.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = U_SUCCESS(status) ? ucsdet_detectAll(detector, &count, &status)
                                                      : nullptr;
    // The best single-byte candidate decides; multi-byte ones are not asked about here.
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        const char *name = ucsdet_getName(matches[i], &status);
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_FAILURE(status))
            break;
        TextEncoding candidate = TextEncoding::Utf8;
        if (std::strcmp(name, "windows-1251") == 0)
            candidate = TextEncoding::Windows1251;
        else if (std::strcmp(name, "windows-1250") == 0)
            candidate = TextEncoding::Windows1250;
        else if (std::strcmp(name, "KOI8-R") == 0)
            candidate = TextEncoding::Koi8R;
        else if (std::strcmp(name, "ISO-8859-1") == 0 || std::strcmp(name, "windows-1252") == 0)
            break;
        if (candidate == TextEncoding::Utf8)
            continue;
        if (confidence >= kMinConfidence && SingleByteCodec::isAvailable(candidate))
            chosen = candidate;
        break;
    }
    ucsdet_close(detector);
    return chosen;
#else
    Q_UNUSED(bytes);
    return TextEncoding::Windows1252;
#endif
}

DecodedText EncodingDetector::decodeFile(QByteArrayView bytes)
{
    for (const TextEncoding marked :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom}) {
        const QByteArray bom = TextCodec::byteOrderMark(marked);
        if (bytes.startsWith(bom))
            return {TextCodec::decode(bytes.sliced(bom.size()), marked), marked};
    }
    return decode(bytes);
}

DecodedText EncodingDetector::decode(QByteArrayView bytes)
{
    DecodedText result;
    bool ascii = false;
    if (const TextEncoding utf16 = utf16WithoutMark(bytes); isUtf16(utf16)) {
        result.encoding = utf16;
    } else if (isMostlyUtf8(bytes, &ascii)) {
        result.encoding = ascii ? defaultNewFileEncoding() : TextEncoding::Utf8;
    } else if (LegacyCodec::keepsLines(bytes)) {
        // How many bytes fail to decode is known once decoded: a few are kept as escapes,
        // more mean that this is no text in the code page.
        qsizetype escaped = 0;
        result.text = LegacyCodec::platform().decode(bytes, &escaped);
        if (fewEscapes(escaped, result.text.size())) {
            result.encoding = TextEncoding::Legacy;
            return result;
        }
        result.encoding = singleByte(bytes);
    } else {
        result.encoding = singleByte(bytes);
    }
    result.text = TextCodec::decode(bytes, result.encoding);
    return result;
}

EncodingDetector::Reopening EncodingDetector::reopensAs(QByteArrayView bytes, TextEncoding encoding)
{
    if (!TextCodec::byteOrderMark(encoding).isEmpty() || bytes.isEmpty())
        return Reopening::Same;
    for (const TextEncoding marked :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom}) {
        if (bytes.startsWith(TextCodec::byteOrderMark(marked)))
            return Reopening::ByteOrderMark;
    }
    const TextEncoding utf16 = utf16WithoutMark(bytes);
    if (isUtf16(encoding) ? utf16 != encoding : isUtf16(utf16))
        return Reopening::Other;
    return Reopening::Same;
}

bool EncodingDetector::isMostlyUtf8(QByteArrayView bytes, bool *ascii)
{
    if (TextCodec::isValidUtf8(bytes, ascii))
        return true;
    *ascii = false;
    MostlyUtf8 tally(bytes.size());
    return tally.feed(bytes) && tally.result(bytes.size());
}

bool EncodingDetector::MostlyUtf8::feed(QByteArrayView piece)
{
    const auto *const begin = reinterpret_cast<const uchar *>(piece.data());
    const uchar *s = begin;
    const uchar *const end = s + piece.size();
    while (!m_failed && s < end) {
        if (*s < 0x80) {
            ++s;
            continue;
        }
        const int len = TextCodec::utf8SequenceLength(s, end);
        if (len > 0) {
            ++m_sequences;
            s += len;
            continue;
        }
        ++m_invalid;
        ++s;
        // The rest of the text holds at most one sequence per two bytes: give up as soon
        // as even that could not make up for the bytes that failed (that is, when the
        // text ends before this bound), or as soon as a legacy file shows itself by
        // dozens of them (its first few kilobytes).
        const qsizetype needed = kUtf8SequencesPerInvalidByte * m_invalid;
        const qsizetype at = m_seen + (s - begin);
        m_needsTotal = std::max(m_needsTotal, at + 2 * (needed - m_sequences));
        m_failed = (m_total >= 0 && m_total < m_needsTotal) || (m_invalid >= kUtf8JudgedAfter && m_sequences < needed);
    }
    m_seen += piece.size();
    return !m_failed;
}

bool EncodingDetector::MostlyUtf8::result(qsizetype totalBytes) const
{
    return !m_failed && totalBytes >= m_needsTotal && m_sequences >= kUtf8SequencesPerInvalidByte * m_invalid;
}
