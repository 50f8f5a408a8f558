#include "textcodec.h"

#include "legacycodec.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

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
        int len = 0;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        bool ok = len > 0 && end - s >= len;
        for (int i = 1; ok && i < len; ++i) {
            ok = (s[i] & 0xC0) == 0x80;
            cp = (cp << 6) | (s[i] & 0x3F);
        }
        if (ok && len == 3)
            ok = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF);
        else if (ok && len == 4)
            ok = cp >= 0x10000 && cp <= 0x10FFFF;
        if (!ok) {
            // Only this byte is kept as an escape; the next one is looked at afresh.
            *d++ = char16_t(0xDC00 + b);
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

bool encodeUtf8(QStringView text, QByteArray *out, qsizetype *badPos)
{
    const qsizetype start = out->size();
    // At most three bytes per code unit (a surrogate pair: four bytes for two units).
    out->resize(start + text.size() * 3);
    auto *const first = reinterpret_cast<uchar *>(out->data()) + start;
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
        } else if (TextCodec::isEscape(c)) {
            *d++ = uchar(c - 0xDC00);
        } else if (QChar::isSurrogate(c)) {
            out->truncate(start);
            *badPos = s - begin;
            return false;
        } else {
            *d++ = uchar(0xE0 | (c >> 12));
            *d++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *d++ = uchar(0x80 | (c & 0x3F));
        }
    }
    out->truncate(start + (d - first));
    return true;
}

QString decodeUtf16(QByteArrayView in, bool bigEndian)
{
    const qsizetype units = (in.size() + 1) / 2;
    QString out(units, Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    const auto *s = reinterpret_cast<const uchar *>(in.data());
    for (qsizetype i = 0; i < units; ++i) {
        const uchar b0 = s[2 * i];
        // An odd last byte is completed with a zero byte rather than dropped.
        const uchar b1 = 2 * i + 1 < in.size() ? s[2 * i + 1] : 0;
        d[i] = bigEndian ? char16_t((b0 << 8) | b1) : char16_t((b1 << 8) | b0);
    }
    return out;
}

void encodeUtf16(QStringView text, bool bigEndian, QByteArray *out)
{
    const qsizetype start = out->size();
    out->resize(start + text.size() * 2);
    auto *d = reinterpret_cast<uchar *>(out->data()) + start;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        const uchar hi = uchar(c >> 8);
        const uchar lo = uchar(c & 0xFF);
        *d++ = bigEndian ? hi : lo;
        *d++ = bigEndian ? lo : hi;
    }
}

bool startsWith(QByteArrayView bytes, QByteArrayView prefix)
{
    return bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

} // namespace

qsizetype TextCodec::decodeUtf8(QByteArrayView bytes, QString *out)
{
    return decodeUtf8Bytes(bytes, out);
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
        if (s == end)
            break;
        const uchar b = *s;
        if (b < 0x80) {
            ++s;
            continue;
        }
        onlyAscii = false;
        int len = 0;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        if (len == 0 || end - s < len)
            return false;
        for (int i = 1; i < len; ++i) {
            if ((s[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i] & 0x3F);
        }
        if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)))
            return false;
        if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            return false;
        s += len;
    }
    *ascii = onlyAscii;
    return true;
}

QByteArray TextCodec::byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16LeBom:
        return QByteArray("\xFF\xFE", 2);
    case TextEncoding::Utf16BeBom:
        return QByteArray("\xFE\xFF", 2);
    case TextEncoding::Utf8:
    case TextEncoding::Legacy:
        break;
    }
    return {};
}

QString TextCodec::encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return u"UTF-8"_s;
    case TextEncoding::Utf16LeBom:
        return u"UTF-16LE"_s;
    case TextEncoding::Utf16BeBom:
        return u"UTF-16BE"_s;
    case TextEncoding::Legacy:
        break;
    }
    return LegacyCodec::name();
}

DecodedText TextCodec::decodeFile(QByteArrayView bytes)
{
    for (const TextEncoding marked :
         {TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom, TextEncoding::Utf16BeBom}) {
        const QByteArray bom = byteOrderMark(marked);
        if (startsWith(bytes, bom))
            return {decode(bytes.sliced(bom.size()), marked), marked};
    }

    DecodedText result;
    if (decodeUtf8Bytes(bytes, &result.text) == 0) {
        bool ascii = true;
        for (const char b : bytes) {
            if (uchar(b) >= 0x80) {
                ascii = false;
                break;
            }
        }
        result.encoding = ascii ? defaultNewFileEncoding() : TextEncoding::Utf8;
        return result;
    }
    result.encoding = TextEncoding::Legacy;
    result.text = decode(bytes, TextEncoding::Legacy);
    return result;
}

QString TextCodec::decode(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: {
        QString text;
        decodeUtf8Bytes(bytes, &text);
        return text;
    }
    case TextEncoding::Utf16LeBom:
        return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BeBom:
        return decodeUtf16(bytes, true);
    case TextEncoding::Legacy:
        break;
    }
    LegacyCodec legacy;
    return legacy.decode(bytes);
}

bool TextCodec::encode(QStringView text, TextEncoding encoding, QByteArray *out, QString *error,
                       qsizetype *badPos)
{
    const qsizetype start = out->size();
    out->append(byteOrderMark(encoding));
    qsizetype bad = -1;
    bool ok = true;
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        ok = encodeUtf8(text, out, &bad);
        break;
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom:
        encodeUtf16(text, encoding == TextEncoding::Utf16BeBom, out);
        break;
    case TextEncoding::Legacy: {
        LegacyCodec legacy;
        ok = legacy.encode(text, out, &bad);
        break;
    }
    }
    if (ok)
        return true;

    out->truncate(start);
    if (badPos)
        *badPos = bad;
    if (error) {
        const char32_t cp = text[bad].isHighSurrogate() && bad + 1 < text.size()
                                    && text[bad + 1].isLowSurrogate()
                                ? QChar::surrogateToUcs4(text[bad], text[bad + 1])
                                : char32_t(text[bad].unicode());
        const QString code = u"U+%1"_s.arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
        // A lone surrogate cannot be shown; name it by its code only.
        const QString shown = QChar::isSurrogate(cp) ? code
                                                     : u"“%1”(%2)"_s.arg(QString::fromUcs4(&cp, 1), code);
        *error = u"字符 %1 无法用文件的编码 %2 保存"_s.arg(shown, encodingName(encoding));
    }
    return false;
}
