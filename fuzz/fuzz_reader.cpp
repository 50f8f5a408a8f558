// Reads arbitrary bytes as an INI file and checks the document against the invariants
// of a read, a plain second parser, the codec's promise that decoding keeps every byte,
// and the reader's choice of encoding: no line changes its kind because of the decoding.
#include "encodingdetector.h"
#include "fuzzcheck.h"
#include "inidocument.h"
#include "inifile.h"
#include "textcodec.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// Lines end at CR LF, a lone LF or a lone CR, in bytes as in text.
QList<QByteArray> splitLines(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n").replace('\r', '\n').split('\n');
}

QStringList splitLines(QString text)
{
    return text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').split(u'\n');
}

bool isHeader(QStringView line)
{
    return line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']');
}

// The line format written the slow, obvious way, to compare the real parser with.
void referenceParse(const QString &decoded, DocumentContent &content)
{
    std::vector<KeyRow> rows;
    KeyList *target = &content.rootKeys;
    auto finish = [&] {
        const bool any = !rows.empty();
        target->assign(std::vector<KeyRow>(rows.rbegin(), rows.rend()), any ? 0 : -1, any);
        rows.clear();
    };
    for (const QString &line : splitLines(decoded)) {
        if (isHeader(line)) {
            finish();
            content.sections.push_back(std::make_unique<Section>());
            content.sections.back()->name = line.mid(1, line.size() - 2);
            target = &content.sections.back()->keys;
        } else if (const qsizetype eq = line.indexOf(u'='); eq >= 0) {
            const QString data = line.mid(eq + 1);
            rows.emplace_back(line.left(eq), data.isEmpty() ? QString(KeyRow::emptyText()) : data, data.isEmpty());
        }
    }
    finish();
}

// The bytes a decoded text encodes back to: the input itself, except that UTF-16 keeps
// an odd last byte as a whole code unit (followed by 00).
QByteArray expectedBytes(QByteArrayView input, TextEncoding encoding)
{
    QByteArray bytes = input.toByteArray();
    const qsizetype bom = TextCodec::byteOrderMark(encoding).size();
    if (isUtf16(encoding) && (bytes.size() - bom) % 2 != 0)
        bytes.append('\0');
    return bytes;
}

// In an 8-bit encoding the decoding never changes a line's kind: CR and LF are never
// part of a character, so the lines are those of the bytes; "=" is never taken into a
// character; and a line whose bytes start with "[" and end with "]" is a header, in
// every encoding here (the legacy code page keeps a lead byte before such a "]" as an
// escape rather than take the "]" into a character).
void checkLineKinds(QByteArrayView input, const DecodedText &decoded)
{
    if (isWide(decoded.encoding))
        return; // lines are split on the decoded code units themselves
    const QByteArray body = input.sliced(TextCodec::byteOrderMark(decoded.encoding).size()).toByteArray();
    const QList<QByteArray> byteLines = splitLines(body);
    const QStringList textLines = splitLines(decoded.text);
    FUZZ_CHECK(byteLines.size() == textLines.size(), "the decoding neither splits nor joins lines");
    for (qsizetype i = 0; i < byteLines.size(); ++i) {
        const QByteArray &bytes = byteLines[i];
        const QString &text = textLines[i];
        FUZZ_CHECK(bytes.contains('=') == text.contains(u'='), "no \"=\" taken into a character",
                   QString::number(i));
        const bool bracketed = bytes.size() >= 2 && bytes.startsWith('[') && bytes.endsWith(']');
        FUZZ_CHECK(bracketed == isHeader(text), "a line is a header exactly when its bytes are in brackets",
                   QString::number(i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const QString path = FuzzCheck::documentPath();

    IniDocument doc;
    FuzzCheck::readBytes(doc, QByteArray::fromRawData(input.data(), input.size()), path);
    FuzzCheck::readDocument(doc, path);

    const DecodedText decoded = EncodingDetector::decodeFile(input);
    FUZZ_CHECK(doc.encoding() == decoded.encoding, "the document keeps the encoding it was read in");
    QByteArray back;
    QString error;
    FUZZ_CHECK(TextCodec::encode(decoded.text, decoded.encoding, &back, &error),
               "decoded text encodes again", error);
    const QByteArray expected = expectedBytes(input, decoded.encoding);
    FUZZ_CHECK(back == expected, "decoding then encoding gives the input's bytes",
               QString::fromLatin1(back.toHex(' ') + " / " + expected.toHex(' ')));
    checkLineKinds(input, decoded);

    DocumentContent reference;
    referenceParse(decoded.text, reference);
    // Both parsers' documents, list by list.
    IniDocument expectedDoc;
    expectedDoc.reset(path, FileNameFromPath(path), std::move(reference));
    FUZZ_CHECK(doc.sectionCount() == expectedDoc.sectionCount(), "section count as the plain parser's");
    for (int member = 0; member <= doc.nodeCount(); member = member == 0 ? 2 : member + 1) {
        const KeyList &mine = *doc.list(member);
        const KeyList &theirs = *expectedDoc.list(member);
        FUZZ_CHECK(doc.nodeText(member == 0 ? 1 : member) == expectedDoc.nodeText(member == 0 ? 1 : member),
                   "section name as the plain parser's");
        FUZZ_CHECK(mine.rows() == theirs.rows(), "rows as the plain parser's", QString::number(member));
    }
    return 0;
}
