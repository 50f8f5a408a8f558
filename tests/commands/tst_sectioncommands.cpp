#include "docbuilder.h"
#include "inidocument.h"
#include "scriptedhost.h"
#include "sectioncommands.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSectionCommands : public QObject
{
    Q_OBJECT
private slots:
    void newOnEmptyDocument();
    void newTwice();
    void remove_data();
    void remove();
    void removeQuestionNamesTheSection();
    void removeWithRootSelectedAsksNothing();
    void commandsWithoutSelection_data();
    void commandsWithoutSelection();
    void renameToAnotherSectionsName();
    void copy_data();
    void copy();
    void clickSortsOnceThenLeavesOrder();
    void clickOnSortedListKeepsItsOrder();
    void clickOnRoot();
    void menuFlags_data();
    void menuFlags();
};

void TestSectionCommands::newOnEmptyDocument()
{
    IniDocument doc;
    doc.clear(IniDocument::untitledName());
    ScriptedHost host;
    SectionCommands commands(doc, host);

    commands.mnuSectionNew_Click();

    QCOMPARE(doc.nodeCount(), 2);
    QCOMPARE(doc.nodeText(2), u"新建项"_s);
    QVERIFY(doc.list(2));
    QVERIFY(doc.list(2)->isEmpty());
    QVERIFY(!doc.list(2)->sorted());
    QCOMPARE(doc.frontList(), 2);
    QCOMPARE(doc.selectedNode(), 2);
    QCOMPARE(doc.statusCount(), u"1 项目"_s);
    QCOMPARE(doc.statusPath(), u"Untitled.ini"_s);
    QCOMPARE(host.calls, QStringList({u"focusTree"_s, u"editNodeLabel 2"_s}));
}

void TestSectionCommands::newTwice()
{
    IniDocument doc;
    buildDocument(doc, {u"a:k=v"_s});
    ScriptedHost host;
    SectionCommands commands(doc, host);

    commands.mnuSectionNew_Click();
    commands.mnuSectionNew_Click();

    QCOMPARE(dumpSections(doc), QStringList({u"a:k=v"_s, u"新建项:"_s, u"新建项:"_s}));
    QCOMPARE(doc.selectedNode(), 4);
    QCOMPARE(doc.frontList(), 4);
    QCOMPARE(doc.statusCount(), u"3 项目"_s);
    QCOMPARE(host.count(u"editNodeLabel 3"_s), 1);
    QCOMPARE(host.count(u"editNodeLabel 4"_s), 1);
}

void TestSectionCommands::remove_data()
{
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("expectedSelected");
    QTest::addColumn<int>("expectedFront");
    QTest::addColumn<QString>("expectedCount");

    const QStringList three{u"s1:a=1,b=2"_s, u"s2:c=3"_s, u"s3:e=5,d=4,f=(Empty)"_s};
    QTest::newRow("only section") << QStringList{u"s1:a=1"_s} << 2 << true << QStringList{} << 1
                                  << 0 << u"0 项目"_s;
    QTest::newRow("first of three")
        << three << 2 << true << QStringList{u"s2:c=3"_s, u"s3:d=4,e=5,f=(Empty)"_s} << 2 << 2
        << u"2 项目"_s;
    QTest::newRow("middle of three")
        << three << 3 << true << QStringList{u"s1:a=1,b=2 sorted @0*"_s, u"s3:d=4,e=5,f=(Empty)"_s}
        << 3 << 3 << u"2 项目"_s;
    QTest::newRow("last of three")
        << three << 4 << true << QStringList{u"s1:a=1,b=2 sorted @0*"_s, u"s2:c=3 sorted @0*"_s}
        << 1 << 0 << u"2 项目"_s;
    QTest::newRow("answered No")
        << three << 3 << false
        << QStringList{u"s1:a=1,b=2 sorted @0*"_s, u"s2:c=3 sorted @0*"_s,
                       u"s3:d=4,e=5,f=(Empty) sorted @0*"_s}
        << 3 << 3 << u"before"_s;
}

