#include "inidocument.h"
#include "inifile.h"
#include "keylistmodel.h"
#include "longtextdelegate.h"
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
    void cellTexts_data();
    void cellTexts();
    void indexOnlyForExistingItems_data();
    void indexOnlyForExistingItems();
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
    // The pictures are linked in and draw (a missing one still gives an icon object).
    for (int node = 1; node <= 4; ++node)
        QVERIFY(!tree.indexOfNode(node).data(Qt::DecorationRole).value<QIcon>().pixmap(16).isNull());
    QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
    doc.setSelectedNode(3);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(iconKey(2), iconKey(4));
    QCOMPARE_NE(iconKey(3), iconKey(4));
}

void TestItemModels::cellTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");   // the tooltip of the node, the name and the data
    QTest::addColumn<QString>("shown"); // what a cell draws

    const QString a1000(1000, u'a');
    QTest::newRow("short") << u"端口"_s << u"端口"_s << u"端口"_s;
    QTest::newRow("markup stays text") << u"<b>x</b>"_s << u"<b>x</b>"_s << u"<b>x</b>"_s;
    QTest::newRow("1,000 characters: whole") << a1000 << a1000 << a1000;
    QTest::newRow("1,001 characters: start and length")
        << a1000 + u'b' << QString(300, u'a') + u"…\n（共 1,001 个字符）"_s << a1000 + u'b';
    QTest::newRow("4,001 characters: cell cut")
        << QString(4001, u'c') << QString(300, u'c') + u"…\n（共 4,001 个字符）"_s
        << QString(4000, u'c') + u'…';
    // Never half of a character outside the basic plane.
    const QString emoji = u"😀"_s;
    const QString pairs = QString(299, u'a') + emoji + QString(3698, u'b') + emoji + u'z';
    QTest::newRow("surrogate pairs at the cuts")
        << pairs << QString(299, u'a') + u"…\n（共 4,002 个字符）"_s
        << QString(299, u'a') + emoji + QString(3698, u'b') + u'…';
    QTest::newRow("30 MB") << QString(30 * 1024 * 1024, u'n')
                           << QString(300, u'n') + u"…\n（共 31,457,280 个字符）"_s
                           << QString(4000, u'n') + u'…';
}

void TestItemModels::cellTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(QString, shown);

    IniDocument doc;
    SectionTreeModel tree(doc);
    KeyListModel keys(doc);
    DocumentContent content;
    auto section = std::make_unique<Section>();
    section->name = text;
    section->keys.assign({KeyRow(text, text)}, 0, true);
    content.sections.push_back(std::move(section));
    doc.reset(u"/t/a.ini"_s, u"a.ini"_s, std::move(content));
    doc.setFrontList(2);

    const LongTextDelegate delegate;
    for (const QModelIndex &index : {tree.indexOfNode(2), keys.index(0, 0), keys.index(0, 1)}) {
        QVERIFY(index.data(Qt::EditRole).toString() == text); // the editor gets the whole text
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), tip);
        QCOMPARE(delegate.displayText(index.data(), QLocale()), shown);
    }
}

// Which parent an index() call names.
enum class Parent { None, Root, Section, KeyRow, OtherModel };

void TestItemModels::indexOnlyForExistingItems_data()
{
    QTest::addColumn<bool>("tree"); // the section tree, else the key list
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<Parent>("parent");
    QTest::addColumn<bool>("valid");

    QTest::newRow("tree: root") << true << 0 << 0 << Parent::None << true;
    QTest::newRow("tree: second top-level row") << true << 1 << 0 << Parent::None << false;
    QTest::newRow("tree: root, column 1") << true << 0 << 1 << Parent::None << false;
    QTest::newRow("tree: negative row") << true << -1 << 0 << Parent::None << false;
    QTest::newRow("tree: last section") << true << 2 << 0 << Parent::Root << true;
    QTest::newRow("tree: past the last section") << true << 3 << 0 << Parent::Root << false;
    QTest::newRow("tree: section, column 1") << true << 0 << 1 << Parent::Root << false;
    QTest::newRow("tree: section, negative row") << true << -1 << 0 << Parent::Root << false;
    QTest::newRow("tree: child of a section") << true << 0 << 0 << Parent::Section << false;
    QTest::newRow("tree: parent from another model") << true << 0 << 0 << Parent::OtherModel << false;
    QTest::newRow("keys: last row, data") << false << 2 << 1 << Parent::None << true;
    QTest::newRow("keys: past the last row") << false << 3 << 0 << Parent::None << false;
    QTest::newRow("keys: third column") << false << 0 << 2 << Parent::None << false;
    QTest::newRow("keys: negative row") << false << -1 << 0 << Parent::None << false;
    QTest::newRow("keys: negative column") << false << 0 << -1 << Parent::None << false;
    QTest::newRow("keys: child of a row") << false << 0 << 0 << Parent::KeyRow << false;
}

void TestItemModels::indexOnlyForExistingItems()
{
    QFETCH(bool, tree);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(Parent, parent);
    QFETCH(bool, valid);

    IniDocument doc;
    SectionTreeModel treeModel(doc);
    KeyListModel keyModel(doc);
    fill(doc);
    QModelIndex parentIndex;
    switch (parent) {
    case Parent::None: break;
    case Parent::Root: parentIndex = treeModel.indexOfNode(1); break;
    case Parent::Section: parentIndex = treeModel.indexOfNode(2); break;
    case Parent::KeyRow: parentIndex = keyModel.index(0, 0); break;
    case Parent::OtherModel: parentIndex = keyModel.index(0, 0); break;
    }
    QAbstractItemModel &model = tree ? static_cast<QAbstractItemModel &>(treeModel) : keyModel;
    const QModelIndex index = model.index(row, column, parentIndex);
    QCOMPARE(index.isValid(), valid);
    if (valid) {
        QCOMPARE(index.row(), row);
        QCOMPARE(index.column(), column);
        QCOMPARE(model.parent(index), parentIndex);
        QVERIFY(!model.hasChildren(index) || index == treeModel.indexOfNode(1));
    }
}

QTEST_MAIN(TestItemModels)
#include "tst_itemmodels.moc"
