#include "inireader.h"

#include "documentcontent.h"
#include "eightbitchoice.h"
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

// UTF-8 parsed from its bytes: strictly valid (checked piece by piece; NotThisEncoding
// at the first piece that is not, and content must then be thrown away), or with escapes
// for the bytes that start no valid sequence (a file with a mark, or one that
// EightBitChoice took for UTF-8 with a few stray bytes).
PieceRead readUtf8(QIODevice &file, bool strict, DocumentContent &content)
{
    Utf8Texts texts;
    texts.validated = strict;
    IniLineParser<char, Utf8Texts> parser(content, texts);
    bool ascii = true;
    const PieceRead read = readPieces(file, [&](QByteArrayView lines) {
        bool piecesAscii = true;
        if (strict && !TextCodec::isValidUtf8(lines, &piecesAscii))
            return false;
        ascii = ascii && piecesAscii;
        texts.allAscii = strict && piecesAscii;
        parser.feed(lines.data(), lines.data() + lines.size());
        return true;
    });
    if (read != PieceRead::Done)
        return read;
    parser.finish();
    content.encoding = !strict ? TextEncoding::Utf8 : ascii ? defaultNewFileEncoding() : TextEncoding::Utf8;
    return PieceRead::Done;
}

// Text that is neither UTF-16, UTF-32 nor strict UTF-8, read a piece at a time in
// `encoding` (the legacy code page or a single-byte one): each piece is decoded and
// parsed. With a choice to count for, its counts run over every piece, and the read is
// NotThisEncoding when the choice comes out as another encoding (content must then be
// thrown away); the pieces after the legacy code page has failed are only counted.
PieceRead readEightBit(QIODevice &file, TextEncoding encoding, EightBitChoice *choice, DocumentContent &content)
{
    const qsizetype total = file.size();
    LegacyCodec &legacy = LegacyCodec::platform();
    Utf16Texts texts;
    IniLineParser<char16_t, Utf16Texts> parser(content, texts);
    QString text;
    qsizetype seen = 0;
    const PieceRead read = readPieces(file, [&](QByteArrayView lines) {
        seen += lines.size();
        if (choice && !choice->holds()) {
            choice->count(lines);
            return true;
        }
        text.truncate(0);
        if (encoding == TextEncoding::Legacy) {
            const qsizetype escapes = legacy.decodeAppend(lines, &text);
            if (choice)
                choice->count(lines, escapes, text.size());
        } else {
            text = TextCodec::decode(lines, encoding);
            if (choice)
                choice->count(lines);
        }
        const QStringView piece(text);
        parser.feed(piece.utf16(), piece.utf16() + piece.size());
        return true;
    });
    if (read != PieceRead::Done)
        return read;
    if (choice && (seen != total || choice->result() != encoding))
        return PieceRead::NotThisEncoding;
    parser.finish();
    content.encoding = encoding;
    return PieceRead::Done;
}

// Reads all of device into content: UTF-8 (and plain ASCII, the common case) is parsed
// from the bytes themselves and other 8-bit text decoded, a piece at a time; UTF-16 and
// UTF-32 are decoded whole first. Either way the result is what
// EncodingDetector::decodeFile() and parseIniText() give for the whole text (or, with an
// encoding given, decodeAs()). False when the device fails in a way that read() or
// seek() reports (the caller also checks its own error state: readAll() reports none),
// or when the bytes cannot be kept in the encoding given.
bool readContent(QIODevice &device, DocumentContent &content, std::optional<TextEncoding> given, bool *unkeepable)
{
    const QByteArray head = device.peek(64 * 1024);
    qsizetype markSize = 0;
    const std::optional<TextEncoding> wide = EncodingDetector::wideOrMarked(head, &markSize);
    PieceRead result = PieceRead::NotThisEncoding;
    if (!given && wide == TextEncoding::Utf8Bom) {
        result = device.skip(3) == 3 ? readUtf8(device, false, content) : PieceRead::Error;
        content.encoding = TextEncoding::Utf8Bom;
    } else if (!given && !wide) {
        result = readUtf8(device, true, content);
        if (result == PieceRead::NotThisEncoding) {
            content = DocumentContent();
            if (!device.seek(0))
                return false;
            EightBitChoice choice(head, device.size());
            result = readEightBit(device, choice.reading(), &choice, content);
            if (result == PieceRead::NotThisEncoding) {
                content = DocumentContent();
                if (!device.seek(0))
                    return false;
                const TextEncoding chosen = choice.result();
                result = chosen == TextEncoding::Utf8 ? readUtf8(device, false, content)
                                                      : readEightBit(device, chosen, nullptr, content);
            }
        }
    }
    if (result == PieceRead::Error)
        return false;
    if (result == PieceRead::NotThisEncoding) {
        content = DocumentContent();
        if (!device.seek(0))
            return false;
        QByteArray bytes = device.readAll();
        std::optional<DecodedText> decoded =
                given ? EncodingDetector::decodeAs(bytes, *given) : EncodingDetector::decodeFile(bytes);
        bytes = QByteArray();
        if (!decoded) {
            *unkeepable = true;
            return false;
        }
        decoded->text.squeeze();
        content.encoding = decoded->encoding;
        parseIniText(decoded->text, content);
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

bool readIni(DocumentContent &content, QIODevice &device, QString *error, std::optional<TextEncoding> encoding)
{
    content = DocumentContent();
    bool unkeepable = false;
    if (readContent(device, content, encoding, &unkeepable))
        return true;
    content = DocumentContent();
    if (error && unkeepable)
        *error = u"文件不是有效的 %1 文本：用这种编码打开会丢失其中的字节"_s.arg(TextCodec::encodingName(*encoding));
    else if (error)
        *error = device.errorString();
    return false;
}
