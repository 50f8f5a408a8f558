#include "iniwriter.h"

#include "inidocument.h"
#include "textcodec.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kLineEnd = u"\r\n";

qsizetype rowsLength(const KeyList &keys)
{
    qsizetype n = 0;
    for (const KeyRow &row : keys.rows())
        n += row.name().size() + 1 + (row.writesEmptyData() ? 0 : row.data().size()) + 2;
    return n;
}

void appendRows(const KeyList &keys, QString &text)
{
    for (const KeyRow &row : keys.rows()) {
        text += row.name();
        text += u'=';
        if (!row.writesEmptyData())
            text += row.data();
        text += kLineEnd;
    }
}

// The whole file as text, built in one buffer of the exact size.
QString documentText(const IniDocument &doc)
{
    const KeyList &rootKeys = *doc.list(0);
    qsizetype length = rowsLength(rootKeys);
    for (const auto &section : doc.sections())
        length += section->name.size() + 4 + rowsLength(section->keys);

    QString text;
    text.reserve(length);
    appendRows(rootKeys, text);
    for (const auto &section : doc.sections()) {
        text += u'[';
        text += section->name;
        text += u']';
        text += kLineEnd;
        appendRows(section->keys, text);
    }
    return text;
}

} // namespace

bool EncodeIniDocument(const IniDocument &doc, QByteArray *bytes, QString *error)
{
    bytes->clear();
    const QString text = documentText(doc);
    QString reason;
    qsizetype badPos = -1;
    if (TextCodec::encode(text, doc.encoding(), bytes, &reason, &badPos))
        return true;
    if (error) {
        const qsizetype line = QStringView(text).first(badPos).count(u'\n') + 1;
        *error = u"第 %1 行：%2"_s.arg(line).arg(reason);
    }
    return false;
}

bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    QByteArray bytes;
    if (!EncodeIniDocument(doc, &bytes, error))
        return false;

    // QSaveFile writes beside the target and renames over it on commit; it never falls
    // back to writing the target in place, and it takes over the old file's permissions.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
