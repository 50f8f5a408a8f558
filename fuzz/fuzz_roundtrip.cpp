// Reads arbitrary bytes, writes the document and reads the output again: the second
// document must be the first with each list reversed, and the output must decode, in
// the first document's encoding, back to the very texts that were read. Where the writer
// says it knows what that read gives, the document made from the first one itself must
// be the second to the last flag.
#include "fuzzcheck.h"
#include "inidocument.h"
#include "inifile.h"
#include "inireader.h"
#include "iniwriter.h"
#include "textcodec.h"

#include <cstddef>
#include <cstdint>

namespace {

bool allAscii(QByteArrayView bytes)
{
    for (const char b : bytes) {
        if (uchar(b) >= 0x80)
            return false;
    }
    return true;
}

bool hasMark(TextEncoding encoding)
{
    return !TextCodec::byteOrderMark(encoding).isEmpty();
}

// The one refusal a save of an unedited document may give: the file would open as another
// encoding, as when reversed rows put bytes that read as a byte-order mark at the start of
// a file that has none, or dropped lines leave a UTF-16 file without mark too few ASCII
// characters to be recognised.
bool refusedForMark(const QString &error)
{
    return error.contains(QStringLiteral("再次打开时"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const QString path = FuzzCheck::documentPath();

    IniDocument first;
    FuzzCheck::readBytes(first, QByteArray::fromRawData(input.data(), input.size()), path);
    QByteArray written;
    QString error;
    WrittenText facts;
    if (!encodeIniDocument(first.content(), &written, &error, &facts)) {
        FUZZ_CHECK(refusedForMark(error), "a document just read can be written", error);
        return 0;
    }

    // In the encoding it was written in, the output holds exactly the texts read.
    const QByteArray mark = TextCodec::byteOrderMark(first.encoding());
    FUZZ_CHECK(written.startsWith(mark), "the output starts with the document's byte-order mark");
    DocumentContent content;
    const QString text = TextCodec::decode(QByteArrayView(written).sliced(mark.size()), first.encoding());
    parseIniText(text, content);
    FuzzCheck::reversedContent(first, content);

    // Reading the output afresh works its encoding out again. Where that gives another
    // encoding than the first read's, the same bytes mean other texts (say a legacy file
    // whose undecodable lines were dropped and whose rest is valid UTF-8): a limit of
    // guessing encodings, not of the writer, which kept every byte.
    IniDocument second;
    FuzzCheck::readBytes(second, written, path);
    FuzzCheck::readDocument(second, path);
    const ReadBack readBack = readBackOf(first.content(), facts);
    if (readBack.exact) {
        IniDocument derived;
        FuzzCheck::readBytes(derived, QByteArray::fromRawData(input.data(), input.size()), path);
        readBackWritten(derived, path, readBack);
        FuzzCheck::sameDocument(derived, second);
    }
    const bool sameEncoding = second.encoding() == first.encoding()
                              || (allAscii(written) && !hasMark(first.encoding()) && !hasMark(second.encoding()));
    if (!sameEncoding)
        return 0;
    FuzzCheck::reversedDocument(second, first);

    // Two round trips reverse the rows twice: the output comes back byte for byte.
    QByteArray again;
    if (!encodeIniDocument(second.content(), &again, &error)) {
        FUZZ_CHECK(refusedForMark(error), "a reread document can be written", error);
        return 0;
    }
    IniDocument third;
    FuzzCheck::readBytes(third, again, path);
    if (third.encoding() != second.encoding() && !allAscii(again))
        return 0; // the reversed rows put other bytes first, e.g. FF FE
    QByteArray thrice;
    if (!encodeIniDocument(third.content(), &thrice, &error)) {
        FUZZ_CHECK(refusedForMark(error), "a third document can be written", error);
        return 0;
    }
    FUZZ_CHECK(thrice == written, "two round trips give the same bytes");
    return 0;
}
