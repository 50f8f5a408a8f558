#include "singlebytecodec.h"

#include "escapes.h"

#include <QHash>
#include <QStringDecoder>

#include <array>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// The characters of the bytes 80..FF (0 for an unassigned byte) and the way back.
struct Table
{
    std::array<char16_t, 128> upper{};
    QHash<char16_t, uchar> bytes;
    bool valid = false;

    void index()
    {
        for (int i = 0; i < 128; ++i) {
            if (upper[i] != 0)
                bytes.insert(upper[i], uchar(0x80 + i));
        }
        valid = true;
    }
};

Table windows1252()
{
    // 80..9F; A0..FF are Latin-1. The holes 81, 8D, 8F, 90 and 9D are the C1 controls.
    static constexpr char16_t c1[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    Table table;
    for (int i = 0; i < 128; ++i)
        table.upper[i] = i < 32 ? c1[i] : char16_t(0x80 + i);
    table.index();
    return table;
}

Table fromConverter(const char *name)
{
    Table table;
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return table;
    for (int i = 0; i < 128; ++i) {
        const char byte = char(0x80 + i);
        const QString c = decoder.decode(QByteArrayView(&byte, 1));
        // A byte the code page leaves unassigned stays an escape.
        if (!decoder.hasError() && c.size() == 1 && c[0] != QChar::ReplacementCharacter)
            table.upper[i] = c[0].unicode();
        decoder.resetState();
        if (decoder.hasError())
            decoder = QStringDecoder(name, QStringConverter::Flag::Stateless);
    }
    table.index();
    return table;
}

// Each single-byte code page: its name for people, the name ICU's converters know, and
// its Windows code page number.
struct Page
{
    TextEncoding encoding;
    const char16_t *name;
    const char *converter;
    int codePage;
};
constexpr Page pages[] = {
    {TextEncoding::Windows1252, u"Windows-1252", "windows-1252", 1252},
    {TextEncoding::Windows1251, u"Windows-1251", "windows-1251", 1251},
    {TextEncoding::Windows1250, u"Windows-1250", "windows-1250", 1250},
    {TextEncoding::Koi8R, u"KOI8-R", "KOI8-R", 20866},
    {TextEncoding::Windows1253, u"Windows-1253", "windows-1253", 1253},
    {TextEncoding::Windows1254, u"Windows-1254", "windows-1254", 1254},
    {TextEncoding::Windows1257, u"Windows-1257", "windows-1257", 1257},
    {TextEncoding::Iso8859_1, u"ISO-8859-1", "ISO-8859-1", 28591},
    {TextEncoding::Iso8859_2, u"ISO-8859-2", "ISO-8859-2", 28592},
    {TextEncoding::Iso8859_5, u"ISO-8859-5", "ISO-8859-5", 28595},
    {TextEncoding::Iso8859_15, u"ISO-8859-15", "ISO-8859-15", 28605},
    {TextEncoding::Koi8U, u"KOI8-U", "KOI8-U", 21866},
    {TextEncoding::Cp437, u"CP437", "IBM437", 437},
    {TextEncoding::Cp866, u"CP866", "IBM866", 866},
};

const Page &pageOf(TextEncoding encoding)
{
    for (const Page &page : pages) {
        if (page.encoding == encoding)
            return page;
    }
    return pages[0];
}

const Table &tableOf(TextEncoding encoding)
{
    // Made the first time each page is asked for, once per process.
    static const auto tables = [] {
        std::array<Table, std::size(pages)> all;
        all[0] = windows1252();
        for (size_t i = 1; i < std::size(pages); ++i)
            all[i] = fromConverter(pages[i].converter);
        return all;
    }();
    return tables[size_t(&pageOf(encoding) - pages)];
}

} // namespace

bool SingleByteCodec::isAvailable(TextEncoding encoding)
{
    return isSingleByte(encoding) && tableOf(encoding).valid;
}

QString SingleByteCodec::name(TextEncoding encoding)
{
    return QString::fromUtf16(pageOf(encoding).name);
}

int SingleByteCodec::codePage(TextEncoding encoding)
{
    return pageOf(encoding).codePage;
}

TextEncoding SingleByteCodec::ofCodePage(int codePage)
{
    for (const Page &page : pages) {
        if (page.codePage == codePage)
            return page.encoding;
    }
    return TextEncoding::Utf8;
}

QList<TextEncoding> SingleByteCodec::all()
{
    QList<TextEncoding> out;
    for (const Page &page : pages)
        out << page.encoding;
    return out;
}

QString SingleByteCodec::decode(QByteArrayView bytes, TextEncoding encoding)
{
    const Table &table = tableOf(encoding);
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b < 0x80)
            *d++ = b;
        else
            *d++ = table.upper[b - 0x80] != 0 ? table.upper[b - 0x80] : Escapes::escapeOf(b);
    }
    return out;
}

bool SingleByteCodec::encode(QStringView text, TextEncoding encoding, QByteArray *out,
                             qsizetype *badPos)
{
    const Table &table = tableOf(encoding);
    const qsizetype start = out->size();
    out->resize(start + text.size());
    char *d = out->data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *d++ = char(c);
        } else if (Escapes::isEscape(c)) {
            *d++ = char(Escapes::byteOf(c));
        } else if (const auto it = table.bytes.constFind(c); it != table.bytes.cend()) {
            *d++ = char(*it);
        } else {
            out->truncate(d - out->constData());
            *badPos = i;
            return false;
        }
    }
    return true;
}
