#include "docbuilder.h"
#include "inidocument.h"
#include "keycommands.h"
#include "scriptedhost.h"
#include "sectioncommands.h"
#include "valuekind.h"

#include <QTest>

using namespace Qt::StringLiterals;

using KeyCommand = void (KeyCommands::*)();
Q_DECLARE_METATYPE(KeyCommand)

class TestKeyCommands : public QObject
{
    Q_OBJECT
private slots:
    void newTwice();
    void newInSortedListAppendsAtTheEnd();
    void remove_data();
    void remove();
    void rename();
    void copy_data();
    void copy();
    void copyPathInNewDocument();
    void nothingToWorkOn_data();
    void nothingToWorkOn();
    void changeData_data();
    void changeData();
    void menuFlags_data();
    void menuFlags();
};

void TestKeyCommands::newTwice()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:a=1"_s, u"s2:b=2"_s});
    doc.setSelectedNode(2);
    ScriptedHost host;
    KeyCommands commands(doc, host);

    commands.mnuKeyNew_Click();
    commands.mnuKeyNew_Click();

    QCOMPARE(dumpSections(doc), QStringList({u"s1:a=1,新建名称=,新建名称= @2*"_s, u"s2:b=2"_s}));
    QCOMPARE(doc.frontList(), 2);
    QCOMPARE(host.calls, QStringList({u"focusKeyList 2"_s, u"editKeyName 2 1"_s,
                                      u"focusKeyList 2"_s, u"editKeyName 2 2"_s}));
}

void TestKeyCommands::newInSortedListAppendsAtTheEnd()
{
    IniDocument doc;
    // "龙" sorts after "新建名称", so only an append puts the new row after it.
    buildDocument(doc, {u"s1:b=2,龙=3,a=1"_s});
    ScriptedHost host;
    SectionCommands sections(doc, host);
    KeyCommands commands(doc, host);
    sections.tvwSections_NodeClick(2);
    QCOMPARE(dumpSections(doc), QStringList{u"s1:a=1,b=2,龙=3 sorted"_s});

    commands.mnuKeyNew_Click();
    QCOMPARE(dumpSections(doc), QStringList{u"s1:a=1,b=2,龙=3,新建名称= @3*"_s});

    // The next click on the section sorts it into place, the current row with it.
    sections.tvwSections_NodeClick(2);
    QCOMPARE(dumpSections(doc), QStringList{u"s1:a=1,b=2,新建名称=,龙=3 sorted @2*"_s});
}

void TestKeyCommands::remove_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("No") << false << QStringList{u"s1:a=1,b=2,c=3 @1*"_s};
    QTest::newRow("Yes") << true << QStringList{u"s1:a=1,c=3"_s};
}

void TestKeyCommands::remove()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, expected);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1,b=2,c=3"_s});
    doc.setSelectedNode(2);
    doc.setFrontList(2);
    doc.setCurrentRow(2, 1, true);
    doc.setStatusTexts(u"p"_s, u"c"_s);
    ScriptedHost host;
    host.yesNoAnswers << answer;
    KeyCommands commands(doc, host);

    commands.mnuKeyDelete_Click();

    QCOMPARE(host.calls, QStringList{u"askYesNo Tarnwick|你确定要删除名称及数值？删除无法恢复|None"_s});
    QCOMPARE(dumpSections(doc), expected);
    QCOMPARE(doc.selectedNode(), 2);
    QCOMPARE(doc.frontList(), 2);
    QCOMPARE(doc.statusCount(), u"c"_s);
}

void TestKeyCommands::rename()
{
    IniDocument doc;
    buildDocument(doc, {u"s1:a=1,b=2"_s});
    doc.setSelectedNode(2);
    // The current row need not be selected for the command to act on it.
    doc.setCurrentRow(2, 1, false);
    ScriptedHost host;
    KeyCommands commands(doc, host);

    commands.mnuKeyRename_Click();

    QCOMPARE(host.calls, QStringList{u"editKeyName 2 1"_s});
}

void TestKeyCommands::copy_data()
{
    QTest::addColumn<KeyCommand>("command");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name") << &KeyCommands::mnuKeyCopyName_Click << 0 << u"键 =1"_s;
    QTest::newRow("path") << &KeyCommands::mnuKeyCopyPath_Click << 0 << u"a.ini\\节\\键 =1"_s;
    QTest::newRow("value") << &KeyCommands::mnuKeyCopyValue_Click << 0 << u" v;2 "_s;
    QTest::newRow("value read empty") << &KeyCommands::mnuKeyCopyValue_Click << 1 << u"(Empty)"_s;
}

