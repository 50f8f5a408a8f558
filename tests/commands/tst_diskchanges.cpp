#include "diskscript.h"
#include "docbuilder.h"
#include "filecommands.h"
#include "inidocument.h"
#include "scriptedhost.h"
#include "systemreason.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#ifdef Q_OS_UNIX
#  include <sys/stat.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

using FileCommand = void (FileCommands::*)();
Q_DECLARE_METATYPE(FileCommand)

namespace {

const FileCommand fileOpen = &FileCommands::mnuFileOpen_Click;
const FileCommand viewRefresh = &FileCommands::mnuViewRefresh_Click;

QByteArray fileBytes(const QString &path)
{
    return TestFiles::readBytes(path, "<missing>");
}

// Everything of the document a command that changes nothing must leave alone.
QString state(const IniDocument &doc)
{
    return TestFiles::describe(doc) + u'\n' + doc.path() + u'\n' + doc.statusPath() + u'\n' + doc.statusCount();
}

// A document with its commands and a scripted host, as the window holds them.
struct Session
{
    IniDocument doc;
    ScriptedHost host;
    FileDialogState dialogs;
    FileCommands commands{doc, host, dialogs};
};

} // namespace

// The file commands when the file on disk changes under the open document: another
// program rewrites or removes it, a save before died and left a backup, the disk fails
// to sync.
class TestDiskChanges : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void outsideChange_data();
    void outsideChange();
    void refreshFails_data();
    void refreshFails();
    void leftoverBackupNamed_data();
    void leftoverBackupNamed();
    void syncFails_data();
    void syncFails();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString tempPath(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }
};

void TestDiskChanges::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDiskChanges::outsideChange_data()
{
    QTest::addColumn<QString>("change"); // what another program does between open and save
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("yes");
    QTest::newRow("nothing: saved without a word") << u"none"_s << false << false;
    QTest::newRow("appended to, Yes") << u"append"_s << true << true;
    QTest::newRow("appended to, No") << u"append"_s << true << false;
    QTest::newRow("same size, older time, Yes") << u"same size"_s << true << true;
    QTest::newRow("same size, older time, No") << u"same size"_s << true << false;
    QTest::newRow("replaced by another file, Yes") << u"replaced"_s << true << true;
    QTest::newRow("replaced by another file, No") << u"replaced"_s << true << false;
    QTest::newRow("deleted: created anew") << u"deleted"_s << false << false;
}

// Another program rewrites the file while it is open: Save asks before it replaces the
// other program's changes, and No leaves file and document alone.
void TestDiskChanges::outsideChange()
{
    QFETCH(QString, change);
    QFETCH(bool, asked);
    QFETCH(bool, yes);
    const QString path = tempPath(u"game.ini"_s);
    const QByteArray original("[s]\r\nk=v\r\n");
    QVERIFY(TestFiles::writeBytes(path, original));
    Session session;
    auto &[doc, host, dialogs, commands] = session;
    QVERIFY(commands.openPath(path));
    doc.setRowData(2, 0, u"mine"_s);

    QByteArray theirs = original + "added=1\r\n";
    if (change == u"append"_s) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write("added=1\r\n") > 0);
    } else if (change == u"same size"_s) {
        theirs = "[s]\r\nk=x\r\n";
        QVERIFY(TestFiles::writeBytes(path, theirs));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    } else if (change == u"replaced"_s) {
        const QString other = tempPath(u"other.ini"_s);
        QVERIFY(TestFiles::writeBytes(other, theirs));
        QCOMPARE(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
    } else if (change == u"deleted"_s) {
        QVERIFY(QFile::remove(path));
    }
    const QString before = state(doc);
    host.yesNoAnswers.enqueue(yes);

    commands.mnuFileSave_Click();

    const QByteArray mine("[s]\r\nk=mine\r\n");
    QCOMPARE(host.count(u"askYesNo"_s), asked ? 1 : 0);
    if (asked) {
        const QString question = host.calls.constFirst();
        QVERIFY2(question.startsWith(u"askYesNo Tarnwick|"_s) && question.contains(path)
                     && question.contains(u"其他程序"_s) && question.endsWith(u"|Question"_s),
                 qPrintable(question));
    }
    QCOMPARE(fileBytes(path), asked && !yes ? theirs : mine);
    QVERIFY(state(doc) == before);
    QCOMPARE(host.count(u"showError"_s), 0);
    // Once the document's content is the file's, the next save asks nothing; after No it
    // asks again.
    host.calls.clear();
    commands.mnuFileSave_Click();
    QCOMPARE(host.count(u"askYesNo"_s), asked && !yes ? 1 : 0);
}

void TestDiskChanges::refreshFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("deleted") << u"deleted"_s << u"文件不存在"_s;
    QTest::newRow("replaced by a folder") << u"folder"_s << u"这是一个文件夹"_s;
#ifdef Q_OS_UNIX
    QTest::newRow("no longer readable") << u"unreadable"_s << systemReason(EACCES);
