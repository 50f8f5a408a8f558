#include "docbuilder.h"

#include "inidocument.h"

using namespace Qt::StringLiterals;

void buildDocument(IniDocument &doc, const QStringList &sections)
{
    DocumentContent content;
    for (const QString &entry : sections) {
        auto section = std::make_unique<Section>();
        const qsizetype colon = entry.indexOf(u':');
        section->name = entry.left(colon);
        std::vector<KeyRow> rows;
        const QString keys = entry.mid(colon + 1);
        for (const QString &pair : keys.split(u',', Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(u'=');
            const QString data = eq < 0 ? QString() : pair.mid(eq + 1);
            rows.emplace_back(pair.left(eq), data, data == KeyRow::emptyText());
        }
        section->keys.assign(std::move(rows), -1, false);
        content.sections.push_back(std::move(section));
    }
    doc.reset(u"C:\\test\\a.ini"_s, u"a.ini"_s, std::move(content));
}

QStringList dumpSections(const IniDocument &doc)
{
    QStringList out;
    for (int member = 2; member <= doc.nodeCount(); ++member) {
        const KeyList *list = doc.list(member);
        QStringList pairs;
        for (const KeyRow &row : list->rows())
            pairs << row.name() + u'=' + row.data();
        QString line = doc.nodeText(member) + u':' + pairs.join(u',');
        if (list->sorted())
            line += u" sorted"_s;
        if (list->current() >= 0)
            line += u" @"_s + QString::number(list->current()) + (list->currentSelected() ? u"*"_s : u""_s);
        out << line;
    }
    return out;
}