void TestKeyCommands::copy()
{
    QFETCH(KeyCommand, command);
    QFETCH(int, row);
    QFETCH(QString, expected);

    IniDocument doc;
    buildDocument(doc, {u"x:"_s, u"节:e=(Empty)"_s});
    // A name and data the compact notation cannot hold go in directly.
    doc.insertRow(3, 0, KeyRow(u"键 =1"_s, u" v;2 "_s));
    doc.setSelectedNode(3);
    doc.setCurrentRow(3, row, true);
    ScriptedHost host;
    host.clipboard = u"old"_s;
    KeyCommands commands(doc, host);

    (commands.*command)();

    QCOMPARE(host.calls, QStringList({u"clearClipboard"_s, u"setClipboardText "_s + expected}));
    QCOMPARE(host.clipboard, expected);
}

void TestKeyCommands::copyPathInNewDocument()
{
    IniDocument doc;
    doc.clear(IniDocument::untitledName());
    ScriptedHost host;
    SectionCommands sections(doc, host);
    KeyCommands commands(doc, host);
    sections.mnuSectionNew_Click();
    commands.mnuKeyNew_Click();

    commands.mnuKeyCopyValue_Click();
    QCOMPARE(host.clipboardSets, 1);
    QCOMPARE(host.clipboard, QString());

    commands.mnuKeyCopyPath_Click();
    QCOMPARE(host.clipboard, u"Untitled.ini\\新建项\\新建名称"_s);
}

void TestKeyCommands::nothingToWorkOn_data()
{
    QTest::addColumn<KeyCommand>("command");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("emptyList");

    const QList<QPair<const char *, KeyCommand>> rowCommands{
        {"Delete", &KeyCommands::mnuKeyDelete_Click},
        {"Rename", &KeyCommands::mnuKeyRename_Click},
        {"Copy Name", &KeyCommands::mnuKeyCopyName_Click},
        {"Copy Path", &KeyCommands::mnuKeyCopyPath_Click},
        {"Copy Value", &KeyCommands::mnuKeyCopyValue_Click},
        {"Change Data", &KeyCommands::mnuKeyChangeData_Click},
    };
    for (const auto &[name, command] : rowCommands) {
        QTest::addRow("%s, root selected", name) << command << 1 << 0 << false;
        QTest::addRow("%s, nothing selected", name) << command << 0 << 0 << false;
        QTest::addRow("%s, no current row", name) << command << 2 << -1 << false;
        QTest::addRow("%s, empty list", name) << command << 3 << -1 << true;
    }
    QTest::addRow("New, root selected") << &KeyCommands::mnuKeyNew_Click << 1 << 0 << false;
    QTest::addRow("New, nothing selected") << &KeyCommands::mnuKeyNew_Click << 0 << 0 << false;
}

void TestKeyCommands::nothingToWorkOn()
{
    QFETCH(KeyCommand, command);
    QFETCH(int, selected);
    QFETCH(int, current);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1,b=2"_s, u"s2:"_s});
    doc.setSorting(2, true);
    doc.setCurrentRow(2, current, true);
    doc.setSelectedNode(selected);
    const QStringList before = dumpSections(doc);
    const int front = doc.frontList();
    ScriptedHost host;
    host.yesNoAnswers << true;
    host.editorScripts << [](ValueEditRequest &) { return true; };
    host.clipboard = u"keep"_s;
    KeyCommands commands(doc, host);

    (commands.*command)();

    QVERIFY2(host.calls.isEmpty(), qPrintable(host.calls.join(u'\n')));
    QCOMPARE(host.clipboard, u"keep"_s);
    QCOMPARE(dumpSections(doc), before);
    QCOMPARE(doc.frontList(), front);
    QVERIFY(doc.list(0)->isEmpty());
}

