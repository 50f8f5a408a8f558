#include "textcodec.h"

#include "escapes.h"
#include "legacycodec.h"
#include "singlebytecodec.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

bool encodeUtf8(QStringView text, QByteArray *out, qsizetype *badPos, bool *escapes)
{
    const qsizetype start = out->size();
    out->resize(start + text.size() * 3);
    const qsizetype written = TextCodec::encodeUtf8Into(text, out->data() + start, badPos, escapes);
    out->truncate(start + std::max(written, qsizetype(0)));
    return written >= 0;
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

QString decodeUtf32(QByteArrayView in, bool bigEndian)
{
    // By hand: Qt's own UTF-32 decoding drops a U+FEFF at the start, which is text here.
    QString out;
    out.reserve(in.size() / 4);
    const auto *s = reinterpret_cast<const uchar *>(in.data());
    for (qsizetype i = 0; i + 4 <= in.size(); i += 4, s += 4) {
        char32_t c = bigEndian ? (char32_t(s[0]) << 24 | char32_t(s[1]) << 16 | char32_t(s[2]) << 8 | s[3])
                               : (char32_t(s[3]) << 24 | char32_t(s[2]) << 16 | char32_t(s[1]) << 8 | s[0]);
        if (c > 0x10FFFF || QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        if (QChar::requiresSurrogates(c)) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
    }
    return out;
}

// Fails at a lone surrogate, which UTF-32 has no code for.
bool encodeUtf32(QStringView text, bool bigEndian, QByteArray *out, qsizetype *badPos)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            *badPos = i;
            return false;
        }
        const char unit[4] = {char(c >> 24), char(c >> 16), char(c >> 8), char(c)};
        const char little[4] = {unit[3], unit[2], unit[1], unit[0]};
        out->append(bigEndian ? unit : little, 4);
    }
    return true;
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
} // namespace

QByteArray TextCodec::byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16LeBom:
        return QByteArray("\xFF\xFE", 2);
    case TextEncoding::Utf16BeBom:
        return QByteArray("\xFE\xFF", 2);
    case TextEncoding::Utf32LeBom:
        return QByteArray("\xFF\xFE\0\0", 4);
    case TextEncoding::Utf32BeBom:
        return QByteArray("\0\0\xFE\xFF", 4);
    default:
        break;
    }
    return {};
}

QString TextCodec::encodingName(TextEncoding encoding)
{
    switch (withoutMark(encoding)) {
    case TextEncoding::Utf8:
        return u"UTF-8"_s;
    case TextEncoding::Utf16Le:
        return u"UTF-16LE"_s;
    case TextEncoding::Utf16Be:
        return u"UTF-16BE"_s;
    case TextEncoding::Utf32Le:
        return u"UTF-32LE"_s;
    case TextEncoding::Utf32Be:
        return u"UTF-32BE"_s;
    case TextEncoding::Legacy:
        return LegacyCodec::name();
    default:
        break;
    }
    return SingleByteCodec::name(encoding);
}

QString TextCodec::displayName(TextEncoding encoding)
{
    return hasByteOrderMark(encoding) ? encodingName(encoding) + u"（带 BOM）"_s : encodingName(encoding);
}

namespace {
// Upper case without "-", "_" and blanks: "utf-8", "UTF8" and "Utf_8" are one name.
QString plainName(QStringView name)
{
    QString out;
    for (const QChar c : name) {
        if (c != u'-' && c != u'_' && c != u' ')
            out += c.toUpper();
    }
    return out;
}

QList<TextEncoding> namedEncodings()
{
    QList<TextEncoding> all{TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be,
                            TextEncoding::Utf32Le, TextEncoding::Utf32Be, TextEncoding::Legacy};
    return all + SingleByteCodec::all();
}
} // namespace

QStringList TextCodec::encodingNames()
{
    QStringList names;
    for (const TextEncoding encoding : namedEncodings())
        names << encodingName(encoding);
    return names;
}

