#include "encodingdetector.h"

#include "eightbitchoice.h"
#include "legacycodec.h"
#include "textcodec.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kHeadBytes = 64 * 1024;

constexpr TextEncoding kMarked[] = {TextEncoding::Utf8Bom, TextEncoding::Utf32LeBom, TextEncoding::Utf32BeBom,
                                    TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom};

bool bigEndian(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf32Be || encoding == TextEncoding::Utf32BeBom;
}
} // namespace

bool EncodingDetector::isUtf32Text(QByteArrayView bytes, bool bigEndian)
{
    if (bytes.size() % 4 != 0)
        return false;
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); i += 4, s += 4) {
        const char32_t c = bigEndian ? (char32_t(s[0]) << 24 | char32_t(s[1]) << 16 | char32_t(s[2]) << 8 | s[3])
                                     : (char32_t(s[3]) << 24 | char32_t(s[2]) << 16 | char32_t(s[1]) << 8 | s[0]);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
    }
    return true;
}

namespace {
std::optional<TextEncoding> utf16WithoutMark(QByteArrayView head)
{
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
    return std::nullopt;
}
} // namespace

std::optional<TextEncoding> EncodingDetector::wideWithoutMark(QByteArrayView bytes)
{
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kHeadBytes));
    // Most 8-bit files hold no zero byte at all: nothing more to look at.
    if (head.isEmpty() || !std::memchr(head.data(), 0, size_t(head.size())))
        return std::nullopt;
    const qsizetype units32 = head.size() / 4;
    if (bytes.size() % 4 == 0 && units32 > 0) {
        for (const bool big : {false, true}) {
            if (!isUtf32Text(head.first(4 * units32), big))
                continue;
            // An ASCII character: its low byte below 0x80, the three others zero.
            qsizetype ascii = 0;
            for (qsizetype i = 0; i < units32; ++i) {
                const QByteArrayView unit = head.sliced(4 * i, 4);
                const QByteArrayView high = big ? unit.first(3) : unit.last(3);
                ascii += uchar(unit[big ? 3 : 0]) < 0x80 && high == QByteArrayView("\0\0\0", 3);
            }
            if (ascii * 16 >= units32)
                return big ? TextEncoding::Utf32Be : TextEncoding::Utf32Le;
        }
    }
    return utf16WithoutMark(head);
}

std::optional<TextEncoding> EncodingDetector::wideOrMarked(QByteArrayView head, qsizetype *markSize)
{
    for (const TextEncoding marked : kMarked) {
        const QByteArray mark = TextCodec::byteOrderMark(marked);
        if (!head.startsWith(mark))
            continue;
        // FF FE 00 00 is UTF-16's mark and a zero character unless UTF-32 follows.
        if (isUtf32(marked) && !isUtf32Text(head.first(head.size() & ~qsizetype(3)), bigEndian(marked)))
            continue;
        if (markSize)
            *markSize = mark.size();
        return marked;
    }
    if (markSize)
        *markSize = 0;
    return wideWithoutMark(head);
}

DecodedText EncodingDetector::decodeFile(QByteArrayView bytes)
{
    qsizetype markSize = 0;
    std::optional<TextEncoding> wide = wideOrMarked(bytes, &markSize);
    // UTF-32 is taken only when every unit of the file is a character; past the head a
    // unit that is none makes it UTF-16 (FF FE and a zero character) or 8-bit text.
    if (wide && isUtf32(*wide) && !isUtf32Text(bytes.sliced(markSize), bigEndian(*wide))) {
        const bool utf16Mark = *wide == TextEncoding::Utf32LeBom;
        markSize = utf16Mark ? 2 : 0;
        wide = utf16Mark ? std::optional(TextEncoding::Utf16LeBom)
                         : utf16WithoutMark(bytes.first(std::min(bytes.size(), kHeadBytes)));
    }
    if (wide)
        return {TextCodec::decode(bytes.sliced(markSize), *wide), *wide};
    return decode(bytes);
}

DecodedText EncodingDetector::decode(QByteArrayView bytes)
{
    DecodedText result;
    bool ascii = false;
    if (TextCodec::isValidUtf8(bytes, &ascii)) {
        result.encoding = ascii ? defaultNewFileEncoding() : TextEncoding::Utf8;
    } else {
        EightBitChoice choice(bytes, bytes.size());
        if (choice.reading() == TextEncoding::Legacy) {
            // How many bytes fail to decode is known once decoded: the one decode serves.
            qsizetype escaped = 0;
            result.text = LegacyCodec::platform().decode(bytes, &escaped);
            choice.count(bytes, escaped, result.text.size());
        } else {
            choice.count(bytes);
        }
        result.encoding = choice.result();
        if (result.encoding == TextEncoding::Legacy)
            return result;
    }
    result.text = TextCodec::decode(bytes, result.encoding);
    return result;
}

std::optional<DecodedText> EncodingDetector::decodeAs(QByteArrayView bytes, TextEncoding encoding)
{
    for (const TextEncoding marked : kMarked) {
        const QByteArray mark = TextCodec::byteOrderMark(marked);
        if (withoutMark(marked) == encoding && bytes.startsWith(mark)) {
            encoding = marked;
            bytes = bytes.sliced(mark.size());
            break;
        }
    }
    if (isUtf32(encoding) && !isUtf32Text(bytes, bigEndian(encoding)))
        return std::nullopt;
    return DecodedText{TextCodec::decode(bytes, encoding), encoding};
}

EncodingDetector::Reopening EncodingDetector::reopensAs(QByteArrayView bytes, TextEncoding encoding)
{
    qsizetype markSize = 0;
    // UTF-16's mark FF FE before a zero character reads as UTF-32's where UTF-32 follows
    // (as decodeFile() judges it: every unit after the mark a character).
    if (encoding == TextEncoding::Utf16LeBom)
        return wideOrMarked(bytes) == TextEncoding::Utf32LeBom && isUtf32Text(bytes.sliced(4), false)
                       ? Reopening::ByteOrderMark
                       : Reopening::Same;
    if (hasByteOrderMark(encoding) || bytes.isEmpty())
        return Reopening::Same;
    const std::optional<TextEncoding> shown = wideOrMarked(bytes, &markSize);
    if (markSize > 0)
        return Reopening::ByteOrderMark;
    if (isWide(encoding) ? shown != encoding : shown.has_value())
        return Reopening::Other;
    return Reopening::Same;
}
