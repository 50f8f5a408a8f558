#include "docbuilder.h"
#include "filecommands.h"
#include "inidocument.h"
#include "propertiesinfo.h"
#include "scriptedhost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString dataFile(const QString &name)
{
    return QDir::toNativeSeparators(QStringLiteral(TARNWICK_TEST_DATA) + u'/' + name);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Everything a failed command must leave alone.
struct Snapshot
{
    QString path, root, statusPath, statusCount;
    QStringList sections;
    explicit Snapshot(const IniDocument &doc)
        : path(doc.path()), root(doc.rootText()), statusPath(doc.statusPath()),
          statusCount(doc.statusCount()), sections(dumpSections(doc)) {}
    bool operator==(const Snapshot &) const = default;
};

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void newTwiceAfterRead();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void openMissingNameThenSave();
    void saveNewDocumentAsksAndReadsBack();
    void saveAsThenSaveWritesInPlace();
    void saveAsFlipsKeyOrder();
    void refresh();
    void failedWrite_data();
    void failedWrite();
    void unreadableFile_data();
    void unreadableFile();
    void exitClosesWindow();
    void properties_data();
    void properties();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString tempPath(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }
};

void TestFileCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFileCommands::newTwiceAfterRead()
{
    IniDocument doc;
    buildDocument(doc, {u"a:k=v"_s, u"b:"_s, u"c:x=1,y=2"_s});
    doc.setSelectedNode(3);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);

    for (int round = 0; round < 2; ++round) {
        commands.mnuFileNew_Click();
        QCOMPARE(doc.nodeCount(), 1);
        QCOMPARE(doc.rootText(), u"Untitled.ini"_s);
        QCOMPARE(doc.path(), u"Untitled"_s);
        QCOMPARE(doc.statusPath(), u"Untitled.ini"_s);
        QCOMPARE(doc.statusCount(), u"0 项目"_s);
        QCOMPARE(doc.selectedNode(), 0);
        QVERIFY(!doc.rootExpanded());
        QCOMPARE(doc.frontList(), 0);
    }
    QCOMPARE(host.calls, QStringList({u"focusKeyList 0"_s, u"focusKeyList 0"_s}));
}

void TestFileCommands::cancelChangesNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("open") << 0 << u"showOpenDialog 打开INI文件"_s;
    QTest::newRow("save untitled") << 1 << u"showSaveDialog Save INI file"_s;
    QTest::newRow("save as") << 2 << u"showSaveDialog 保存INI文件"_s;
}

void TestFileCommands::cancelChangesNothing()
{
    QFETCH(int, command);
    QFETCH(QString, dialog);
    IniDocument doc;
    buildDocument(doc, {u"a:k=v"_s});
    doc.setPath(IniDocument::untitledPath());
    doc.setStatusTexts(u"p"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs{u"old"_s, u"f"_s, u"/init"_s, u"kept.ini"_s};
    FileCommands commands(doc, host, dialogs);
    const Snapshot before(doc);

    if (command == 0)
        commands.mnuFileOpen_Click();
    else if (command == 1)
        commands.mnuFileSave_Click();
    else
        commands.mnuFileSaveAs_Click();

    QCOMPARE(host.calls, QStringList{dialog});
    QVERIFY(Snapshot(doc) == before);
    QCOMPARE(dialogs.filter, FileCommands::dialogFilter());
    QCOMPARE(dialogs.initDir, u"/init"_s);
    QCOMPARE(dialogs.fileName, u"kept.ini"_s);
}

void TestFileCommands::openMissingNameThenSave()
{
    IniDocument doc;
    buildDocument(doc, {u"a:k=v"_s});
    doc.setStatusTexts(u"old path"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString path = tempPath(u"new.ini"_s);

    host.fileAnswers.enqueue(path);
    commands.mnuFileOpen_Click();
    QCOMPARE(doc.nodeCount(), 1);
    QCOMPARE(doc.path(), path);
    QCOMPARE(doc.rootText(), u"new.ini"_s);
    QCOMPARE(doc.statusPath(), u"old path"_s);
    QCOMPARE(doc.statusCount(), u"1 项目"_s);
    QCOMPARE(dialogs.fileName, path); // the next dialog opens with the name
    QCOMPARE(host.count(u"showError"_s), 0);

    commands.mnuFileSave_Click();
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFileInfo(path).size(), 0);
    QCOMPARE(host.count(u"showSaveDialog"_s), 0);
}

void TestFileCommands::saveNewDocumentAsksAndReadsBack()
{
    IniDocument doc;
    buildDocument(doc, {u"s:b=2,a=1"_s});
    doc.setPath(IniDocument::untitledPath());
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString path = tempPath(u"saved.ini"_s);

    host.fileAnswers.enqueue(path);
    commands.mnuFileSave_Click();

    QCOMPARE(host.calls, QStringList{u"showSaveDialog Save INI file"_s});
    QCOMPARE(fileBytes(path), QByteArray("[s]\r\nb=2\r\na=1\r\n"));
    QCOMPARE(doc.path(), path);
    QCOMPARE(doc.rootText(), u"saved.ini"_s);
    QCOMPARE(doc.statusPath(), path);
    QCOMPARE(doc.statusCount(), u"1 项目"_s);
    QCOMPARE(doc.selectedNode(), 1);
    QCOMPARE(dumpSections(doc), QStringList{u"s:a=1,b=2 @0*"_s});
    QVERIFY(dialogs.fileName.isEmpty());
}

void TestFileCommands::saveAsThenSaveWritesInPlace()
{
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString path = tempPath(u"as.ini"_s);

    host.fileAnswers.enqueue(path);
    commands.mnuFileSaveAs_Click();
    QCOMPARE(doc.path(), path);
    doc.setRowData(2, 0, u"changed"_s);
    commands.mnuFileSave_Click();

    QCOMPARE(host.calls, QStringList{u"showSaveDialog 保存INI文件"_s});
    QCOMPARE(fileBytes(path), QByteArray("[s]\r\nk=changed\r\n"));
    QCOMPARE(dumpSections(doc), QStringList{u"s:k=changed @0*"_s}); // a save in place reads nothing
}

void TestFileCommands::saveAsFlipsKeyOrder()
{
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    QVERIFY(commands.openPath(dataFile(u"file-order-three-keys.ini"_s)));
    QCOMPARE(dumpSections(doc), QStringList{u"s:third=3,second=2,first=1 @0*"_s});
    const QString path = tempPath(u"flip.ini"_s);

    host.fileAnswers.enqueue(path);
    commands.mnuFileSaveAs_Click();
    QCOMPARE(fileBytes(path), QByteArray("[s]\r\nthird=3\r\nsecond=2\r\nfirst=1\r\n"));
    QCOMPARE(dumpSections(doc), QStringList{u"s:first=1,second=2,third=3 @0*"_s});

    host.fileAnswers.enqueue(path);
    commands.mnuFileSaveAs_Click();
    QCOMPARE(fileBytes(path), QByteArray("[s]\r\nfirst=1\r\nsecond=2\r\nthird=3\r\n"));
    QCOMPARE(dumpSections(doc), QStringList{u"s:third=3,second=2,first=1 @0*"_s});
}

void TestFileCommands::refresh()
{
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);

    commands.mnuViewRefresh_Click(); // no file: nothing happens
    QCOMPARE(doc.path(), u"Untitled"_s);
    QCOMPARE(doc.statusCount(), u"0 项"_s);

    const QString path = dataFile(u"file-order-three-keys.ini"_s);
    QVERIFY(commands.openPath(path));
    doc.setRowName(2, 0, u"renamed"_s);
    doc.addSection(u"extra"_s);
    commands.mnuViewRefresh_Click();
    QCOMPARE(dumpSections(doc), QStringList{u"s:third=3,second=2,first=1 @0*"_s});
    QCOMPARE(doc.path(), path);
    QCOMPARE(host.count(u"show"_s), 0);
}

