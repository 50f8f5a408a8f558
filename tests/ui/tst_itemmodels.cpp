#include "inidocument.h"
#include "inireader.h"
#include "keylistmodel.h"
#include "sectiontreemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One step of editing, applied to a document of three sections "a", "b", "c" whose
// lists hold "z", "y", "x" (member 2), nothing (3) and "k" (4); member 2 in front.
using Step = std::function<void(IniDocument &)>;

void fill(IniDocument &doc)
{
    DocumentContent content;
    for (const QString &name : {u"a"_s, u"b"_s, u"c"_s}) {
        auto section = std::make_unique<Section>();
        section->name = name;
        content.sections.push_back(std::move(section));
    }
    content.sections[0]->keys.assign({KeyRow(u"z"_s, u"1"_s), KeyRow(u"y"_s, u"2"_s),
                                      KeyRow(u"x"_s, u"3"_s)}, 2, true);
    content.sections[2]->keys.assign({KeyRow(u"k"_s, u"v"_s)}, 0, true);
    doc.reset(u"/t/a.ini"_s, u"a.ini"_s, std::move(content));
    doc.setFrontList(2);
    doc.setSelectedNode(2);
}

QStringList shownRows(const KeyListModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r)
        rows << model.index(r, 0).data().toString() + u'=' + model.index(r, 1).data().toString();
    return rows;
}

} // namespace

class TestItemModels : public QObject
{
    Q_OBJECT
private slots:
    void editsKeepModelsConsistent_data();
    void editsKeepModelsConsistent();
    void readIsOneReset();
    void treeShowsNodes();
};

void TestItemModels::editsKeepModelsConsistent_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QStringList>("shown"); // the key model's rows afterwards
    QTest::addColumn<int>("sections");

    const QStringList front = {u"z=1"_s, u"y=2"_s, u"x=3"_s};
    QTest::newRow("nothing") << Step([](IniDocument &) {}) << front << 3;
    QTest::newRow("append to front")
        << Step([](IniDocument &d) { d.appendRow(2, KeyRow(u"n"_s, u""_s)); })
        << QStringList{u"z=1"_s, u"y=2"_s, u"x=3"_s, u"n="_s} << 3;
    QTest::newRow("insert at top")
        << Step([](IniDocument &d) { d.insertRow(2, 0, KeyRow(u"t"_s, u"0"_s)); })
        << QStringList{u"t=0"_s, u"z=1"_s, u"y=2"_s, u"x=3"_s} << 3;
    QTest::newRow("remove middle row")
        << Step([](IniDocument &d) { d.removeRow(2, 1); }) << QStringList{u"z=1"_s, u"x=3"_s} << 3;
    QTest::newRow("sort then rename moves down")
        << Step([](IniDocument &d) {
               d.setSorting(2, true);
               d.setRowName(2, 0, u"zz"_s);
           })
        << QStringList{u"y=2"_s, u"z=1"_s, u"zz=3"_s} << 3;
    QTest::newRow("sort then rename moves up")
        << Step([](IniDocument &d) {
               d.setSorting(2, true);
               d.setRowName(2, 2, u"a"_s);
           })
        << QStringList{u"a=1"_s, u"x=3"_s, u"y=2"_s} << 3;
    QTest::newRow("change data") << Step([](IniDocument &d) { d.setRowData(2, 2, u"new"_s); })
                                 << QStringList{u"z=1"_s, u"y=2"_s, u"x=new"_s} << 3;
    QTest::newRow("rows behind the front")
        << Step([](IniDocument &d) {
               d.appendRow(3, KeyRow(u"q"_s, u"q"_s));
               d.removeRow(4, 0);
           })
        << front << 3;
    QTest::newRow("other list to front")
        << Step([](IniDocument &d) { d.setFrontList(4); }) << QStringList{u"k=v"_s} << 3;
    QTest::newRow("add section") << Step([](IniDocument &d) { d.addSection(u"new"_s); }) << front << 4;
    QTest::newRow("remove front section")
        << Step([](IniDocument &d) { d.removeSection(2); }) << QStringList() << 2;
    QTest::newRow("remove section before front")
        << Step([](IniDocument &d) {
               d.setFrontList(4);
               d.removeSection(2);
           })
        << QStringList{u"k=v"_s} << 2; // the shown list moved down to member 3 with its section
    QTest::newRow("remove last section, front is earlier")
        << Step([](IniDocument &d) { d.removeSection(4); }) << front << 2;
    QTest::newRow("rename and select")
        << Step([](IniDocument &d) {
               d.setNodeText(3, u"renamed"_s);
               d.setSelectedNode(3);
               d.setSelectedNode(0);
           })
        << front << 3;
    QTest::newRow("clear") << Step([](IniDocument &d) { d.clear(u"Untitled.ini"_s); })
                           << QStringList() << 0;
}

void TestItemModels::editsKeepModelsConsistent()
{
    QFETCH(Step, step);
    QFETCH(QStringList, shown);
    QFETCH(int, sections);
    IniDocument doc;
    SectionTreeModel tree(doc);
    KeyListModel keys(doc);
    QAbstractItemModelTester treeTester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester keysTester(&keys, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(doc);

    step(doc);

    QCOMPARE(shownRows(keys), shown);
    QCOMPARE(keys.member(), doc.frontList());
    QCOMPARE(tree.rowCount(tree.indexOfNode(1)), sections);
    for (int treeIndex = 1; treeIndex <= doc.nodeCount(); ++treeIndex)
        QCOMPARE(tree.indexOfNode(treeIndex).data().toString(), doc.nodeText(treeIndex));
}

void TestItemModels::readIsOneReset()
{
    IniDocument doc;
    SectionTreeModel tree(doc);
    KeyListModel keys(doc);
    QSignalSpy treeResets(&tree, &QAbstractItemModel::modelReset);
    QSignalSpy treeInserts(&tree, &QAbstractItemModel::rowsInserted);
    QSignalSpy keyResets(&keys, &QAbstractItemModel::modelReset);

    QCOMPARE(ReadIniFile(doc, QStringLiteral(TARNWICK_TEST_DATA "/properties-three-sections.ini")),
             ReadResult::Ok);

    QCOMPARE(treeResets.size(), 1);
    QCOMPARE(treeInserts.size(), 0);
    QCOMPARE(keyResets.size(), 1);
    QCOMPARE(tree.rowCount(tree.indexOfNode(1)), 3);
}

void TestItemModels::treeShowsNodes()
{
    IniDocument doc;
    SectionTreeModel tree(doc);
    fill(doc);
    const QModelIndex root = tree.index(0, 0);
    QCOMPARE(SectionTreeModel::treeIndexOf(root), 1);
    QCOMPARE(root.data().toString(), u"a.ini"_s);
    QCOMPARE(SectionTreeModel::treeIndexOf(tree.index(2, 0, root)), 4);
    QCOMPARE(tree.indexOfNode(4), tree.index(2, 0, root));
    QVERIFY(!tree.indexOfNode(5).isValid());
    QVERIFY(!tree.indexOfNode(0).isValid());
    // The selected section shows the open folder, the others the closed one.
    const auto iconKey = [&](int treeIndex) {
        return tree.indexOfNode(treeIndex).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    QCOMPARE_NE(iconKey(2), iconKey(3));
    QCOMPARE(iconKey(3), iconKey(4));
    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
    doc.setSelectedNode(3);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(iconKey(2), iconKey(4));
    QCOMPARE_NE(iconKey(3), iconKey(4));
}

QTEST_MAIN(TestItemModels)
#include "tst_itemmodels.moc"
