#include "inireader.h"

#include "documentcontent.h"
#include "encodingdetector.h"
#include "inilineparser.h"
#include "legacycodec.h"
#include "textcodec.h"

#include <QIODevice>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Texts straight from UTF-8 bytes: "[", "]", "=", CR and LF are never part of a
// multi-byte sequence (nor of an escape), so the lines and their parts are the same as
// in the decoded text. ASCII parts are stored without decoding.
struct Utf8Texts
{
    QString name;
    QString data;
    bool allAscii = false; // the bytes being parsed are known to be all ASCII
    bool validated = false; // the bytes being parsed are known to be strict UTF-8

    void addRow(KeyList &rows, const char *nameFrom, const char *nameTo, const char *dataFrom,
                const char *dataTo)
    {
        if (allAscii || isAscii(QByteArrayView(nameFrom, dataTo))) {
            rows.appendRead(QLatin1StringView(nameFrom, nameTo), QLatin1StringView(dataFrom, dataTo));
            return;
        }
        decode(QByteArrayView(nameFrom, nameTo), &name);
        decode(QByteArrayView(dataFrom, dataTo), &data);
        rows.appendRead(QStringView(name), QStringView(data));
    }
    QString sectionName(const char *from, const char *to)
    {
        if (isAscii(QByteArrayView(from, to)))
            return QString::fromLatin1(from, to - from);
        QString text;
        decode(QByteArrayView(from, to), &text);
        return text;
    }
    void decode(QByteArrayView bytes, QString *out) const
    {
        if (validated)
            TextCodec::decodeValidUtf8(bytes, out);
        else
            TextCodec::decodeUtf8(bytes, out);
    }
};

struct Utf16Texts
{
    void addRow(KeyList &rows, const char16_t *nameFrom, const char16_t *nameTo,
                const char16_t *dataFrom, const char16_t *dataTo)
    {
        rows.appendRead(QStringView(nameFrom, nameTo), QStringView(dataFrom, dataTo));
    }
    QString sectionName(const char16_t *from, const char16_t *to)
    {
        return QStringView(from, to).toString();
    }
};

// Where the last complete line of buf[0..size) ends: after its last LF, or after its last
// CR when another byte follows (a CR at the very end may be the first half of CR LF).
qsizetype completeLines(const char *buf, qsizetype size)
{
    for (qsizetype i = size - 1; i >= 0; --i) {
        if (buf[i] == '\n' || (buf[i] == '\r' && i + 1 < size))
            return i + 1;
    }
    return 0;
}

enum class PieceRead { Done, NotThisEncoding, Error };

// Reads a file in pieces of a megabyte, so that the whole file never sits in memory
// beside the document it becomes, and hands take() each run of complete lines (at the
// end, the rest). Lines end at CR or LF, which no multi-byte sequence of UTF-8 or the
// legacy code pages holds, so no piece cuts a character. NotThisEncoding as soon as
// take() returns false.
template <typename Take>
PieceRead readPieces(QIODevice &file, Take take)
{
    constexpr qsizetype kPiece = 1024 * 1024;
    QByteArray buffer;
    qsizetype carried = 0; // bytes of an unfinished line at the start of buffer
    for (;;) {
        buffer.resize(carried + kPiece);
        const qint64 got = file.read(buffer.data() + carried, kPiece);
        if (got < 0)
            return PieceRead::Error;
        const qsizetype size = carried + qsizetype(got);
        const bool atEnd = got == 0;
        const qsizetype cut = atEnd ? size : completeLines(buffer.constData(), size);
        if (!take(QByteArrayView(buffer.constData(), cut)))
            return PieceRead::NotThisEncoding;
        carried = size - cut;
        if (carried > 0)
            std::memmove(buffer.data(), buffer.constData() + cut, size_t(carried));
        if (atEnd)
            return PieceRead::Done;
    }
}

// UTF-8 parsed from its bytes. Without a byte-order mark the bytes must be strictly
// valid UTF-8 (checked piece by piece); NotThisEncoding when they are not, and content
// must then be thrown away (the file may still be UTF-8 with a few stray bytes:
// decodeFile() decides).
PieceRead readUtf8(QIODevice &file, bool byteOrderMark, DocumentContent &content)
{
    Utf8Texts texts;
    texts.validated = !byteOrderMark;
    IniLineParser<char, Utf8Texts> parser(content, texts);
    bool ascii = true;
    const PieceRead read = readPieces(file, [&](QByteArrayView lines) {
        bool piecesAscii = true;
        if (!byteOrderMark && !TextCodec::isValidUtf8(lines, &piecesAscii))
            return false;
        ascii = ascii && piecesAscii;
        texts.allAscii = !byteOrderMark && piecesAscii;
        parser.feed(lines.data(), lines.data() + lines.size());
        return true;
    });
    if (read != PieceRead::Done)
        return read;
    parser.finish();
    content.encoding = byteOrderMark ? TextEncoding::Utf8Bom
                       : ascii       ? defaultNewFileEncoding()
                                     : TextEncoding::Utf8;
    return PieceRead::Done;
}