#endif
}

// Refresh of a file that went away or can no longer be read: a message names the file
// and the reason, and the document keeps everything it held (a Save then writes it).
void TestDiskChanges::refreshFails()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = tempPath(u"gone.ini"_s);
    QVERIFY(TestFiles::writeBytes(path, "[s]\r\nk=v\r\n[t]\r\n"));
    Session session;
    auto &[doc, host, dialogs, commands] = session;
    QVERIFY(commands.openPath(path));
    doc.setRowData(2, 0, u"edited"_s);
    const QString before = state(doc);
    if (kind == u"folder"_s) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"deleted"_s) {
        QVERIFY(QFile::remove(path));
    }

    const auto check = [&]() {
        commands.mnuViewRefresh_Click();
        if (host.count(u"showError Tarnwick|"_s) != 1)
            return 1;
        const QString error = host.calls.constLast();
        if (!error.contains(path) || !error.contains(reason))
            return 2;
        return state(doc) == before && doc.nodeCount() == 3 ? 0 : 3;
    };
#ifdef Q_OS_UNIX
    if (kind == u"unreadable"_s) {
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0), 0);
        if (geteuid() == 0) {
            // Root reads anything: the refresh runs as "nobody", who could read it before.
            QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
            const pid_t pid = fork();
            if (pid == 0)
                _exit(setgid(65534) == 0 && setuid(65534) == 0 ? check() : 9);
            int status = 0;
            QCOMPARE(waitpid(pid, &status, 0), pid);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
            return;
        }
    }
#endif
    QCOMPARE(check(), 0);
    if (kind == u"deleted"_s) {
        commands.mnuFileSave_Click();
        QCOMPARE(fileBytes(path), QByteArray("[s]\r\nk=edited\r\n[t]\r\n"));
    }
}

void TestDiskChanges::leftoverBackupNamed_data()
{
    QTest::addColumn<FileCommand>("command");
    QTest::newRow("open") << fileOpen;
    QTest::newRow("refresh") << viewRefresh;
}

// A save in place that died left the old content in a backup beside the file: the next
// open or refresh of that file says where, and leaves both files to the user.
void TestDiskChanges::leftoverBackupNamed()
{
    QFETCH(FileCommand, command);
    const QString path = tempPath(u"half.ini"_s);
    const QString backup = tempPath(u".half.ini.tarnwick-backup"_s);
    QVERIFY(TestFiles::writeBytes(path, "[s]\r\nk=new\r\n"));
    QVERIFY(TestFiles::writeBytes(backup, "[s]\r\nk=old\r\n"));
    Session session;
    auto &[doc, host, dialogs, commands] = session;
    doc.setPath(path);
    host.fileAnswers.enqueue(path);

    (commands.*command)();

    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    const QString message = host.calls.constLast();
    QVERIFY2(message.contains(path) && message.contains(backup), qPrintable(message));
    QCOMPARE(dumpSections(doc), QStringList{u"s:k=new @0*"_s});
    QCOMPARE(fileBytes(backup), QByteArray("[s]\r\nk=old\r\n"));
}

void TestDiskChanges::syncFails_data()
{
    QTest::addColumn<bool>("linked"); // a second link: written in place behind a backup
    QTest::newRow("rename") << false;
    QTest::newRow("in place") << true;
}

// The disk reports that the new content may not be on it (fsync fails with EIO): the
// save is refused with that reason and the old file stays, on both routes.
void TestDiskChanges::syncFails()
{
#ifndef Q_OS_LINUX
    QSKIP("the save's system calls are scripted on Linux");
#else
    QFETCH(bool, linked);
    const QString path = tempPath(u"sync.ini"_s);
    QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
    if (linked)
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(tempPath(u"link.ini"_s)).constData()), 0);
    Session session;
    auto &[doc, host, dialogs, commands] = session;
    QVERIFY(commands.openPath(path));
    doc.setRowData(0, 0, u"changed"_s);
    const QString before = state(doc);
    {
        DiskScript script(path);
        script.failSync = linked ? 3 : 1; // the new content's
        commands.mnuFileSave_Click();
    }
    QCOMPARE(host.count(u"showError Tarnwick|"_s), 1);
    const QString error = host.calls.constLast();
    QVERIFY2(error.contains(path) && error.contains(systemReason(EIO)), qPrintable(error));
    QCOMPARE(fileBytes(path), TestFiles::oldBytes());
    QVERIFY(state(doc) == before);
    QCOMPARE(TestFiles::entries(m_dir->path()),
             linked ? QStringList({u"link.ini"_s, u"sync.ini"_s}) : QStringList{u"sync.ini"_s});
    // A save that failed and put the old bytes back is no change by another program.
    commands.mnuFileSave_Click();
    QCOMPARE(host.count(u"askYesNo"_s), 0);
#endif
}

QTEST_GUILESS_MAIN(TestDiskChanges)
#include "tst_diskchanges.moc"
