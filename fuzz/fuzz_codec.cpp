// Encodes arbitrary text (the input's bytes after the first, as UTF-16 code units) in the
// encoding the first byte picks. The encoder either refuses, naming a character it
// cannot hold, or its bytes decode back to exactly the text.
#include "escapes.h"
#include "fuzzcheck.h"
#include "textcodec.h"

#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// A character that no encoding here can write: a lone surrogate that is no escape.
bool holdsUnwritable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() && !Escapes::isEscape(c.unicode()))
            return true;
    }
    return false;
}

// Some line of the bytes starts with "[" and ends with "]" while the text's line does not.
bool bytesMakeHeader(QByteArray bytes, QString text)
{
    const QList<QByteArray> lines = bytes.replace("\r\n", "\n").replace('\r', '\n').split('\n');
    const QStringList texts = text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').split(u'\n');
    for (qsizetype i = 0; i < lines.size() && i < texts.size(); ++i) {
        if (lines[i].size() >= 2 && lines[i].startsWith('[') && lines[i].endsWith(']') && !texts[i].endsWith(u']'))
            return true;
    }
    return false;
}

bool holdsEscape(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return Escapes::isEscape(c.unicode()); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static constexpr TextEncoding encodings[] = {
            TextEncoding::Utf8,    TextEncoding::Utf8Bom,     TextEncoding::Utf16LeBom,
            TextEncoding::Utf16BeBom, TextEncoding::Legacy,   TextEncoding::Utf16Le,
            TextEncoding::Utf16Be, TextEncoding::Windows1252, TextEncoding::Windows1251,
            TextEncoding::Windows1250, TextEncoding::Koi8R,   TextEncoding::Utf32LeBom,
            TextEncoding::Utf32Be,   TextEncoding::Windows1253, TextEncoding::Windows1257,
            TextEncoding::Iso8859_15, TextEncoding::Koi8U,    TextEncoding::Cp437,
            TextEncoding::Cp866};
    const TextEncoding encoding = encodings[data[0] % std::size(encodings)];
    const qsizetype units = qsizetype(size - 1) / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(char16_t(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));

    QByteArray bytes("kept");
    QString error;
    qsizetype badPos = -1;
    const bool utf16 = isUtf16(encoding);
    if (!TextCodec::encode(text, encoding, &bytes, &error, &badPos)) {
        FUZZ_CHECK(bytes == "kept", "a refused text leaves the output as it was");
        FUZZ_CHECK(!utf16, "UTF-16 holds any code unit");
        FUZZ_CHECK(!isUtf32(encoding) || holdsUnwritable(text) || holdsEscape(text),
                   "UTF-32 refuses only lone surrogates", error);
        FUZZ_CHECK(badPos >= 0 && badPos < text.size() && !error.isEmpty(), "a refusal names its character");
        // Besides lone surrogates, an escape may be refused whose byte would join its
        // neighbours' into a character.
        // A single-byte code page holds 256 characters at most.
        FUZZ_CHECK(isSingleByte(encoding) || holdsUnwritable(text) || holdsEscape(text),
                   "only a lone surrogate or an escape is refused", error);
        return 0;
    }
    const QByteArray mark = TextCodec::byteOrderMark(encoding);
    FUZZ_CHECK(bytes.sliced(4, mark.size()) == mark, "the byte-order mark comes first");
    const QByteArray body = bytes.sliced(4 + mark.size());
    const QString back = TextCodec::decode(body, encoding);
    // One difference is by design: in the legacy code page a line whose bytes start with
    // "[" and end with "]" is a header, so a character whose trail byte is that "]" does
    // not read back (the writer knows such a key line reads as a header).
    FUZZ_CHECK(back == text || (encoding == TextEncoding::Legacy && bytesMakeHeader(body, text)),
               "encoded text decodes to itself");
    return 0;
}
