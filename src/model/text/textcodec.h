#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Text of a file together with the encoding it was read in.
struct DecodedText
{
    QString text;
    TextEncoding encoding = defaultNewFileEncoding();
};

// Turns the bytes of an INI file into text and back.
//
// Bytes that the encoding cannot decode are kept as escapes (see escapes.h); UTF-16 and
// UTF-32 text never holds escapes. Which encoding a file is in is EncodingDetector's business.
class TextCodec
{
public:
    // Decodes bytes that carry no byte-order mark in the given encoding. For UTF-16 an
    // odd byte at the end is completed with a zero byte into one more code unit, so it
    // is kept (a write gives it back followed by 00). UTF-32 keeps its bytes only where
    // EncodingDetector::isUtf32Text() holds: other units read as U+FFFD.
    static QString decode(QByteArrayView bytes, TextEncoding encoding);

    // Appends the byte-order mark of encoding (if it has one) and the encoded text to
    // *out. Fails when a character cannot be represented in the encoding (in UTF-8 and
    // GB18030 only a lone surrogate that is no escape) or when an escape's byte would
    // join the bytes beside it into a character and so read back as other text: *out is
    // then as it was, *error names the character (or says that undecodable bytes, shown
    // as U+FFFD, stand next to text they would join) and *badPos (when given) is its
    // position in text (the first that would read back differently).
    static bool encode(QStringView text, TextEncoding encoding, QByteArray *out,
                       QString *error, qsizetype *badPos = nullptr);

    // For UTF-8 (without mark) and the legacy code page only: writes the encoded text to
    // dst, which has room for kMaxBytesPerUnit bytes a code unit, and returns how many
    // bytes, or -1 when a character cannot be represented (encode() tells which and
    // why). Escapes are written as their bytes and only reported in *escapes: whether one
    // joins the bytes beside it is the caller's business.
    static constexpr qsizetype kMaxBytesPerUnit = 4;
    static qsizetype encodeInto(QStringView text, TextEncoding encoding, char *dst, bool *escapes);

    // True when bytes are strictly valid UTF-8 (no escapes needed); *ascii tells whether
    // every byte is below 0x80.
    static bool isValidUtf8(QByteArrayView bytes, bool *ascii);
    // The length of the strict UTF-8 sequence that starts at s (its first byte at least
    // 0x80): 2 to 4, or 0 when none starts there (an overlong form, a surrogate, a value
    // above U+10FFFF, a broken or cut-off sequence).
    static int utf8SequenceLength(const uchar *s, const uchar *end);
    // Decodes UTF-8 into *out (replacing its text, reusing its capacity), with escapes
    // for bytes that start no valid sequence. Returns how many bytes became escapes.
    static qsizetype decodeUtf8(QByteArrayView bytes, QString *out);
    // The same for bytes that isValidUtf8() has accepted, without checking them again.
    static void decodeValidUtf8(QByteArrayView bytes, QString *out);

    static QByteArray byteOrderMark(TextEncoding encoding);
    // A short name for messages: "UTF-8", "UTF-16LE", "GB18030", "Windows-1251", ...
    static QString encodingName(TextEncoding encoding);
    // The name with its mark, as the properties show it: "UTF-8（带 BOM）", "GB18030".
    static QString displayName(TextEncoding encoding);
    // The names a user may give (encodingName() of each encoding without mark), and the
    // encoding of such a name: case, "-" and "_" do not matter, and the usual other
    // names count too ("cp1251", "latin1", "GBK" where the legacy code page is Chinese,
    // "ANSI"). Nothing for a name no encoding here has.
    static QStringList encodingNames();
    static std::optional<TextEncoding> encodingOfName(QStringView name);
    // Writes the UTF-8 of text to dst (room for three bytes a code unit); returns how many
    // bytes, or -1 (with *badPos) at a lone surrogate that is no escape.
    static qsizetype encodeUtf8Into(QStringView text, char *dst, qsizetype *badPos, bool *escapes);
};