void TestFileCommands::failedWrite_data()
{
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<bool>("saveAs");
    QTest::newRow("save in place") << true << false;
    QTest::newRow("save untitled") << false << false;
    QTest::newRow("save as") << true << true;
}

void TestFileCommands::failedWrite()
{
    QFETCH(bool, hasFile);
    QFETCH(bool, saveAs);
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    // A folder that does not exist cannot take a file.
    const QString bad = tempPath(u"no/such/folder/x.ini"_s);
    doc.setPath(hasFile && !saveAs ? bad : (hasFile ? tempPath(u"a.ini"_s) : u"Untitled"_s));
    doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    host.fileAnswers.enqueue(bad);
    const Snapshot before(doc);

    saveAs ? commands.mnuFileSaveAs_Click() : commands.mnuFileSave_Click();

    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    const QString error = host.calls.constLast();
    QVERIFY2(error.contains(bad), qPrintable(error));
    QVERIFY(error.section(u'\n', 1).size() > 0); // the system's reason follows the path
    QVERIFY(Snapshot(doc) == before);
    QVERIFY(!QFile::exists(bad));
}

void TestFileCommands::unreadableFile_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("open") << 0;
    QTest::newRow("refresh") << 1;
    QTest::newRow("save as onto a folder") << 2;
}

void TestFileCommands::unreadableFile()
{
    QFETCH(int, command);
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    // A folder exists but cannot be read as a file, nor written over.
    const QString folder = tempPath(u"folder.ini"_s);
    QVERIFY(QDir().mkpath(folder));
    doc.setPath(command == 1 ? folder : tempPath(u"a.ini"_s));
    doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    host.fileAnswers.enqueue(folder);
    const Snapshot before(doc);

    if (command == 0)
        commands.mnuFileOpen_Click();
    else if (command == 1)
        commands.mnuViewRefresh_Click();
    else
        commands.mnuFileSaveAs_Click();

    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    QVERIFY(host.calls.constLast().contains(folder));
    QVERIFY(Snapshot(doc) == before);
    if (command == 0)
        QCOMPARE(dialogs.fileName, folder);
}

void TestFileCommands::exitClosesWindow()
{
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands(doc, host, dialogs).mnuFileExit_Click();
    QCOMPARE(host.calls, QStringList{u"closeMainWindow"_s});
}

void TestFileCommands::properties_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("expected"); // title, path, sections, keys, status
    QTest::newRow("new document")
        << QString() << QStringList{u"Untitled.ini"_s, u"无法获取"_s, u"0个"_s, u"0个"_s, u"配置设置文件"_s};
    // Sections of 2, 0 and 5 keys, and one key before the first header.
    const QString path = dataFile(u"properties-three-sections.ini"_s);
    QTest::newRow("three sections")
        << path << QStringList{u"properties-three-sections.ini"_s, path, u"3个"_s, u"8个"_s,
                               u"文件保存到硬盘"_s};
}

void TestFileCommands::properties()
{
    QFETCH(QString, file);
    QFETCH(QStringList, expected);
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    if (!file.isEmpty())
        QVERIFY(commands.openPath(file));

    const PropertiesInfo info = BuildPropertiesInfo(doc);
    QCOMPARE((QStringList{info.title, info.path, info.sections, info.keys, info.status}), expected);
    commands.mnuViewProperties_Click();
    QCOMPARE(host.calls.constLast(), u"showProperties "_s + expected.constFirst());
}

QTEST_GUILESS_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
