#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text of a file together with the encoding it was read in.
struct DecodedText
{
    QString text;
    TextEncoding encoding = defaultNewFileEncoding();
};

// Turns the bytes of an INI file into text and back.
//
// Bytes that the encoding cannot decode are never replaced: each such byte b becomes the
// lone surrogate U+DC00+b in the text (a "surrogate escape"), and encoding turns the
// characters U+DC80..U+DCFF back into their bytes. Text read from a file and written
// back unedited therefore gives the same bytes. UTF-16 text never holds escapes.
class TextCodec
{
public:
    // Works out the encoding of a file and decodes it:
    // - a UTF-8 byte-order mark means UTF-8, a UTF-16 one (FF FE or FE FF) UTF-16; the
    //   mark is not part of the text;
    // - otherwise bytes that are strictly valid UTF-8 and not all ASCII are UTF-8;
    // - otherwise the legacy code page (GB18030; the ANSI code page on Windows). A file of
    //   ASCII bytes only reads the same in both and gets defaultNewFileEncoding().
    static DecodedText decodeFile(QByteArrayView bytes);

    // Decodes bytes that carry no byte-order mark in the given encoding. For UTF-16 an
    // odd byte at the end is completed with a zero byte into one more code unit, so it
    // is kept (a write gives it back followed by 00).
    static QString decode(QByteArrayView bytes, TextEncoding encoding);

    // Appends the byte-order mark of encoding (if it has one) and the encoded text to
    // *out. Fails when a character cannot be represented in the encoding (in UTF-8 and
    // GB18030 only a lone surrogate that is no escape): *out is then as it was, *error
    // names the character and *badPos (when given) is its position in text.
    static bool encode(QStringView text, TextEncoding encoding, QByteArray *out,
                       QString *error, qsizetype *badPos = nullptr);

    // True when bytes are strictly valid UTF-8 as decodeFile() judges it (no escapes
    // needed); *ascii tells whether every byte is below 0x80.
    static bool isValidUtf8(QByteArrayView bytes, bool *ascii);
    // Decodes UTF-8 into *out (replacing its text, reusing its capacity), with escapes
    // for bytes that start no valid sequence. Returns how many bytes became escapes.
    static qsizetype decodeUtf8(QByteArrayView bytes, QString *out);

    static QByteArray byteOrderMark(TextEncoding encoding);
    // A short name for messages: "UTF-8", "UTF-16LE", "GB18030", ...
    static QString encodingName(TextEncoding encoding);
    // True for the characters that stand for an undecodable byte.
    static bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
};
