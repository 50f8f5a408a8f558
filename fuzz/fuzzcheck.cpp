#include "fuzzcheck.h"

#include "inidocument.h"
#include "inifile.h"
#include "inireader.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace FuzzCheck {

void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "CHECK FAILED: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

void readBytes(IniDocument &doc, QByteArray bytes, const QString &path)
{
    DocumentContent content;
    {
        // The same route as a file's, pieces and all.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        FUZZ_CHECK(readIni(content, buffer), "reading memory cannot fail");
    }
    bytes = QByteArray();
    doc.reset(path, FileNameFromPath(path), std::move(content));
    doc.showOpened();
}

QString documentPath()
{
    return u"/fuzz/输入.ini"_s;
}

static void checkRows(const KeyList &keys, int member)
{
    const qsizetype count = keys.count();
    const auto where = [member] { return u"member %1"_s.arg(member); };
    FUZZ_CHECK(!keys.sorted(), "a read list is not sorted", where());
    FUZZ_CHECK(keys.current() == (count > 0 ? 0 : -1), "current row is the top row or none", where());
    FUZZ_CHECK(keys.currentSelected() == (count > 0), "current row is selected", where());
    for (const KeyRow &row : keys.rows()) {
        FUZZ_CHECK(!row.name().contains(u'='), "a key name holds no \"=\"", where() + u' ' + row.name());
        FUZZ_CHECK(!row.name().contains(u'\n') && !row.name().contains(u'\r'), "a name holds no line end", where());
        FUZZ_CHECK(!row.data().contains(u'\n') && !row.data().contains(u'\r'), "data holds no line end", where());
        FUZZ_CHECK(!row.data().isEmpty(), "empty data shows as (Empty)", where());
        FUZZ_CHECK(!row.readEmpty() || row.data() == KeyRow::emptyText(), "read-empty rows hold (Empty)", where());
    }
}

void readDocument(const IniDocument &doc, const QString &path)
{
    const int sections = doc.sectionCount();
    FUZZ_CHECK(doc.nodeCount() == sections + 1, "node count is section count plus 1");
    FUZZ_CHECK(qsizetype(doc.sections().size()) == qsizetype(sections), "section list size");
    FUZZ_CHECK(!doc.isMember(1) && doc.list(1) == nullptr, "member 1 is absent");
    FUZZ_CHECK(doc.list(-1) == nullptr && doc.list(doc.nodeCount() + 1) == nullptr, "no member past the ends");
    FUZZ_CHECK(!doc.isNode(0) && !doc.isNode(doc.nodeCount() + 1), "no node past the ends");
    FUZZ_CHECK(doc.statusCount() == QString::number(sections) + u" 项目"_s, "status count text",
          doc.statusCount());
    FUZZ_CHECK(doc.statusCount() == doc.sectionCountText(), "status count is the section count text");
    FUZZ_CHECK(doc.statusPath() == path && doc.path() == path, "status path and path", doc.statusPath());
    FUZZ_CHECK(doc.rootText() == FileNameFromPath(path), "root text", doc.rootText());
    FUZZ_CHECK(doc.selectedNode() == 1 && doc.frontList() == 0, "root selected, member 0 in front");
    FUZZ_CHECK(doc.rootExpanded() == (sections > 0), "root expanded when there are sections");

    qint64 keys = 0;
    for (int node = 1; node <= doc.nodeCount(); ++node) {
        const int member = IniDocument::memberOfNode(node);
        const KeyList *list = doc.list(member);
        FUZZ_CHECK(list != nullptr, "every node has its list", QString::number(node));
        if (node > 1) {
            FUZZ_CHECK(list == &doc.sections()[size_t(node - 2)]->keys, "member i is the list of node i");
            const QString name = doc.nodeText(node);
            FUZZ_CHECK(!name.contains(u'\n') && !name.contains(u'\r'), "a section name holds no line end");
        }
        checkRows(*list, member);
        keys += list->count();
    }
    FUZZ_CHECK(doc.keyTotal() == keys, "key total");
}

static void sameReversed(const KeyList &a, const KeyList &b, const QString &where)
{
    FUZZ_CHECK(a.count() == b.count(), "same row count", where + u": %1 / %2"_s.arg(a.count()).arg(b.count()));
    const qsizetype n = a.count();
    for (qsizetype i = 0; i < n; ++i) {
        const KeyRow &x = a.row(i);
        const KeyRow &y = b.row(n - 1 - i);
        FUZZ_CHECK(x == y, "same row in reverse order",
              where + u" row %1: \"%2\"=\"%3\" / \"%4\"=\"%5\""_s.arg(i).arg(x.name(), x.data(), y.name(), y.data()));
    }
}

void reversedContent(const IniDocument &doc, const DocumentContent &content)
{
    FUZZ_CHECK(qsizetype(content.sections.size()) == qsizetype(doc.sectionCount()), "same section count",
          u"%1 / %2"_s.arg(content.sections.size()).arg(doc.sectionCount()));
    sameReversed(*doc.list(0), content.rootKeys, u"root"_s);
    for (int i = 0; i < doc.sectionCount(); ++i) {
        const Section &mine = *doc.sections()[size_t(i)];
        const Section &theirs = *content.sections[size_t(i)];
        FUZZ_CHECK(mine.name == theirs.name, "same section name", mine.name + u" / "_s + theirs.name);
        sameReversed(mine.keys, theirs.keys, mine.name);
    }
}

void reversedDocument(const IniDocument &doc, const IniDocument &other)
{
    FUZZ_CHECK(doc.sectionCount() == other.sectionCount(), "same section count");
    sameReversed(*doc.list(0), *other.list(0), u"root"_s);
    for (int i = 0; i < doc.sectionCount(); ++i) {
        const Section &mine = *doc.sections()[size_t(i)];
        const Section &theirs = *other.sections()[size_t(i)];
        FUZZ_CHECK(mine.name == theirs.name, "same section name", mine.name + u" / "_s + theirs.name);
        sameReversed(mine.keys, theirs.keys, mine.name);
    }
}

void sameDocument(const IniDocument &doc, const IniDocument &other)
{
    FUZZ_CHECK(doc.encoding() == other.encoding(), "same encoding");
    FUZZ_CHECK(doc.path() == other.path() && doc.rootText() == other.rootText(), "same path and root text");
    FUZZ_CHECK(doc.statusPath() == other.statusPath() && doc.statusCount() == other.statusCount(),
               "same status texts");
    FUZZ_CHECK(doc.selectedNode() == other.selectedNode() && doc.frontList() == other.frontList()
                   && doc.rootExpanded() == other.rootExpanded(),
               "same selection, front list and expansion");
    FUZZ_CHECK(doc.nodeCount() == other.nodeCount(), "same node count");
    for (int member = 0; member <= doc.nodeCount(); member = member == 0 ? 2 : member + 1) {
        const KeyList &a = *doc.list(member);
        const KeyList &b = *other.list(member);
        const QString where = doc.nodeText(member == 0 ? 1 : member);
        FUZZ_CHECK(doc.nodeText(member == 0 ? 1 : member) == other.nodeText(member == 0 ? 1 : member),
                   "same node text", where);
        FUZZ_CHECK(a.rows() == b.rows(), "same rows", where);
        FUZZ_CHECK(a.current() == b.current() && a.currentSelected() == b.currentSelected()
                       && a.sorted() == b.sorted(),
                   "same current row and sorting", where);
    }
}

} // namespace FuzzCheck
