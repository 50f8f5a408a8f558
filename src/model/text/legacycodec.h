#pragma once

#include "codepagelayout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

// A legacy code page of INI files, given by its number: the program passes
// platformCodePage() (the ANSI code page on Windows, GB18030 elsewhere); any of 936, 950,
// 932, 949 and the single-byte pages such as 1252 can be asked for on every platform
// through Qt's converters (ICU).
//
// Decoding keeps every byte: a byte that starts no valid sequence, or a sequence that
// does not come back as the same bytes when encoded again, becomes escapes
// (U+DC00+byte, see TextCodec; an ASCII byte among them stays itself). No line changes
// its kind: a line whose bytes start with "[" and end with "]" is a header in every
// ASCII-compatible encoding, so its last "]" is never the trail byte of a character (a
// lead byte before it stays an escape). Each sequence
// decodes as the converter decodes it alone; ASCII is copied, and a two-byte sequence
// is looked up in a table the converter filled the first time its lead byte was met.
// Encoding turns escapes back into bytes and fails on a character the code page cannot
// represent instead of writing a substitute.
class LegacyCodec
{
public:
    static int platformCodePage();

    explicit LegacyCodec(int codePage = platformCodePage());
    Q_DISABLE_COPY_MOVE(LegacyCodec)
    // The platform's code page, one codec per thread, which keeps its tables from one
    // use to the next.
    static LegacyCodec &platform();

    static QString name(int codePage = platformCodePage());
    int codePage() const { return m_layout.codePage(); }

    // *escaped (when given) is set to how many bytes became escapes.
    QString decode(QByteArrayView bytes, qsizetype *escaped = nullptr);
    // Appends the text of bytes to *out and returns how many bytes became escapes. A
    // sequence cut off at the end becomes escapes: pieces of one text decode as the
    // whole does when each ends at a line end (no sequence holds CR or LF).
    qsizetype decodeAppend(QByteArrayView bytes, QString *out);

    // Appends to *out; on failure returns false with *badPos at the first character
    // that cannot be represented (out then holds a partial result). Each character is
    // encoded as the converter encodes it alone (and decodes back from), looked up in a
    // table after the first time.
    // *escapes (when given) is set to true when the text holds an escape.
    bool encode(QStringView text, QByteArray *out, qsizetype *badPos, bool *escapes = nullptr);
    // The same into dst, which has room for kMaxBytesPerUnit bytes a code unit of text:
    // returns how many bytes it wrote, or -1 on failure.
    static constexpr qsizetype kMaxBytesPerUnit = 4;
    qsizetype encodeInto(QStringView text, char *dst, qsizetype *badPos, bool *escapes = nullptr);

private:
    friend class TextTesting;

    void makeDecoder();
    void makeEncoder();
    // Readies both converters for an independent piece of text.
    void restart();
    // Decodes whole sequences and checks that they encode back to the same bytes;
    // false when they do not.
    bool decodeRun(QByteArrayView run, QString *out);
    bool encodeRun(QStringView run, QByteArray *out);
    // Returns how many escapes it appended.
    static qsizetype appendEscapes(QByteArrayView bytes, QString *out);
    // Whether the two-byte sequence at lead would take the "]" that closes a header line
    // (the bytes from begin, a line start, to end, a line end).
    static bool closesHeader(const uchar *lead, const uchar *begin, const uchar *end);
    // The table's entry for a sequence of one or two bytes (filling its row first).
    char16_t tableEntry(const uchar *s, int len);
    void fillRow(uchar lead);
    // The encoding table's entry for a character (asking the converter the first time).
    quint32 encodeEntry(char16_t c);

    CodePageLayout m_layout;
    // Made in place, never moved: see restart().
    std::optional<QStringDecoder> m_decoder;
    std::optional<QStringEncoder> m_encoder;
    // By lead byte (0 for single bytes) and trail byte: the one UTF-16 unit a sequence
    // decodes to, kFails, or kAsk (decoded through the converter each time: more than
    // one unit, or a unit that is a marker here).
    std::vector<char16_t> m_table;
    std::array<bool, 256> m_rowFilled{};
    // By UTF-16 unit: its bytes (length << 16 | the one or two bytes), or a marker.
    std::vector<quint32> m_encodeTable;
    QByteArray m_scratch;
};
