#include "docbuilder.h"
#include "filecommands.h"
#include "inidocument.h"
#include "propertiesinfo.h"
#include "scriptedhost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#  include <sys/resource.h>
#  include <sys/socket.h>
#  include <sys/stat.h>
#  include <sys/sysmacros.h>
#  include <sys/un.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

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

// Runs the command of a table's "command" column: 0 Open, 1 Refresh, 2 Save As, 3 Save.
void runFileCommand(FileCommands &commands, int command)
{
    if (command == 0)
        commands.mnuFileOpen_Click();
    else if (command == 1)
        commands.mnuViewRefresh_Click();
    else if (command == 2)
        commands.mnuFileSaveAs_Click();
    else
        commands.mnuFileSave_Click();
}

#ifdef Q_OS_LINUX
// Makes a file system object that is no regular file at path: "fifo", "socket", or
// "device" (a node with the numbers of /dev/null). False when this system or user
// cannot make it.
bool makeSpecial(const QString &kind, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == u"fifo"_s)
        return mkfifo(native.constData(), 0600) == 0;
    if (kind == u"device"_s)
        return mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return bound;
}

// The file type bits of what stands at path (symbolic links followed), or 0.
mode_t fileType(const QString &path)
{
    struct stat st{};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Runs command in a child process whose address space may grow only `room` bytes beyond
// what it uses now, then check with the limit lifted again; returns check's result, or
// -1 when the child died.
int withAddressSpaceRoom(qint64 room, const std::function<void()> &command,
                         const std::function<int()> &check)
{
    const pid_t pid = fork();
    if (pid == 0) {
        QFile status(u"/proc/self/status"_s);
        qint64 used = 0;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("VmSize:"))
                    used = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
            }
        }
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        const rlim_t unlimited = limit.rlim_cur;
        limit.rlim_cur = rlim_t(used + room);
        if (used == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(99);
        // Only the forking thread lives on here: the child must never return to the test.
        try {
            command();
            limit.rlim_cur = unlimited;
            setrlimit(RLIMIT_AS, &limit);
            _exit(check());
        } catch (...) {
            _exit(98);
        }
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

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
    QTest::addColumn<int>("command"); // 0 open, 1 refresh, 2 save as, 3 save
    QTest::addColumn<QString>("target");
    QTest::newRow("open") << 0 << u"folder"_s;
    QTest::newRow("refresh") << 1 << u"folder"_s;
    QTest::newRow("save as onto a folder") << 2 << u"folder"_s;
    QTest::newRow("open a socket") << 0 << u"socket"_s;
    // A save never replaces what is no regular file: a pipe, a socket, a device.
    QTest::newRow("save as onto a FIFO") << 2 << u"fifo"_s;
    QTest::newRow("save as onto a socket") << 2 << u"socket"_s;
    QTest::newRow("save as onto a device node") << 2 << u"device"_s;
    QTest::newRow("save onto a FIFO") << 3 << u"fifo"_s;
    QTest::newRow("save onto a device node") << 3 << u"device"_s;
}

void TestFileCommands::unreadableFile()
{
    QFETCH(int, command);
    QFETCH(QString, target);
    IniDocument doc;
    buildDocument(doc, {u"s:k=v"_s});
    // A folder exists but cannot be read as a file, nor written over.
    const QString special = tempPath(target + u".ini"_s);
    if (target == u"folder"_s) {
        QVERIFY(QDir().mkpath(special));
    } else {
#ifdef Q_OS_LINUX
        if (!makeSpecial(target, special))
            QSKIP("cannot make this kind of file here (device nodes need root)");
#else
        QSKIP("special files are made on Linux");
#endif
    }
    doc.setPath(command == 1 || command == 3 ? special : tempPath(u"a.ini"_s));
    doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    host.fileAnswers.enqueue(special);
    const Snapshot before(doc);

    runFileCommand(commands, command);

    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    QVERIFY(host.calls.constLast().contains(special));
    if (target != u"folder"_s)
        QVERIFY2(host.calls.constLast().contains(u"这不是一个普通文件"_s), qPrintable(host.calls.constLast()));
    QVERIFY(Snapshot(doc) == before);
    if (command == 0)
        QCOMPARE(dialogs.fileName, special);
#ifdef Q_OS_LINUX
    const mode_t expectedType = target == u"folder"_s ? S_IFDIR
                                : target == u"fifo"_s ? S_IFIFO
                                : target == u"socket"_s ? S_IFSOCK
                                                        : S_IFCHR;
    QCOMPARE(fileType(special), expectedType);
#endif
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(special).fileName()});
}

void TestFileCommands::tooLarge_data()
{
    QTest::addColumn<int>("command"); // 0 open, 1 refresh, 2 save as, 3 save
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("roomMb");  // address space the child may still take
    QTest::addColumn<bool>("works");
    QTest::newRow("open: refused before reading") << 0 << u"plain"_s << 10 << false;
    QTest::newRow("refresh: refused before reading") << 1 << u"plain"_s << 10 << false;
    QTest::newRow("open: allocation fails while reading") << 0 << u"dense"_s << 30 << false;
    QTest::newRow("save as: the read after the write does not fit") << 2 << u"name ="_s << 10 << false;
    QTest::newRow("save as: made from the document, no read") << 2 << u"plain"_s << 10 << true;
    QTest::newRow("save: no memory to encode a 32 MB text") << 3 << u"huge text"_s << 10 << false;
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
    QFETCH(int, command);
    QFETCH(QString, kind);
    QFETCH(int, roomMb);
    QFETCH(bool, works);
    const QString big = tempPath(u"big.ini"_s);
    const QByteArray bytes = keyLines(8 * 1024 * 1024, kind == u"dense"_s);
    {
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    const QString small = tempPath(u"small.ini"_s);
    QVERIFY(QFile(small).open(QIODevice::WriteOnly));
    const QString target = tempPath(u"out.ini"_s);
    if (command == 3) {
        buildDocument(doc, {u"s:k=v"_s});
        doc.setRowData(2, 0, QString(16 * 1024 * 1024, u'中'));
        doc.setPath(small);
    } else if (command == 2) {
        QVERIFY(commands.openPath(big));
        if (kind == u"name ="_s)
            doc.setRowName(2, 0, u"a=b"_s);
    } else {
        buildDocument(doc, {u"s:k=v"_s});
        doc.setPath(command == 1 ? big : small);
        doc.setStatusTexts(u"status"_s, u"1 项目"_s);
    }
    host.fileAnswers.enqueue(command == 0 ? big : target);
    const Snapshot before(doc);

    const auto run = [&] { runFileCommand(commands, command); };
    const int result = withAddressSpaceRoom(qint64(roomMb) * 1024 * 1024, run, [&] {
        if (works)
            return host.count(u"showError"_s) == 0 && doc.path() == QDir::toNativeSeparators(target) ? 0 : 10;
        if (host.count(u"showError Tarnwick|"_s) != 1)
            return 11;
        const QString error = host.calls.constLast();
        if (!error.contains(u"内存不足"_s) || !error.contains(u" MB"_s))
            return 12;
        // The file read is named with its size; a save names its file.
        const QString named = command == 0 || command == 1 ? big : command == 2 ? target : small;
        if (!error.contains(named) || (command != 3 && !error.contains(QString::number(QFileInfo(named).size()))))
            return 13;
        return Snapshot(doc) == before ? 0 : 14;
    });
    QCOMPARE(result, 0);
    if (command == 3)
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
