// Reads arbitrary bytes as an INI file and checks the document against the invariants
// of a read, a plain second parser, and the codec's promise that decoding keeps every
// byte.
#include "fuzzcheck.h"

#include "inidocument.h"
#include "inireader.h"
#include "textcodec.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// The line format written the slow, obvious way, to compare the real parser with.
void referenceParse(const QString &decoded, DocumentContent &content)
{
    QString text = decoded;
    text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    std::vector<KeyRow> rows;
    KeyList *target = &content.rootKeys;
    auto finish = [&] {
        const bool any = !rows.empty();
        target->assign(std::vector<KeyRow>(rows.rbegin(), rows.rend()), any ? 0 : -1, any);
        rows.clear();
    };
    for (const QString &line : text.split(u'\n')) {
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            finish();
            content.sections.push_back(std::make_unique<Section>());
            content.sections.back()->name = line.mid(1, line.size() - 2);
            target = &content.sections.back()->keys;
        } else if (const qsizetype eq = line.indexOf(u'='); eq >= 0) {
            const QString data = line.mid(eq + 1);
            rows.emplace_back(line.left(eq), data.isEmpty() ? KeyRow::emptyText() : data, data.isEmpty());
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
    const bool utf16 = encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom;
    if (utf16 && (bytes.size() - bom) % 2 != 0)
        bytes.append('\0');
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const QString path = FuzzCheck::documentPath();

    IniDocument doc;
    ReadIniBytes(doc, QByteArray::fromRawData(input.data(), input.size()), path);
    FuzzCheck::readDocument(doc, path);

    const DecodedText decoded = TextCodec::decodeFile(input);
    FUZZ_CHECK(doc.encoding() == decoded.encoding, "the document keeps the encoding it was read in");
    QByteArray back;
    QString error;
    FUZZ_CHECK(TextCodec::encode(decoded.text, decoded.encoding, &back, &error),
               "decoded text encodes again", error);
    const QByteArray expected = expectedBytes(input, decoded.encoding);
    FUZZ_CHECK(back == expected, "decoding then encoding gives the input's bytes",
               QString::fromLatin1(back.toHex(' ') + " / " + expected.toHex(' ')));

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
