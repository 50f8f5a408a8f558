#include "refdocument.h"

#include "inidocument.h"
#include "keycollation.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
int nextRowId = 1;

QString describe(const KeyRow &row)
{
    return u"%1=%2%3"_s.arg(row.name(), row.data(), row.readEmpty() ? u" (read empty)"_s : QString());
}

QString describe(const RefRow &row)
{
    return u"%1=%2%3"_s.arg(row.name, row.data, row.readEmpty ? u" (read empty)"_s : QString());
}

QString listDifferences(const KeyList &real, const RefList &ref)
{
    if (real.count() != qsizetype(ref.rows.size()))
        return u"%1 rows, expected %2"_s.arg(real.count()).arg(ref.rows.size());
    for (qsizetype i = 0; i < real.count(); ++i) {
        const RefRow &want = ref.rows[size_t(i)];
        const KeyRow &got = real.row(i);
        if (got.name() != want.name || got.data() != want.data || got.readEmpty() != want.readEmpty)
            return u"row %1 is \"%2\", expected \"%3\""_s.arg(i).arg(describe(got), describe(want));
    }
    if (real.current() != ref.current())
        return u"current row %1, expected %2"_s.arg(real.current()).arg(ref.current());
    if (real.currentSelected() != ref.currentSelected)
        return u"current row selected %1, expected %2"_s.arg(real.currentSelected()).arg(ref.currentSelected);
    if (real.sorted() != ref.sorted)
        return u"sorting %1, expected %2"_s.arg(real.sorted()).arg(ref.sorted);
    return {};
}
} // namespace

qsizetype RefList::current() const
{
    if (currentId < 0)
        return -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].id == currentId)
            return qsizetype(i);
    }
    return -1;
}

void RefList::setCurrent(qsizetype pos, bool selected)
{
    const bool valid = pos >= 0 && pos < qsizetype(rows.size());
    currentId = valid ? rows[size_t(pos)].id : -1;
    currentSelected = valid && selected;
}

qsizetype RefList::add(RefRow row)
{
    qsizetype at = qsizetype(rows.size());
    if (sorted) {
        at = 0;
        while (at < qsizetype(rows.size()) && KeyCollation::compare(rows[size_t(at)].name, row.name) <= 0)
            ++at;
    }
    rows.insert(rows.begin() + at, std::move(row));
    return at;
}

void RefList::remove(qsizetype pos)
{
    if (rows[size_t(pos)].id == currentId) {
        currentId = -1;
        currentSelected = false;
    }
    rows.erase(rows.begin() + pos);
}

qsizetype RefList::rename(qsizetype pos, const QString &name)
{
    RefRow row = rows[size_t(pos)];
    row.name = name;
    if (!sorted) {
        rows[size_t(pos)] = row;
        return pos;
    }
    rows.erase(rows.begin() + pos);
    return add(std::move(row));
}

void RefList::sort()
{
    std::stable_sort(rows.begin(), rows.end(), [](const RefRow &a, const RefRow &b) {
        return KeyCollation::compare(a.name, b.name) < 0;
    });
    sorted = true;
}

void RefList::forgetState()
{
    currentId = -1;
    currentSelected = false;
    sorted = false;
}

RefList *RefDocument::list(int member)
{
    return const_cast<RefList *>(std::as_const(*this).list(member));
}

const RefList *RefDocument::list(int member) const
{
    if (member == 0)
        return &rootKeys;
    if (member < 2 || member > nodeCount())
        return nullptr;
    return &sections[size_t(member - 2)].keys;
}

QString RefDocument::nodeText(int node) const
{
    return node == 1 ? rootText : sections[size_t(node - 2)].name;
}

QString RefDocument::fullPath(int node) const
{
    return node == 1 ? rootText : rootText + u'\\' + nodeText(node);
}

QString RefDocument::countText() const
{
    return QString::number(nodeCount() - 1) + u" 项目"_s;
}

qint64 RefDocument::keyTotal() const
{
    qint64 total = qint64(rootKeys.rows.size());
    for (const RefSection &section : sections)
        total += qint64(section.keys.rows.size());
    return total;
}

RefRow RefDocument::newRow(const QString &name, const QString &data, bool readEmpty)
{
    return RefRow{name, data, readEmpty, nextRowId++};
}