std::optional<TextEncoding> TextCodec::encodingOfName(QStringView name)
{
    const QString plain = plainName(name);
    for (const TextEncoding encoding : namedEncodings()) {
        if (plainName(encodingName(encoding)) == plain)
            return encoding;
    }
    // The usual other names: the legacy code page by its Windows number or as "ANSI",
    // GBK as part of GB18030, a single-byte page by its number.
    const int legacy = LegacyCodec::platformCodePage();
    const bool chinese = legacy == CodePageLayout::kGb18030 || legacy == 936;
    if (plain == u"ANSI"_s || (chinese && (plain == u"GBK"_s || plain == u"GB2312"_s || plain == u"CP936"_s)))
        return TextEncoding::Legacy;
    if (plain == u"LATIN1"_s)
        return TextEncoding::Iso8859_1;
    for (const QString &prefix : {u"CP"_s, u"IBM"_s, u"WINDOWS"_s}) {
        bool number = false;
        const int page = plain.startsWith(prefix) ? plain.sliced(prefix.size()).toInt(&number) : 0;
        if (number && page == legacy)
            return TextEncoding::Legacy;
        if (number && SingleByteCodec::ofCodePage(page) != TextEncoding::Utf8)
            return SingleByteCodec::ofCodePage(page);
    }
    return std::nullopt;
}

QString TextCodec::decode(QByteArrayView bytes, TextEncoding encoding)
{
    switch (withoutMark(encoding)) {
    case TextEncoding::Utf8: {
        QString text;
        decodeUtf8(bytes, &text);
        return text;
    }
    case TextEncoding::Utf16Le:
        return decodeUtf16(bytes, false);
    case TextEncoding::Utf16Be:
        return decodeUtf16(bytes, true);
    case TextEncoding::Utf32Le:
        return decodeUtf32(bytes, false);
    case TextEncoding::Utf32Be:
        return decodeUtf32(bytes, true);
    case TextEncoding::Legacy:
        return LegacyCodec::platform().decode(bytes);
    default:
        break;
    }
    return SingleByteCodec::decode(bytes, encoding);
}

qsizetype TextCodec::encodeInto(QStringView text, TextEncoding encoding, char *dst, bool *escapes)
{
    qsizetype badPos = -1;
    if (encoding == TextEncoding::Legacy)
        return LegacyCodec::platform().encodeInto(text, dst, &badPos, escapes);
    return encodeUtf8Into(text, dst, &badPos, escapes);
}

bool TextCodec::encode(QStringView text, TextEncoding encoding, QByteArray *out, QString *error,
                       qsizetype *badPos)
{
    const qsizetype start = out->size();
    out->append(byteOrderMark(encoding));
    qsizetype bad = -1;
    bool ok = true;
    bool escapeJoins = false;
    bool escapes = false; // the encoder met an escape: it may join its neighbours
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        ok = encodeUtf8(text, out, &bad, &escapes);
        break;
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom:
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        encodeUtf16(text, encoding == TextEncoding::Utf16BeBom || encoding == TextEncoding::Utf16Be, out);
        break;
    case TextEncoding::Utf32LeBom:
    case TextEncoding::Utf32BeBom:
    case TextEncoding::Utf32Le:
    case TextEncoding::Utf32Be:
        ok = encodeUtf32(text, encoding == TextEncoding::Utf32BeBom || encoding == TextEncoding::Utf32Be, out, &bad);
        break;
    case TextEncoding::Legacy:
        ok = LegacyCodec::platform().encode(text, out, &bad, &escapes);
        break;
    default:
        ok = SingleByteCodec::encode(text, encoding, out, &bad);
        escapes = std::any_of(text.begin(), text.end(), [](QChar c) { return Escapes::isEscape(c.unicode()); });
        break;
    }
    if (ok && !isWide(encoding)) {
        // An escape is a byte that did not decode where it was read. After an edit it may
        // stand next to bytes that make it part of a valid sequence, and the file would
        // read back as other text: that text cannot be saved as it is.
        if (escapes) {
            const qsizetype body = start + byteOrderMark(encoding).size();
            const QString back = decode(QByteArrayView(*out).sliced(body), encoding);
            if (back != text) {
                const auto diff = std::mismatch(text.begin(), text.end(), back.begin(), back.end());
                bad = std::min(qsizetype(diff.first - text.begin()), text.size() - 1);
                ok = false;
                escapeJoins = true;
            }
        }
    }
    if (ok)
        return true;

    out->truncate(start);
    if (badPos)
        *badPos = bad;
    if (error && escapeJoins) {
        // The code of an escape means nothing to a user; what they see is U+FFFD.
        *error = u"文字中有文件的编码 %1 无法读取的字节（显示为 �），它们和旁边的文字连在一起，"
                 "保存后会读成别的文字。请删除这些 �，或把它们改成正确的文字后再保存"_s
                         .arg(encodingName(encoding));
    } else if (error) {
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
