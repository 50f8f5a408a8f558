#include "inireader.h"

#include "inidocument.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

QString FileNameFromPath(const QString &path)
{
    qsizetype cut = path.lastIndexOf(u'\\');
    if (QDir::separator() == u'/')
        cut = std::max(cut, path.lastIndexOf(u'/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

void ParseIniText(QStringView text, DocumentContent &content)
{
    // Rows are gathered in file order and reversed once per list: the list shows the
    // last key read on top, as if each row had been inserted at the top.
    std::vector<KeyRow> rows;
    KeyList *target = &content.rootKeys;
    auto finishList = [&] {
        std::reverse(rows.begin(), rows.end());
        const bool any = !rows.empty();
        target->assign(std::move(rows), any ? 0 : -1, any);
        rows = std::vector<KeyRow>();
    };

    const QChar *p = text.data();
    const QChar *const end = p + text.size();
    while (p < end) {
        const QChar *lineEnd = p;
        while (lineEnd < end && *lineEnd != u'\n' && *lineEnd != u'\r')
            ++lineEnd;
        const QStringView line(p, lineEnd - p);
        p = lineEnd;
        if (p < end)
            p += (*p == u'\r' && p + 1 < end && p[1] == u'\n') ? 2 : 1;

        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            finishList();
            auto section = std::make_unique<Section>();
            section->name = line.sliced(1, line.size() - 2).toString();
            content.sections.push_back(std::move(section));
            target = &content.sections.back()->keys;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QStringView data = line.sliced(eq + 1);
        if (data.isEmpty())
            rows.emplace_back(line.first(eq).toString(), KeyRow::emptyText(), true);
        else
            rows.emplace_back(line.first(eq).toString(), data.toString());
    }
    finishList();
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

    ReadIniBytes(doc, std::move(bytes), nativePath);
    return ReadResult::Ok;
}

void ReadIniBytes(IniDocument &doc, QByteArray bytes, const QString &path)
{
    const QString nativePath = QDir::toNativeSeparators(path);
    DocumentContent content;
    {
        DecodedText decoded = TextCodec::decodeFile(bytes);
        bytes = QByteArray();
        content.encoding = decoded.encoding;
        ParseIniText(decoded.text, content);
    }
    doc.reset(nativePath, FileNameFromPath(nativePath), std::move(content));
    doc.setStatusTexts(nativePath, doc.sectionCountText());
    doc.setSelectedNode(1);
}
