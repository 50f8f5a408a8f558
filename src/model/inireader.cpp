#include "inireader.h"

#include "inidocument.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

QString FileNameFromPath(const QString &path)
{
    qsizetype cut = path.lastIndexOf(u'\\');
    if (QDir::separator() == u'/')
        cut = std::max(cut, path.lastIndexOf(u'/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

namespace {

// Walks the lines of a text (UTF-16 code units or UTF-8 bytes) and builds the content:
// both readers below share the rules, only the making of texts differs.
template <typename Char, typename Rows>
void parseLines(const Char *p, const Char *const end, DocumentContent &content, Rows &&addRow,
                const std::function<QString(const Char *, const Char *)> &sectionName)
{
    // Rows are gathered in file order on one scratch list and turned into the final
    // list in reverse: the list shows the last key read on top, as if each row had been
    // inserted at the top.
    KeyList scratch;
    KeyList *target = &content.rootKeys;
    while (p < end) {
        const Char *lineEnd = p;
        while (lineEnd < end && *lineEnd != Char('\n') && *lineEnd != Char('\r'))
            ++lineEnd;
        const Char *const line = p;
        p = lineEnd;
        if (p < end)
            p += (*p == Char('\r') && p + 1 < end && p[1] == Char('\n')) ? 2 : 1;

        if (lineEnd - line >= 2 && line[0] == Char('[') && lineEnd[-1] == Char(']')) {
            *target = scratch.finishRead();
            auto section = std::make_unique<Section>();
            section->name = sectionName(line + 1, lineEnd - 1);
            content.sections.push_back(std::move(section));
            target = &content.sections.back()->keys;
            continue;
        }
        const Char *eq = std::find(line, lineEnd, Char('='));
        if (eq != lineEnd)
            addRow(scratch, line, eq, eq + 1, lineEnd);
    }
    *target = scratch.finishRead();
}

// Key and header lines straight from UTF-8 bytes: "[", "]", "=", CR and LF are never
// part of a multi-byte sequence (nor of an escape), so the lines and their parts are
// the same as in the decoded text. ASCII parts are stored without decoding.
void parseUtf8(QByteArrayView bytes, DocumentContent &content)
{
    QString name;
    QString data;
    auto ascii = [](const char *from, const char *to) {
        unsigned char any = 0;
        for (const char *q = from; q < to; ++q)
            any |= static_cast<unsigned char>(*q);
        return any < 0x80;
    };
    auto addRow = [&](KeyList &rows, const char *nameFrom, const char *nameTo, const char *dataFrom,
                      const char *dataTo) {
        if (ascii(nameFrom, dataTo)) {
            rows.appendRead(QLatin1StringView(nameFrom, nameTo), QLatin1StringView(dataFrom, dataTo));
            return;
        }
        TextCodec::decodeUtf8(QByteArrayView(nameFrom, nameTo), &name);
        TextCodec::decodeUtf8(QByteArrayView(dataFrom, dataTo), &data);
        rows.appendRead(QStringView(name), QStringView(data));
    };
    auto sectionName = [&](const char *from, const char *to) {
        if (ascii(from, to))
            return QString::fromLatin1(from, to - from);
        QString text;
        TextCodec::decodeUtf8(QByteArrayView(from, to), &text);
        return text;
    };
    parseLines<char>(bytes.data(), bytes.data() + bytes.size(), content, addRow, sectionName);
}

bool startsWith(QByteArrayView bytes, const QByteArray &prefix)
{
    return !prefix.isEmpty() && bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

} // namespace

void ParseIniText(QStringView text, DocumentContent &content)
{
    using Unit = char16_t;
    auto addRow = [](KeyList &rows, const Unit *nameFrom, const Unit *nameTo, const Unit *dataFrom,
                     const Unit *dataTo) {
        rows.appendRead(QStringView(nameFrom, nameTo), QStringView(dataFrom, dataTo));
    };
    auto sectionName = [](const Unit *from, const Unit *to) { return QStringView(from, to).toString(); };
    parseLines<Unit>(text.utf16(), text.utf16() + text.size(), content, addRow, sectionName);
}

ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return ReadResult::Failed;
    };

    const QString nativePath = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        doc.clear(FileNameFromPath(nativePath));
        doc.setPath(nativePath);
        return ReadResult::Missing;
    }
    // Only a regular file is read: a device could deliver endless bytes.
    if (info.isDir())
        return fail(u"这是一个文件夹，不是文件"_s);
    if (!info.isFile())
        return fail(u"这不是一个普通文件"_s);

    QByteArray bytes;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.errorString());
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(file.errorString());
    }

    // UTF-8 (and plain ASCII, the common case) is parsed from the bytes themselves,
    // without a decoded copy of the whole file; other encodings are decoded first.
    // Either way the result is what TextCodec::decodeFile() and ParseIniText() give.
    DocumentContent content;
    const QByteArray utf8Bom = TextCodec::byteOrderMark(TextEncoding::Utf8Bom);
    bool ascii = false;
    if (startsWith(bytes, utf8Bom)) {
        content.encoding = TextEncoding::Utf8Bom;
        parseUtf8(QByteArrayView(bytes).sliced(utf8Bom.size()), content);
    } else if (!startsWith(bytes, TextCodec::byteOrderMark(TextEncoding::Utf16LeBom))
               && !startsWith(bytes, TextCodec::byteOrderMark(TextEncoding::Utf16BeBom))
               && TextCodec::isValidUtf8(bytes, &ascii)) {
        content.encoding = ascii ? defaultNewFileEncoding() : TextEncoding::Utf8;
        parseUtf8(bytes, content);
    } else {
        DecodedText decoded = TextCodec::decodeFile(bytes);
        bytes = QByteArray();
        content.encoding = decoded.encoding;
        ParseIniText(decoded.text, content);
    }
    bytes = QByteArray();
    doc.reset(nativePath, FileNameFromPath(nativePath), std::move(content));
    doc.setStatusTexts(nativePath, doc.sectionCountText());
    doc.setSelectedNode(1);
    return ReadResult::Ok;
}