void TestKeyCommands::changeData_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("newData");
    QTest::addColumn<ValueKind>("kind");
    QTest::addColumn<QString>("expected");

    // The current row is row 1, selected; an empty newName or newData keeps the old one.
    QTest::newRow("OK after changing only the name")
        << u"s1:a=1,b=2"_s << false << true << u"renamed"_s << QString() << ValueKind::Number
        << u"s1:a=1,renamed=2 @1*"_s;
    QTest::newRow("rename in a sorted list")
        << u"s1:a=1,C=C:\\x,e=5"_s << true << true << u"z"_s << u"D:\\y"_s << ValueKind::Path
        << u"s1:a=1,e=5,z=D:\\y sorted @2*"_s;
    QTest::newRow("Boolean choice")
        << u"s1:a=1,on=True"_s << false << true << QString() << u"False"_s << ValueKind::Boolean
        << u"s1:a=1,on=False @1*"_s;
    QTest::newRow("Cancel")
        << u"s1:a=1,b=(Empty)"_s << false << false << u"x"_s << u"y"_s << ValueKind::Text
        << u"s1:a=1,b=(Empty) @1*"_s;
}

void TestKeyCommands::changeData()
{
    QFETCH(QString, section);
    QFETCH(bool, sorted);
    QFETCH(bool, ok);
    QFETCH(QString, newName);
    QFETCH(QString, newData);
    QFETCH(ValueKind, kind);
    QFETCH(QString, expected);

    IniDocument doc;
    buildDocument(doc, {section});
    doc.setSorting(2, sorted);
    doc.setSelectedNode(2);
    doc.setCurrentRow(2, 1, true);
    const KeyRow before = doc.list(2)->row(1);
    ScriptedHost host;
    host.editorScripts << [&](ValueEditRequest &request) {
        if (!newName.isEmpty())
            request.EditKeyName = newName;
        if (!newData.isEmpty())
            request.EditKeyData = newData;
        return ok;
    };
    KeyCommands commands(doc, host);

    commands.mnuKeyChangeData_Click();

    QCOMPARE(host.editorRequests.size(), 1);
    QCOMPARE(host.editorRequests[0].EditKeyName, before.name());
    QCOMPARE(host.editorRequests[0].EditKeyData, before.data());
    QCOMPARE(host.editorRequests[0].EditValueKind, kind);
    QCOMPARE(dumpSections(doc), QStringList{expected});
}

void TestKeyCommands::menuFlags_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("member");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("currentSelected");
    QTest::addColumn<bool>("newEnabled");
    QTest::addColumn<bool>("rowEnabled");

    QTest::newRow("root selected, selected row") << 1 << 2 << 0 << true << false << false;
    QTest::newRow("root selected, member 0") << 1 << 0 << -1 << false << false << false;
    // Keys before the first header: the row commands, but never New.
    QTest::newRow("root selected, its row selected") << 1 << 0 << 0 << true << false << true;
    QTest::newRow("root selected, its row not selected") << 1 << 0 << 0 << false << false << false;
    QTest::newRow("empty list") << 3 << 3 << -1 << false << true << false;
    QTest::newRow("rows, current not selected") << 2 << 2 << 1 << false << true << false;
    QTest::newRow("rows, no current row") << 2 << 2 << -1 << false << true << false;
    QTest::newRow("rows, current selected") << 2 << 2 << 1 << true << true << true;
    QTest::newRow("nothing selected, selected row") << 0 << 2 << 0 << true << true << true;
    QTest::newRow("member that does not exist") << 2 << 1 << -1 << false << true << false;
}

void TestKeyCommands::menuFlags()
{
    QFETCH(int, selected);
    QFETCH(int, member);
    QFETCH(int, current);
    QFETCH(bool, currentSelected);
    QFETCH(bool, newEnabled);
    QFETCH(bool, rowEnabled);

    IniDocument doc;
    buildDocument(doc, {u"s1:a=1,b=2"_s, u"s2:"_s});
    if (member == 0)
        doc.appendRow(0, KeyRow(u"top"_s, u"1"_s));
    doc.setCurrentRow(member == 0 ? 0 : 2, current, currentSelected);
    doc.setSelectedNode(selected);

    const KeyMenuFlags flags = KeyCommands::keyMenuFlags(doc, member);
    QCOMPARE(flags.newEnabled, newEnabled);
    QCOMPARE(flags.changeDataEnabled, rowEnabled);
    QCOMPARE(flags.deleteEnabled, rowEnabled);
    QCOMPARE(flags.renameEnabled, rowEnabled);
    QCOMPARE(flags.copyNameEnabled, rowEnabled);
    QCOMPARE(flags.copyPathEnabled, rowEnabled);
    QCOMPARE(flags.copyValueEnabled, rowEnabled);
}

QTEST_GUILESS_MAIN(TestKeyCommands)
#include "tst_keycommands.moc"