void TestSectionCommands::remove()
{
    QFETCH(QStringList, sections);
    QFETCH(int, selected);
    QFETCH(bool, answer);
    QFETCH(QStringList, expected);
    QFETCH(int, expectedSelected);
    QFETCH(int, expectedFront);
    QFETCH(QString, expectedCount);

    IniDocument doc;
    buildDocument(doc, sections);
    doc.setStatusTexts(doc.path(), u"before"_s);
    // Every list is sorted with a selected current row, so the test sees which lists
    // survive with their state and which are new.
    for (int member = 2; member <= doc.nodeCount(); ++member) {
        doc.setSorting(member, true);
        doc.setCurrentRow(member, 0, true);
    }
    doc.setSelectedNode(selected);
    doc.setFrontList(selected);
    ScriptedHost host;
    host.yesNoAnswers << answer;
    SectionCommands commands(doc, host);

    commands.mnuSectionDelete_Click();

    // The question comes before the wait pointer, which the removal shows.
    QCOMPARE(host.count(u"askYesNo"_s), 1);
    QCOMPARE(host.busySpans, answer ? 1 : 0);
    QCOMPARE(host.busyDepth, 0);
    QCOMPARE(dumpSections(doc), expected);
    QCOMPARE(doc.nodeCount(), expected.size() + 1);
    QVERIFY(!doc.isMember(expected.size() + 2));
    QCOMPARE(doc.selectedNode(), expectedSelected);
    QCOMPARE(doc.frontList(), expectedFront);
    QCOMPARE(doc.statusCount(), expectedCount);
    QCOMPARE(doc.statusPath(), doc.path());
}

void TestSectionCommands::removeQuestionNamesTheSection()
{
    IniDocument doc;
    ScriptedHost host;
    SectionCommands commands(doc, host);
    commands.mnuSectionNew_Click();
    host.calls.clear();

    commands.mnuSectionDelete_Click();

    QCOMPARE(host.calls, QStringList{u"askYesNo 删除项|你确定要删除项？删除无法恢复 \"新建项\"|Question"_s});
}

void TestSectionCommands::removeWithRootSelectedAsksNothing()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s, u"s2:b=2"_s});
    doc.setSelectedNode(1);
    ScriptedHost host;
    host.yesNoAnswers << true;
    SectionCommands commands(doc, host);

    commands.mnuSectionDelete_Click();

    QVERIFY(host.calls.isEmpty());
    QCOMPARE(dumpSections(doc), QStringList({u"s1:a=1"_s, u"s2:b=2"_s}));
    QCOMPARE(doc.selectedNode(), 1);
}

void TestSectionCommands::commandsWithoutSelection_data()
{
    QTest::addColumn<void (SectionCommands::*)()>("command");
    QTest::newRow("Delete") << &SectionCommands::mnuSectionDelete_Click;
    QTest::newRow("Rename") << &SectionCommands::mnuSectionRename_Click;
    QTest::newRow("Copy Name") << &SectionCommands::mnuSectionCopyName_Click;
    QTest::newRow("Copy Path") << &SectionCommands::mnuSectionCopyPath_Click;
}

void TestSectionCommands::commandsWithoutSelection()
{
    using Command = void (SectionCommands::*)();
    QFETCH(Command, command);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s});
    ScriptedHost host;
    host.yesNoAnswers << true;
    host.clipboard = u"keep"_s;
    SectionCommands commands(doc, host);

    (commands.*command)();

    QVERIFY(host.calls.isEmpty());
    QCOMPARE(host.clipboard, u"keep"_s);
    QCOMPARE(dumpSections(doc), QStringList{u"s1:a=1"_s});
}

void TestSectionCommands::renameToAnotherSectionsName()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s, u"s2:b=2"_s});
    doc.setSelectedNode(3);
    ScriptedHost host;
    SectionCommands commands(doc, host);

    commands.mnuSectionRename_Click();
    QCOMPARE(host.calls, QStringList{u"editNodeLabel 3"_s});
    // What the label edit does when the user confirms "s1".
    doc.setNodeText(3, u"s1"_s);

    QCOMPARE(dumpSections(doc), QStringList({u"s1:a=1"_s, u"s1:b=2"_s}));
    commands.mnuSectionCopyPath_Click();
    QCOMPARE(host.clipboard, u"a.ini\\s1"_s);
}

void TestSectionCommands::copy_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name of a section") << 3 << false << u"[节] 二"_s;
    QTest::newRow("path of a section") << 3 << true << u"a.ini\\[节] 二"_s;
    QTest::newRow("name of the root") << 1 << false << u"a.ini"_s;
    QTest::newRow("path of the root") << 1 << true << u"a.ini"_s;
}

