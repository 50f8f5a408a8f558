// The UTF-8 half of TextCodec: checking, decoding and encoding UTF-8.
#include "escapes.h"
#include "textcodec.h"

#include <cstring>

namespace {

// The strict UTF-8 sequence that starts at s (its first byte at least 0x80): its length,
// with its code point in *cp, or 0 when none starts there (an overlong form, a
// surrogate, a value above U+10FFFF, a broken or cut-off sequence).
int utf8Sequence(const uchar *s, const uchar *end, char32_t *cp)
{
    const uchar b = *s;
    int len = 0;
    char32_t value = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        value = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        value = b & 0x07;
    }
    if (len == 0 || end - s < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (s[i] & 0x3F);
    }
    if (len == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF)))
        return 0;
    if (len == 4 && (value < 0x10000 || value > 0x10FFFF))
        return 0;
    *cp = value;
    return len;
}

// The common sequence of Chinese text: three bytes whose lead byte allows every
// continuation (E1..EC, EE, EF: neither an overlong form nor a surrogate can follow).
inline bool plainThreeBytes(const uchar *s, const uchar *end)
{
    return end - s >= 3 && (uchar(s[0] - 0xE1) < 12 || (s[0] & 0xFE) == 0xEE) && (s[1] & 0xC0) == 0x80
           && (s[2] & 0xC0) == 0x80;
}

// Decodes UTF-8 strictly (no overlong forms, no surrogates, nothing above U+10FFFF);
// every byte that starts no valid sequence becomes an escape. Returns how many did.
qsizetype decodeUtf8Bytes(QByteArrayView in, QString *out)
{
    // A UTF-8 sequence never gives more UTF-16 code units than it has bytes.
    out->resize(in.size());
    char16_t *const first = reinterpret_cast<char16_t *>(out->data());
    char16_t *d = first;
    const auto *s = reinterpret_cast<const uchar *>(in.data());
    const uchar *const end = s + in.size();
    qsizetype invalid = 0;
    while (s < end) {
        const uchar b = *s;
        if (b < 0x80) {
            *d++ = b;
            ++s;
            continue;
        }
        if (plainThreeBytes(s, end)) {
            *d++ = char16_t(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
            continue;
        }
        char32_t cp = 0;
        const int len = utf8Sequence(s, end, &cp);
        if (len == 0) {
            // Only this byte is kept as an escape; the next one is looked at afresh.
            *d++ = Escapes::escapeOf(b);
            ++s;
            ++invalid;
            continue;
        }
        if (cp >= 0x10000) {
            *d++ = QChar::highSurrogate(cp);
            *d++ = QChar::lowSurrogate(cp);
        } else {
            *d++ = char16_t(cp);
        }
        s += len;
    }
    out->truncate(d - first);
    return invalid;
}

} // namespace

// Writes the UTF-8 of text to dst (room for three bytes a code unit: a surrogate pair
// takes four bytes for two units); returns how many bytes, or -1 at a lone surrogate
// that is no escape.
qsizetype TextCodec::encodeUtf8Into(QStringView text, char *dst, qsizetype *badPos, bool *escapes)
{
    auto *const first = reinterpret_cast<uchar *>(dst);
    uchar *d = first;
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    for (const char16_t *s = begin; s < end; ++s) {
        const char16_t c = *s;
        if (c < 0x80) {
            *d++ = uchar(c);
        } else if (c < 0x800) {
            *d++ = uchar(0xC0 | (c >> 6));
            *d++ = uchar(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && s + 1 < end && QChar::isLowSurrogate(s[1])) {
            const char32_t cp = QChar::surrogateToUcs4(c, s[1]);
            *d++ = uchar(0xF0 | (cp >> 18));
            *d++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *d++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *d++ = uchar(0x80 | (cp & 0x3F));
            ++s;
        } else if (Escapes::isEscape(c)) {
            *d++ = Escapes::byteOf(c);
            *escapes = true;
        } else if (QChar::isSurrogate(c)) {
            *badPos = s - begin;
            return -1;
        } else {
            *d++ = uchar(0xE0 | (c >> 12));
            *d++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *d++ = uchar(0x80 | (c & 0x3F));
        }
    }
    return d - first;
}

qsizetype TextCodec::decodeUtf8(QByteArrayView bytes, QString *out)
{
    return decodeUtf8Bytes(bytes, out);
}

void TextCodec::decodeValidUtf8(QByteArrayView bytes, QString *out)
{
    // Every sequence is known to be whole and strict: its lead byte tells its length.
    out->resize(bytes.size());
    char16_t *const first = reinterpret_cast<char16_t *>(out->data());
    char16_t *d = first;
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = s + bytes.size();
    while (s < end) {
        const uchar b = *s;
        if (b < 0x80) {
            *d++ = b;
            s += 1;
        } else if (b < 0xE0) {
            *d++ = char16_t(((b & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (b < 0xF0) {
            *d++ = char16_t(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
        } else {
            const char32_t cp = (char32_t(b & 0x07) << 18) | (char32_t(s[1] & 0x3F) << 12)
                                | (char32_t(s[2] & 0x3F) << 6) | char32_t(s[3] & 0x3F);
            *d++ = QChar::highSurrogate(cp);
            *d++ = QChar::lowSurrogate(cp);
            s += 4;
        }
    }
    out->truncate(d - first);
}

bool TextCodec::isValidUtf8(QByteArrayView bytes, bool *ascii)
{
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = s + bytes.size();
    bool onlyAscii = true;
    while (s < end) {
        // Runs of ASCII, the common case, eight bytes at a time.
        while (end - s >= 8) {
            quint64 word;
            std::memcpy(&word, s, 8);
            if (word & 0x8080808080808080ull)
                break;
            s += 8;
        }
        while (s < end && *s < 0x80)
            ++s;
        // Runs of characters that take three bytes (Chinese text), until the next ASCII.
        while (s < end && *s >= 0x80) {
            onlyAscii = false;
            if (plainThreeBytes(s, end)) {
                s += 3;
                continue;
            }
            char32_t cp = 0;
            const int len = utf8Sequence(s, end, &cp);
            if (len == 0)
                return false;
            s += len;
        }
    }
    *ascii = onlyAscii;
    return true;
}

int TextCodec::utf8SequenceLength(const uchar *s, const uchar *end)
{
    char32_t cp = 0;
    return utf8Sequence(s, end, &cp);
}
