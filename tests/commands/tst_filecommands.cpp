#include "diskentries.h"
#include "docbuilder.h"
#include "filecommands.h"
#include "filenamecheck.h"
#include "inidocument.h"
#include "inifile.h"
#include "propertiesinfo.h"
#include "scriptedhost.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>


using namespace Qt::StringLiterals;

using FileCommand = void (FileCommands::*)();
Q_DECLARE_METATYPE(FileCommand)

namespace {

using namespace DiskEntries;
using TestFiles::dataFile;

QByteArray fileBytes(const QString &path)
{
    return TestFiles::readBytes(path, "<missing>");
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

// The file commands, for the "command" column of a table. openByPath stands for an
// open by path as the command line and a drop do.
const FileCommand fileOpen = &FileCommands::mnuFileOpen_Click;
const FileCommand viewRefresh = &FileCommands::mnuViewRefresh_Click;
const FileCommand fileSaveAs = &FileCommands::mnuFileSaveAs_Click;
const FileCommand fileSave = &FileCommands::mnuFileSave_Click;
const FileCommand openByPath = nullptr;

#ifdef Q_OS_LINUX
// A file of `bytes` bytes of key lines: "key00000001=value of some length" lines, or,
// dense, "k=" lines (far more rows per byte than a read is measured for).
QByteArray keyLines(qsizetype bytes, bool dense)
{
    QByteArray out;
    out.reserve(bytes + 64);
    out += "[s]\r\n";
    for (int i = 0; out.size() < bytes; ++i)
        out += dense ? QByteArray("k=\n") : "key" + QByteArray::number(i) + "=value of some length\r\n";
    return out;
}
#endif

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newTwiceAfterRead();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void openMissingNameThenSave();
    void saveNewDocumentAsksAndReadsBack();
    void saveAsThenSaveWritesInPlace_data();
    void saveAsThenSaveWritesInPlace();
    void saveAsFlipsKeyOrder();
    void refresh();
    void failedWrite_data();
    void failedWrite();
    void unreadableFile_data();
    void unreadableFile();
    void tooLarge_data();
    void tooLarge();
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

void TestFileCommands::cleanup()
{
    emptyFolder(m_dir->path());
    m_dir.reset();
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
    QCOMPARE(host.busySpans, 2);
}

void TestFileCommands::cancelChangesNothing_data()
{
    QTest::addColumn<FileCommand>("command");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("open") << fileOpen << u"showOpenDialog 打开INI文件"_s;
    QTest::newRow("save untitled") << fileSave << u"showSaveDialog Save INI file"_s;
    QTest::newRow("save as") << fileSaveAs << u"showSaveDialog 保存INI文件"_s;
}

void TestFileCommands::cancelChangesNothing()
{
    QFETCH(FileCommand, command);
    QFETCH(QString, dialog);
    IniDocument doc;
    buildDocument(doc, {u"a:k=v"_s});
    doc.setPath(IniDocument::untitledPath());
    doc.setStatusTexts(u"p"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs{u"old"_s, u"f"_s, u"/init"_s, u"kept.ini"_s};
    FileCommands commands(doc, host, dialogs);
    const Snapshot before(doc);

    (commands.*command)();

    QCOMPARE(host.calls, QStringList{dialog});
    QCOMPARE(host.busySpans, 0);
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
    QCOMPARE(host.busySpans, 2); // the write and the read back, after the dialog
    QCOMPARE(fileBytes(path), QByteArray("[s]\r\nb=2\r\na=1\r\n"));
    QCOMPARE(doc.path(), path);
    QCOMPARE(doc.rootText(), u"saved.ini"_s);
    QCOMPARE(doc.statusPath(), path);
    QCOMPARE(doc.statusCount(), u"1 项目"_s);
    QCOMPARE(doc.selectedNode(), 1);
    QCOMPARE(dumpSections(doc), QStringList{u"s:a=1,b=2 @0*"_s});
    QVERIFY(dialogs.fileName.isEmpty());
}

void TestFileCommands::saveAsThenSaveWritesInPlace_data()
{
    QTest::addColumn<QString>("folder"); // made first, empty for none
    QTest::addColumn<QString>("name");
    QTest::newRow("plain name") << QString() << u"as.ini"_s;
    // U+FFFD really stored in a name (as valid UTF-8) is a name like any other.
    QTest::newRow("in a folder whose name holds a replacement character")
        << u"folder\uFFFD"_s << u"folder\uFFFD/as.ini"_s;
}

void TestFileCommands::saveAsThenSaveWritesInPlace()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    if (!folder.isEmpty())
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString path = tempPath(name);

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
    host.busySpans = 0;
    commands.mnuViewRefresh_Click();
    QCOMPARE(dumpSections(doc), QStringList{u"s:third=3,second=2,first=1 @0*"_s});
    QCOMPARE(doc.path(), path);
    QCOMPARE(host.count(u"show"_s), 0);
    QCOMPARE(host.busySpans, 1);
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

    // Reported once the wait pointer is gone ("busy: showError" otherwise).
    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    QCOMPARE(host.busyDepth, 0);
    const QString error = host.calls.constLast();
    QVERIFY2(error.contains(bad), qPrintable(error));
    QVERIFY(error.section(u'\n', 1).size() > 0); // the system's reason follows the path
    QVERIFY(Snapshot(doc) == before);
    QVERIFY(!QFile::exists(bad));
}

void TestFileCommands::unreadableFile_data()
{
    // Save is of a new document; an open by path tells whether the name's bytes survived
    // decoding.
    QTest::addColumn<FileCommand>("command");
    QTest::addColumn<QByteArrayList>("made"); // in the temporary folder, in this order
    QTest::addColumn<QByteArray>("target");   // the name the user gave, in the system's bytes
    // A folder exists but cannot be read as a file, nor written over.
    const QByteArrayList folder{"folder.ini/"};
    QTest::newRow("open") << fileOpen << folder << QByteArray("folder.ini");
    QTest::newRow("refresh") << viewRefresh << folder << QByteArray("folder.ini");
    QTest::newRow("save as onto a folder") << fileSaveAs << folder << QByteArray("folder.ini");
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) // names are bytes
    // A byte that is not valid UTF-8 reads as U+FFFD, which encodes to other bytes: the
    // text names no file, and saving to it would create a second one beside the first.
    const QByteArray bad("bad\xFFname.ini");
    const QByteArrayList badFile{bad};
    QTest::newRow("open a name not valid in the system's encoding") << fileOpen << badFile << bad;
    QTest::newRow("refresh of such a name") << viewRefresh << badFile << bad;
    QTest::newRow("save as onto such a name") << fileSaveAs << badFile << bad;
    QTest::newRow("save of a new document onto such a name") << fileSave << badFile << bad;
    QTest::newRow("command line or drop of such a name") << openByPath << badFile << bad;
    // The text of the name is the valid name of another file here.
    QTest::newRow("command line or drop beside a look-alike valid name")
        << openByPath << QByteArrayList{bad, "bad\xEF\xBF\xBDname.ini"} << bad;
    QTest::newRow("open in a folder whose name is not valid")
        << fileOpen << QByteArrayList{"bad\xFE/", "bad\xFE/a.ini"} << QByteArray("bad\xFE/a.ini");
    QTest::newRow("save as into a folder whose name is not valid")
        << fileSaveAs << QByteArrayList{"bad\xFE/"} << QByteArray("bad\xFE/new.ini");
    // An overlong form of "/" and a cut-off character at the end.
    QTest::newRow("command line or drop of an overlong slash")
        << openByPath << QByteArrayList{"a\xC0\xAF.ini"} << QByteArray("a\xC0\xAF.ini");
    QTest::newRow("open a name cut off inside a character")
        << fileOpen << QByteArrayList{"\xE4\xB8"} << QByteArray("\xE4\xB8");
#endif
#ifdef Q_OS_LINUX
    // A save never replaces what is no regular file: a pipe, a socket, a device.
    QTest::newRow("open a socket") << fileOpen << QByteArrayList{"socket:socket.ini"} << QByteArray("socket.ini");
    QTest::newRow("save as onto a FIFO") << fileSaveAs << QByteArrayList{"fifo:fifo.ini"} << QByteArray("fifo.ini");
    QTest::newRow("save as onto a socket") << fileSaveAs << QByteArrayList{"socket:socket.ini"} << QByteArray("socket.ini");
    QTest::newRow("save as onto a device node") << fileSaveAs << QByteArrayList{"device:device.ini"} << QByteArray("device.ini");
    QTest::newRow("save of a new document onto a FIFO") << fileSave << QByteArrayList{"fifo:fifo.ini"} << QByteArray("fifo.ini");
    QTest::newRow("save of a new document onto a device node")
        << fileSave << QByteArrayList{"device:device.ini"} << QByteArray("device.ini");
    // A link to itself names no file: it is not opened as a new one, nor replaced.
    QTest::newRow("open a link to itself") << fileOpen << QByteArrayList{"loop:loop.ini"} << QByteArray("loop.ini");
    QTest::newRow("save as onto a link to itself") << fileSaveAs << QByteArrayList{"loop:loop.ini"} << QByteArray("loop.ini");
#endif
}

void TestFileCommands::unreadableFile()
{
    QFETCH(FileCommand, command);
    QFETCH(QByteArrayList, made);
    QFETCH(QByteArray, target);
    for (const QByteArray &name : made) {
        if (!makeEntry(m_dir->path(), name))
            QSKIP(name + " cannot be made here (device nodes need root)");
    }
    // A special file: the message says it is no regular file.
    const bool special = made.constFirst().contains(':');
    const QByteArrayList disk = diskState(QFile::encodeName(m_dir->path()));
    const QString path = QDir::toNativeSeparators(QFile::decodeName(QFile::encodeName(m_dir->path()) + '/' + target));
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    doc.setPath(command == viewRefresh ? path : (command == fileSave ? u"Untitled"_s : tempPath(u"a.ini"_s)));
    doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    host.fileAnswers.enqueue(path);
    const Snapshot before(doc);

    if (command != openByPath)
        (commands.*command)();
    else
        QVERIFY(!commands.openPath(path, fileNameBytesSurvive(target)));

    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    const QString error = host.calls.constLast();
    QVERIFY2(error.contains(path), qPrintable(error));
    // Asks for a new name only where the name, not the file, is at fault.
    QCOMPARE(error.contains(undecodableNameReason()), !fileNameBytesSurvive(target));
    QCOMPARE(error.contains(u"这不是一个普通文件"_s), special);
    QVERIFY(Snapshot(doc) == before);
    QCOMPARE(diskState(QFile::encodeName(m_dir->path())), disk);
    if (command == fileOpen)
        QCOMPARE(dialogs.fileName, path);
}

void TestFileCommands::tooLarge_data()
{
    QTest::addColumn<FileCommand>("command");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("roomMb");  // address space the child may still take
    QTest::addColumn<bool>("works");
    QTest::newRow("open: refused before reading") << fileOpen << u"plain"_s << 10 << false;
    QTest::newRow("refresh: refused before reading") << viewRefresh << u"plain"_s << 10 << false;
    QTest::newRow("open: allocation fails while reading") << fileOpen << u"dense"_s << 30 << false;
    QTest::newRow("save as: the read after the write does not fit") << fileSaveAs << u"name ="_s << 10 << false;
    QTest::newRow("save as: made from the document, no read") << fileSaveAs << u"plain"_s << 10 << true;
    QTest::newRow("save: no memory to encode a 32 MB text") << fileSave << u"huge text"_s << 10 << false;
}

// A file that does not fit in memory: Open, Refresh and the read after Save As say so
// (the file, its size, "内存不足" and the figures) and the document stays as it was; a
// save without memory writes nothing. Run in a child with a lowered address-space limit.
void TestFileCommands::tooLarge()
{
#ifndef Q_OS_LINUX
    QSKIP("needs Linux's address-space limit and /proc");
#else
#  ifdef __SANITIZE_ADDRESS__
    QSKIP("a sanitizer's shadow memory does not fit under an address-space limit");
#  endif
    QFETCH(FileCommand, command);
    QFETCH(QString, kind);
    QFETCH(int, roomMb);
    QFETCH(bool, works);
    const QString big = tempPath(u"big.ini"_s);
    const QByteArray bytes = keyLines(8 * 1024 * 1024, kind == u"dense"_s);
    QVERIFY(TestFiles::writeBytes(big, bytes));
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString small = tempPath(u"small.ini"_s);
    QVERIFY(QFile(small).open(QIODevice::WriteOnly));
    const QString target = tempPath(u"out.ini"_s);
    if (command == fileSave) {
        buildDocument(doc, {u"s:k=v"_s});
        doc.setRowData(2, 0, QString(16 * 1024 * 1024, u'中'));
        doc.setPath(small);
    } else if (command == fileSaveAs) {
        QVERIFY(commands.openPath(big));
        if (kind == u"name ="_s)
            doc.setRowName(2, 0, u"a=b"_s);
    } else {
        buildDocument(doc, {u"s:k=v"_s});
        doc.setPath(command == viewRefresh ? big : small);
        doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    }
    host.fileAnswers.enqueue(command == fileOpen ? big : target);
    const Snapshot before(doc);

    const auto run = [&] { (commands.*command)(); };
    const int result = withAddressSpaceRoom(qint64(roomMb) * 1024 * 1024, run, [&] {
        if (works)
            return host.count(u"showError"_s) == 0 && doc.path() == QDir::toNativeSeparators(target) ? 0 : 10;
        if (host.count(u"showError Tarnwick|"_s) != 1 || host.busyDepth != 0)
            return 11;
        const QString error = host.calls.constLast();
        if (!error.contains(u"内存不足"_s) || !error.contains(u" MB"_s))
            return 12;
        // The file read is named with its size; a save names its file.
        const QString named =
            command == fileOpen || command == viewRefresh ? big : command == fileSaveAs ? target : small;
        if (!error.contains(named) || (command != fileSave && !error.contains(QString::number(QFileInfo(named).size()))))
            return 13;
        return Snapshot(doc) == before ? 0 : 14;
    });
    QCOMPARE(result, 0);
    if (command == fileSave)
        QCOMPARE(QFileInfo(small).size(), 0); // nothing written
    if (works)
        QCOMPARE(fileBytes(target).size(), QFileInfo(big).size());
#endif
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
    QTest::addColumn<QStringList>("expected"); // title, path, sections, keys, status, encoding
    QTest::newRow("new document")
        << QString() << QStringList{u"Untitled.ini"_s, u"无法获取"_s, u"0个"_s, u"0个"_s, u"配置设置文件"_s,
                                    EncodingShownAs(defaultNewFileEncoding())};
    // Sections of 2, 0 and 5 keys, and one key before the first header.
    const QString path = dataFile(u"properties-three-sections.ini"_s);
    QTest::newRow("three sections")
        << path << QStringList{u"properties-three-sections.ini"_s, path, u"3个"_s, u"8个"_s,
                               u"文件保存到硬盘"_s, EncodingShownAs(defaultNewFileEncoding())};
    // The encoding the file was read in, its mark named.
    const QString gbk = dataFile(u"encodings/gb18030-mirserver-logdata-tiny.ini"_s);
    QTest::newRow("GBK file")
        << gbk << QStringList{u"gb18030-mirserver-logdata-tiny.ini"_s, gbk, u"1个"_s, u"3个"_s,
                              u"文件保存到硬盘"_s, u"GB18030"_s};
    const QString bom = dataFile(u"encodings/utf-8-teraterm-simplified-chinese-bom.ini"_s);
    QTest::newRow("UTF-8 with mark")
        << bom << QStringList{u"utf-8-teraterm-simplified-chinese-bom.ini"_s, bom, u"7个"_s, u"976个"_s,
                              u"文件保存到硬盘"_s, u"UTF-8（带 BOM）"_s};
    const QString cyrillic = dataFile(u"encodings/windows-1251-teraterm-russian.ini"_s);
    QTest::newRow("Windows-1251 file")
        << cyrillic << QStringList{u"windows-1251-teraterm-russian.ini"_s, cyrillic, u"7个"_s, u"976个"_s,
                                   u"文件保存到硬盘"_s, u"Windows-1251"_s};
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

    const PropertiesInfo info = buildPropertiesInfo(doc);
    QCOMPARE((QStringList{info.title, info.path, info.sections, info.keys, info.status, info.encoding}), expected);
    commands.mnuViewProperties_Click();
    QCOMPARE(host.calls.constLast(), u"showProperties "_s + expected.constFirst());
}

QTEST_GUILESS_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
