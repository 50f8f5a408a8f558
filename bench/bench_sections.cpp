// Times the section commands at scale: deleting a section of a document with 100,000
// sections, and the first click on a section of 1,000,000 keys (which sorts its list).
// Usage: bench_sections [locale], e.g. "bench_sections zh_CN"; the locale decides the
// collation the key lists sort by (the default is the user's).

#include "commandhost.h"
#include "inidocument.h"
#include "documenttesting.h"
#include "keycollation.h"
#include "sectioncommands.h"
#include "yeshost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {


QTextStream out(stdout);

// Key names as INI files have them: letters of both cases, digits and "_", 4 to 16 long.
QString randomName(QRandomGenerator &random)
{
    static const QString alphabet = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"_s;
    const int length = 4 + int(random.bounded(13));
    QString name(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        name[i] = alphabet[int(random.bounded(int(alphabet.size())))];
    return name;
}

std::vector<KeyRow> randomRows(QRandomGenerator &random, int count)
{
    std::vector<KeyRow> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        rows.emplace_back(randomName(random), QString::number(i));
    return rows;
}

void build(IniDocument &doc, int sections, int keysPerSection, QRandomGenerator &random)
{
    DocumentContent content;
    for (int i = 0; i < sections; ++i) {
        auto section = std::make_unique<Section>();
        section->name = u"Section"_s + QString::number(i);
        section->keys.assign(randomRows(random, keysPerSection), -1, false);
        content.sections.push_back(std::move(section));
    }
    doc.reset(u"bench.ini"_s, u"bench.ini"_s, std::move(content));
}

void row(const QString &what, qint64 sections, qint64 keys, double ms)
{
    out << qSetFieldWidth(44) << Qt::left << what << qSetFieldWidth(10) << Qt::right << sections
        << qSetFieldWidth(10) << keys << qSetFieldWidth(12) << QString::number(ms, 'f', 1)
        << qSetFieldWidth(0) << Qt::endl;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void benchDelete(const QString &what, int position)
{
    QRandomGenerator random(1);
    IniDocument doc;
    YesHost host;
    SectionCommands commands(doc, host);
    build(doc, 100000, 10, random);
    const int node = position < 0 ? doc.nodeCount() : position;
    doc.setSelectedNode(node);
    QElapsedTimer timer;
    timer.start();
    commands.mnuSectionDelete_Click();
    row(what, doc.sectionCount() + 1, doc.keyTotal() + 10, msSince(timer));
}

void benchClick()
{
    QRandomGenerator random(2);
    IniDocument doc;
    YesHost host;
    SectionCommands commands(doc, host);
    build(doc, 1, 1000000, random);
    QElapsedTimer timer;
    timer.start();
    commands.tvwSections_NodeClick(2);
    row(u"first click on a section (sorts)"_s, 1, doc.keyTotal(), msSince(timer));
    timer.start();
    commands.tvwSections_NodeClick(2);
    row(u"second click (already sorted)"_s, 1, doc.keyTotal(), msSince(timer));
}

// Where a sort's time goes: making the collation keys, then sorting by them.
void benchCollationSplit()
{
    QRandomGenerator random(2);
    const std::vector<KeyRow> rows = randomRows(random, 1000000);
    QElapsedTimer timer;
    timer.start();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.size());
    for (const KeyRow &r : rows)
        keys.push_back(DocumentTesting::sortKey(r.name()));
    row(u"  collation keys for 1,000,000 names"_s, 0, qint64(rows.size()), msSince(timer));

    std::vector<qsizetype> order(rows.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    timer.start();
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });
    row(u"  stable sort by those keys"_s, 0, qint64(rows.size()), msSince(timer));

    // The same sort with each key next to its row number: one indirection fewer.
    std::vector<std::pair<QCollatorSortKey, qsizetype>> pairs;
    pairs.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        pairs.emplace_back(keys[i], qsizetype(i));
    timer.start();
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto &a, const auto &b) {
        return a.first.compare(b.first) < 0;
    });
    row(u"  stable sort of (key, row) pairs"_s, 0, qint64(rows.size()), msSince(timer));
    pairs = {};

    std::vector<KeyRow> moving = rows;
    timer.start();
    std::vector<KeyRow> sorted;
    sorted.reserve(moving.size());
    for (const qsizetype from : order)
        sorted.push_back(std::move(moving[size_t(from)]));
    row(u"  rows moved into their sorted order"_s, 0, qint64(rows.size()), msSince(timer));
    timer.start();
    keys = {};
    sorted = {};
    moving = {};
    row(u"  keys and rows freed"_s, 0, qint64(rows.size()), msSince(timer));

    std::iota(order.begin(), order.end(), qsizetype(0));
    timer.start();
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return KeyCollation::compare(rows[size_t(a)].name(), rows[size_t(b)].name()) < 0;
    });
    row(u"  stable sort with compare() (no keys)"_s, 0, qint64(rows.size()), msSince(timer));

    std::iota(order.begin(), order.end(), qsizetype(0));
    timer.start();
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return rows[size_t(a)].name().compare(rows[size_t(b)].name(), Qt::CaseInsensitive) < 0;
    });
    row(u"  for scale: stable sort, QString::compare"_s, 0, qint64(rows.size()), msSince(timer));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        QLocale::setDefault(QLocale(QString::fromLocal8Bit(argv[1])));
    out << "collation locale: " << QLocale().name() << Qt::endl;
    out << qSetFieldWidth(44) << Qt::left << "operation" << qSetFieldWidth(10) << Qt::right
        << "sections" << qSetFieldWidth(10) << "keys" << qSetFieldWidth(12) << "ms"
        << qSetFieldWidth(0) << Qt::endl;
    benchDelete(u"delete the first of 100,000 sections"_s, 2);
    benchDelete(u"delete the middle of 100,000 sections"_s, 50001);
    benchDelete(u"delete the last of 100,000 sections"_s, -1);
    benchClick();
    benchCollationSplit();
    return 0;
}