// A file without a byte-order mark that is neither UTF-16 nor strict UTF-8, read in the
// legacy code page a piece at a time: each piece is decoded and parsed, and the
// encoding detector's questions for that code page (mostly UTF-8 after all? a line
// lost? too many undecodable bytes?) are answered on the way. NotThisEncoding when
// the detector would choose another encoding: content must then be thrown away.
PieceRead readLegacy(QIODevice &file, DocumentContent &content)
{
    const qsizetype total = file.size();
    LegacyCodec &legacy = LegacyCodec::platform();
    EncodingDetector::MostlyUtf8 utf8(total);
    bool maybeUtf8 = true;
    Utf16Texts texts;
    IniLineParser<char16_t, Utf16Texts> parser(content, texts);
    QString text;
    qsizetype seen = 0;
    qsizetype escapes = 0;
    qsizetype chars = 0;
    const PieceRead read = readPieces(file, [&](QByteArrayView lines) {
        seen += lines.size();
        maybeUtf8 = maybeUtf8 && utf8.feed(lines);
        if (!legacy.keepsLinesOf(lines))
            return false;
        text.truncate(0);
        escapes += legacy.decodeAppend(lines, &text);
        chars += text.size();
        // The text has at most as many characters as the file has bytes.
        if (!EncodingDetector::fewEscapes(escapes, total))
            return false;
        const QStringView piece(text);
        parser.feed(piece.utf16(), piece.utf16() + piece.size());
        return true;
    });
    if (read != PieceRead::Done)
        return read;
    if (seen != total || (maybeUtf8 && utf8.result(total)) || !EncodingDetector::fewEscapes(escapes, chars))
        return PieceRead::NotThisEncoding;
    parser.finish();
    content.encoding = TextEncoding::Legacy;
    return PieceRead::Done;
}

// Reads all of device into content: UTF-8 (and plain ASCII, the common case) is parsed
// from the bytes themselves and the legacy code page decoded, a piece at a time; other
// encodings are decoded whole first.
// Either way the result is what EncodingDetector::decodeFile() and parseIniText() give for the
// whole text. False when the device fails in a way that read() or seek() reports (the
// caller also checks its own error state: readAll() reports none).
bool readContent(QIODevice &device, DocumentContent &content)
{
    const QByteArray head = device.peek(64 * 1024);
    const bool utf8Bom = head.startsWith(TextCodec::byteOrderMark(TextEncoding::Utf8Bom));
    // UTF-16 without a mark reads as valid UTF-8 (its zero bytes are ASCII): it is
    // recognised first, from the file's head, as decodeFile() does.
    const bool utf16 = head.startsWith(TextCodec::byteOrderMark(TextEncoding::Utf16LeBom))
                       || head.startsWith(TextCodec::byteOrderMark(TextEncoding::Utf16BeBom))
                       || (!utf8Bom && isUtf16(EncodingDetector::utf16WithoutMark(head)));
    PieceRead result = PieceRead::NotThisEncoding;
    if (!utf16 && (!utf8Bom || device.skip(3) == 3))
        result = readUtf8(device, utf8Bom, content);
    if (result == PieceRead::NotThisEncoding && !utf16 && !utf8Bom) {
        content = DocumentContent();
        if (!device.seek(0))
            return false;
        result = readLegacy(device, content);
    }
    if (result == PieceRead::Error)
        return false;
    if (result == PieceRead::NotThisEncoding) {
        content = DocumentContent();
        if (!device.seek(0))
            return false;
        QByteArray bytes = device.readAll();
        DecodedText decoded = EncodingDetector::decodeFile(bytes);
        bytes = QByteArray();
        decoded.text.squeeze();
        content.encoding = decoded.encoding;
        parseIniText(decoded.text, content);
    }
    return true;
}

} // namespace

void parseIniText(QStringView text, DocumentContent &content)
{
    Utf16Texts texts;
    IniLineParser<char16_t, Utf16Texts> parser(content, texts);
    parser.feed(text.utf16(), text.utf16() + text.size());
    parser.finish();
}

bool readIni(DocumentContent &content, QIODevice &device, QString *error)
{
    content = DocumentContent();
    if (readContent(device, content))
        return true;
    content = DocumentContent();
    if (error)
        *error = device.errorString();
    return false;
}