void TestSectionCommands::copy()
{
    QFETCH(int, selected);
    QFETCH(bool, path);
    QFETCH(QString, expected);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s, u"[节] 二:b=2"_s});
    doc.setSelectedNode(selected);
    ScriptedHost host;
    host.clipboard = u"old"_s;
    SectionCommands commands(doc, host);

    path ? commands.mnuSectionCopyPath_Click() : commands.mnuSectionCopyName_Click();

    QCOMPARE(host.calls, QStringList({u"clearClipboard"_s, u"setClipboardText "_s + expected}));
    QCOMPARE(host.clipboard, expected);
}

void TestSectionCommands::clickSortsOnceThenLeavesOrder()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:b=1,A=2,C=3,a=4"_s, u"s2:z=1,y=2"_s});
    ScriptedHost host;
    SectionCommands commands(doc, host);
    QSignalSpy reorders(&doc, &IniDocument::listReordered);

    commands.tvwSections_NodeClick(2);
    QCOMPARE(host.busySpans, 1); // the sort shows the wait pointer
    // Case-insensitive, and stable for names that compare equal.
    QCOMPARE(dumpSections(doc),
             QStringList({u"s1:A=2,a=4,b=1,C=3 sorted"_s, u"s2:z=1,y=2"_s}));
    QCOMPARE(doc.list(2)->sortOrder(), Qt::AscendingOrder);
    QCOMPARE(doc.selectedNode(), 2);
    QCOMPARE(doc.frontList(), 2);
    QCOMPARE(reorders.size(), 1);

    commands.tvwSections_NodeClick(2);
    QCOMPARE(reorders.size(), 1);
    QCOMPARE(doc.list(2)->rows().front().name(), u"A"_s);
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(host.busySpans, 1);
    QCOMPARE(host.busyDepth, 0);
}

void TestSectionCommands::clickOnSortedListKeepsItsOrder()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:b=1,a=2,c=3"_s, u"s2:x=1"_s});
    doc.setSorting(2, true, Qt::DescendingOrder);
    doc.setSelectedNode(3);
    ScriptedHost host;
    SectionCommands commands(doc, host);

    commands.tvwSections_NodeClick(2);

    QCOMPARE(dumpSections(doc), QStringList({u"s1:c=3,b=1,a=2 sorted"_s, u"s2:x=1"_s}));
    QCOMPARE(doc.list(2)->sortOrder(), Qt::DescendingOrder);
    QCOMPARE(doc.selectedNode(), 2);
    QCOMPARE(doc.frontList(), 2);
}

void TestSectionCommands::clickOnRoot()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:b=1,a=2"_s});
    doc.setSelectedNode(2);
    doc.setFrontList(2);
    ScriptedHost host;
    SectionCommands commands(doc, host);
    QSignalSpy reorders(&doc, &IniDocument::listReordered);

    commands.tvwSections_NodeClick(1);

    QCOMPARE(doc.frontList(), 0);
    QCOMPARE(doc.selectedNode(), 1);
    QVERIFY(!doc.list(0)->sorted());
    QCOMPARE(dumpSections(doc), QStringList{u"s1:b=1,a=2"_s});
    QCOMPARE(reorders.size(), 0);

    // A node that does not exist is ignored.
    commands.tvwSections_NodeClick(5);
    commands.tvwSections_NodeClick(0);
    QCOMPARE(doc.frontList(), 0);
    QCOMPARE(doc.selectedNode(), 1);
}

void TestSectionCommands::menuFlags_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("root selected") << 1 << false;
    QTest::newRow("section selected") << 2 << true;
    QTest::newRow("nothing selected") << 0 << true;
}

void TestSectionCommands::menuFlags()
{
    QFETCH(int, selected);
    QFETCH(bool, enabled);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s});
    doc.setSelectedNode(selected);
    const SectionMenuFlags flags = SectionCommands::sectionMenuFlags(doc);
    QCOMPARE(flags.deleteEnabled, enabled);
    QCOMPARE(flags.renameEnabled, enabled);
    QCOMPARE(flags.copyNameEnabled, enabled);
    QCOMPARE(flags.copyPathEnabled, enabled);
}

QTEST_GUILESS_MAIN(TestSectionCommands)
#include "tst_sectioncommands.moc"