QString RefDocument::fileName(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

void RefDocument::newDocument()
{
    readMissing(u"Untitled"_s);
    rootText = u"Untitled.ini"_s;
    statusPath = rootText;
    statusCount = countText();
}

void RefDocument::readMissing(const QString &newPath)
{
    rootText = fileName(newPath);
    path = newPath;
    rootKeys = RefList();
    sections.clear();
    selected = 0;
    front = 0;
    rootExpanded = false;
}

void RefDocument::readText(const QString &newPath, const QString &text)
{
    readMissing(newPath);
    RefList *target = &rootKeys;
    const QStringList lines = QString(text).replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').split(u'\n');
    auto finish = [&target] {
        std::reverse(target->rows.begin(), target->rows.end());
        target->setCurrent(0, true);
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (i == lines.size() - 1 && line.isEmpty())
            break; // the end of the last line, not a line of its own
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            finish();
            sections.push_back(RefSection{line.mid(1, line.size() - 2), RefList()});
            target = &sections.back().keys;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString data = line.mid(eq + 1);
        target->rows.push_back(data.isEmpty() ? newRow(line.left(eq), KeyRow::emptyText(), true)
                                              : newRow(line.left(eq), data));
    }
    finish();
    statusPath = newPath;
    statusCount = countText();
    selected = 1;
    rootExpanded = !sections.empty();
}

QString RefDocument::iniText() const
{
    QString text;
    auto rows = [&text](const RefList &keys) {
        for (const RefRow &row : keys.rows) {
            const bool empty = row.readEmpty && row.data == KeyRow::emptyText();
            text += row.name + u'=' + (empty ? QString() : row.data) + u"\r\n"_s;
        }
    };
    rows(rootKeys);
    for (const RefSection &section : sections) {
        text += u'[' + section.name + u"]\r\n"_s;
        rows(section.keys);
    }
    return text;
}

QString RefDocument::differences(const IniDocument &doc) const
{
    auto mismatch = [](const QString &what, const QString &got, const QString &want) {
        return u"%1 is \"%2\", expected \"%3\""_s.arg(what, got, want);
    };
    if (doc.nodeCount() != nodeCount())
        return u"node count %1, expected %2"_s.arg(doc.nodeCount()).arg(nodeCount());
    if (doc.rootText() != rootText)
        return mismatch(u"root text"_s, doc.rootText(), rootText);
    if (doc.path() != path)
        return mismatch(u"path"_s, doc.path(), path);
    if (doc.statusPath() != statusPath)
        return mismatch(u"status path"_s, doc.statusPath(), statusPath);
    if (doc.statusCount() != statusCount)
        return mismatch(u"status count"_s, doc.statusCount(), statusCount);
    if (doc.selectedNode() != selected)
        return u"selected node %1, expected %2"_s.arg(doc.selectedNode()).arg(selected);
    if (doc.frontList() != front)
        return u"front list %1, expected %2"_s.arg(doc.frontList()).arg(front);
    if (doc.rootExpanded() != rootExpanded)
        return u"root expanded %1, expected %2"_s.arg(doc.rootExpanded()).arg(rootExpanded);
    // Members 0 and 2..nodeCount() exist, 1 and nodeCount()+1 do not.
    if (doc.list(1) || doc.isMember(1) || doc.list(nodeCount() + 1) || !doc.list(0))
        return u"member numbering broken (list 1 or list %1 exists)"_s.arg(nodeCount() + 1);
    if (doc.keyTotal() != keyTotal())
        return u"key total %1, expected %2"_s.arg(doc.keyTotal()).arg(keyTotal());
    if (QString d = listDifferences(*doc.list(0), rootKeys); !d.isEmpty())
        return u"root list: "_s + d;
    for (int node = 2; node <= nodeCount(); ++node) {
        if (doc.nodeText(node) != nodeText(node))
            return mismatch(u"name of node %1"_s.arg(node), doc.nodeText(node), nodeText(node));
        const KeyList *keys = doc.list(node);
        if (!keys)
            return u"list %1 missing"_s.arg(node);
        if (QString d = listDifferences(*keys, *list(node)); !d.isEmpty())
            return u"list %1 (\"%2\"): %3"_s.arg(node).arg(nodeText(node), d);
    }
    return {};
}
