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
    // Works out the encoding of a file and decodes it: a UTF-8 byte-order mark means
    // UTF-8, a UTF-16 one (FF FE or FE FF) UTF-16, and the mark is not part of the text;
    // without a mark EncodingDetector::decode() chooses.
    static DecodedText decodeFile(QByteArrayView bytes);

    // Decodes bytes that carry no byte-order mark in the given encoding. For UTF-16 an
    // odd byte at the end is completed with a zero byte into one more code unit, so it
    // is kept (a write gives it back followed by 00).
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
    // True when bytes are UTF-8 with at most one byte that starts no valid sequence for
    // every kUtf8SequencesPerInvalidByte valid multi-byte sequences: a UTF-8 file with a
    // few stray bytes (kept as escapes), which GBK text never comes near (it forms one
    // valid sequence for every four to eight bytes that fail). The ratio must also hold
    // where the kUtf8JudgedAfter-th stray byte is found, so that a legacy file is told
    // apart in its first few kilobytes.
    static bool isMostlyUtf8(QByteArrayView bytes, bool *ascii);
    static constexpr qsizetype kUtf8SequencesPerInvalidByte = 8;
    static constexpr qsizetype kUtf8JudgedAfter = 64;
    // isMostlyUtf8()'s count for a text that is not strict UTF-8, given piece by piece:
    // pieces must not cut a multi-byte sequence whose bytes follow (a cut before an ASCII
    // byte, such as a line end, is fine). The total size may be known only at the end.
    class MostlyUtf8
    {
    public:
        // With the total size known, feed() can tell early that the text is no UTF-8.
        explicit MostlyUtf8(qsizetype totalBytes = -1) : m_total(totalBytes) {}
        // False once the text can no longer be mostly UTF-8 (no need to go on).
        bool feed(QByteArrayView piece);
        // What isMostlyUtf8() says of the whole text, of totalBytes bytes.
        bool result(qsizetype totalBytes) const;

    private:
        qsizetype m_total;
        qsizetype m_seen = 0;
        qsizetype m_sequences = 0;
        qsizetype m_invalid = 0;
        // isMostlyUtf8() gives up at a stray byte when too few bytes follow it to make up
        // for the stray ones: when the total is below this, the largest such bound.
        qsizetype m_needsTotal = 0;
        bool m_failed = false;
    };
    // Decodes UTF-8 into *out (replacing its text, reusing its capacity), with escapes
    // for bytes that start no valid sequence. Returns how many bytes became escapes.
    static qsizetype decodeUtf8(QByteArrayView bytes, QString *out);
    // The same for bytes that isValidUtf8() has accepted, without checking them again.
    static void decodeValidUtf8(QByteArrayView bytes, QString *out);

    static QByteArray byteOrderMark(TextEncoding encoding);
    // A short name for messages: "UTF-8", "UTF-16LE", "GB18030", "Windows-1251", ...
    static QString encodingName(TextEncoding encoding);
    // True for the characters that stand for an undecodable byte.
    static bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
    // Writes the UTF-8 of text to dst (room for three bytes a code unit); returns how many
    // bytes, or -1 (with *badPos) at a lone surrogate that is no escape.
    static qsizetype encodeUtf8Into(QStringView text, char *dst, qsizetype *badPos, bool *escapes);
};
