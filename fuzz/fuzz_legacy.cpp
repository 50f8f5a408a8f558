// Decodes arbitrary bytes in a legacy code page the first byte picks (GB18030 and the
// Windows code pages 936, 950, 932, 949 and 1252) and checks the table-driven route
// against the converter: sequence by sequence, and against one plain decode of all
// the bytes wherever every sequence is a character; and the text encodes back to the
// bytes through the encoding table. The bytes after the first are
// mostly lead and trail bytes, with line ends, "[", "]" and "=" among them.
#include "fuzzcheck.h"

#include "legacycodec.h"
#include "texttesting.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

// Bytes 00..3F of the input stand for the bytes that matter most between the
// sequences; the others are taken as they are, so that most are lead or trail bytes.
QByteArray spread(const uint8_t *data, size_t size)
{
    static constexpr char special[] = {'\r', '\n', '[', ']', '=', '\\', '0', '9', '@', '~', '\x7f', ' '};
    QByteArray bytes;
    bytes.reserve(qsizetype(size));
    for (size_t i = 0; i < size; ++i)
        bytes.append(data[i] < 0x40 ? special[data[i] % std::size(special)] : char(data[i]));
    return bytes;
}

QString shown(QByteArrayView bytes, const QString &a, const QString &b)
{
    const QByteArray all = bytes.toByteArray().toHex(' ') + " | " + a.toUtf8().toHex(' ') + " | " + b.toUtf8().toHex(' ');
    return QString::fromLatin1(all);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static constexpr int codePages[] = {CodePageLayout::kGb18030, 936, 950, 932, 949, 1252};
    const int codePage = codePages[data[0] % std::size(codePages)];
    const QByteArray bytes = spread(data + 1, size - 1);

    LegacyCodec fast(codePage);
    qsizetype fastEscapes = -1;
    const QString text = fast.decode(bytes, &fastEscapes);
    LegacyCodec slow(codePage);
    qsizetype slowEscapes = -1;
    const QString reference = TextTesting::decodeEachSequence(slow, bytes, &slowEscapes);
    FUZZ_CHECK(text == reference && fastEscapes == slowEscapes, "the table gives what the converter gives",
               shown(bytes, text, reference));

    // Every sequence that became a character came back as itself from the converter,
    // and an escape is its byte: the text encodes to the bytes it was read from.
    QByteArray back;
    qsizetype badPos = -1;
    FUZZ_CHECK(fast.encode(text, &back, &badPos) && back == bytes, "the decoded text encodes to its bytes",
               shown(bytes, text, QString::fromLatin1(back.toHex(' '))));

    // Pieces that end at a line end decode as the whole does.
    const qsizetype cut = bytes.indexOf('\n');
    if (cut >= 0) {
        QString pieces;
        qsizetype escapes = fast.decodeAppend(QByteArrayView(bytes).first(cut + 1), &pieces);
        escapes += fast.decodeAppend(QByteArrayView(bytes).sliced(cut + 1), &pieces);
        FUZZ_CHECK(pieces == text && escapes == fastEscapes, "pieces decode as the whole",
                   shown(bytes, pieces, text));
    }

    // Where nothing became an escape, one decode of all the bytes agrees, but for the
    // controls that ICU's IBM table for 932 swaps (7F reads as 1A there): a byte below
    // 80 is always that ASCII character here, as in Windows' own code pages.
    if (fastEscapes == 0 && !bytes.contains('\x7f')) {
        QStringDecoder plain(CodePageLayout(codePage).converterName().constData(),
                             QStringConverter::Flag::Stateless);
        const QString whole = plain.decode(bytes);
        FUZZ_CHECK(!plain.hasError() && whole == text, "one plain decode gives the same text",
                   shown(bytes, text, whole));
    }
    return 0;
}
