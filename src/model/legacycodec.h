#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

// The legacy code page of INI files: GB18030 (a superset of code page 936) decoded
// through the system's ICU, or the ANSI code page on Windows.
//
// Decoding keeps every byte: a byte that starts no valid sequence, or a sequence that
// does not come back as the same bytes when encoded again, becomes escapes
// (U+DC00+byte, see TextCodec; an ASCII byte among them stays itself). Encoding turns
// escapes back into bytes and fails on a character the code page cannot represent
// instead of writing a substitute.
class LegacyCodec
{
public:
    LegacyCodec();

    static QString name();

    // True when reading bytes in the code page loses no line: no line that starts with
    // "[", ends in "]" and holds no "=" has its "]" taken into the character before it
    // (it would be neither a header nor a key). A line with "=" stays a key either way.
    // Only such lines are walked sequence by sequence; nothing is decoded.
    static bool keepsLines(QByteArrayView bytes);

    // *escaped (when given) is set to how many bytes became escapes.
    QString decode(QByteArrayView bytes, qsizetype *escaped = nullptr);
    // Appends to *out; on failure returns false with *badPos at the first character
    // that cannot be represented (out then holds a partial result).
    bool encode(QStringView text, QByteArray *out, qsizetype *badPos);

private:
    static QStringDecoder makeDecoder();
    static QStringEncoder makeEncoder();
    // Readies both converters for an independent piece of text.
    void restart();
    // Length of the multi-byte sequence at s (1, 2 or 4), 0 when s starts none.
    static int sequenceLength(const uchar *s, const uchar *end);
    // Decodes a run of whole sequences and checks that it encodes back to the same
    // bytes; false when it does not.
    bool decodeRun(QByteArrayView run, QString *out);
    bool encodeRun(QStringView run, QByteArray *out);
    // Returns how many escapes it appended.
    static qsizetype appendEscapes(QByteArrayView bytes, QString *out);

    QStringDecoder m_decoder;
    QStringEncoder m_encoder;
};
