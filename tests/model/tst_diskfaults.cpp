#include "inidocument.h"
#include "inireader.h"
#include "iniwriter.h"
#include "testfiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#  include <csignal>
#  include <sched.h>
#  include <sys/mount.h>
#  include <sys/resource.h>
#  include <sys/stat.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// Failures of the disk and of the file system under a save or an open: whatever fails,
// the file on disk keeps its bytes, no temporary file is left and the document in
// memory stays as it was.
class TestDiskFaults : public QObject
{
    Q_OBJECT

private:
    static const QByteArray &oldBytes()
    {
        static const QByteArray bytes("[Old]\r\nkeep=me\r\n");
        return bytes;
    }

    // About 2 MB of text: more than any of the small limits below lets through.
    static void fillBig(IniDocument &doc)
    {
        const int member = doc.addSection(u"Big"_s);
        for (int i = 0; i < 20000; ++i)
            doc.appendRow(member, KeyRow(u"key%1"_s.arg(i), QString(100, u'x')));
    }

#ifdef Q_OS_LINUX
    // Mounts made from here on stay inside this test process and vanish with it, so a
    // failing test never leaves one behind. Needs root (or CAP_SYS_ADMIN).
    static bool privateMounts()
    {
        static const bool ok = unshare(CLONE_NEWNS) == 0
                               && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return ok;
    }

    static bool mountTmpfs(const QString &dir, const char *options)
    {
        return mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options) == 0;
    }

    static bool remountReadOnly(const QString &dir)
    {
        return mount(nullptr, QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)
               == 0;
    }

    static void unmount(const QString &dir) { umount2(QFile::encodeName(dir).constData(), MNT_DETACH); }

    // Runs the write in a child process whose files may not grow past limit bytes
    // (SIGXFSZ ignored, so the write fails with EFBIG). Returns 0 when the write failed
    // with a reason, 1 when it succeeded, 2 when it failed without one.
    static int writeWithSizeLimit(const IniDocument &doc, const QString &path, rlim_t limit)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            QString error;
            const bool ok = WriteIniFile(doc, path, &error);
            _exit(ok ? 1 : error.isEmpty() ? 2 : 0);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }
#endif

private slots:
    void failedSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("oldFile"); // a file stands at the target before the save
        QTest::newRow("path under a regular file") << u"under file"_s << false;
        QTest::newRow("size limit at the first byte") << u"limit 0"_s << true;
        QTest::newRow("size limit mid-write, new file") << u"limit 64k"_s << false;
        QTest::newRow("size limit one byte short") << u"limit short"_s << true;
        QTest::newRow("disk full mid-write") << u"disk full"_s << true;
        QTest::newRow("disk full mid-write, new file") << u"disk full"_s << false;
        QTest::newRow("read-only file system") << u"read-only fs"_s << true;
    }

    void failedSave()
    {
#ifndef Q_OS_LINUX
        QSKIP("needs fork(), file size limits and Linux mounts");
#else
        QFETCH(QString, kind);
        QFETCH(bool, oldFile);
        QTemporaryDir temp;
        QString dir = temp.path();
        const bool mounted = kind == u"disk full"_s || kind == u"read-only fs"_s;
        if (mounted) {
            if (!privateMounts())
                QSKIP("mounting a small file system needs root");
            dir = temp.filePath(u"mnt"_s);
            QVERIFY(QDir().mkdir(dir));
            QVERIFY(mountTmpfs(dir, "size=64k"));
        }
        const auto cleanup = qScopeGuard([&] {
            if (mounted)
                unmount(dir);
        });
        const QString path = dir + u"/target.ini"_s;
        if (oldFile)
            QVERIFY(TestFiles::writeBytes(path, oldBytes()));

        IniDocument doc;
        fillBig(doc);
        QByteArray full;
        QVERIFY(EncodeIniDocument(doc, &full));
        const QString before = TestFiles::describe(doc);

        if (kind == u"under file"_s) {
            QVERIFY(TestFiles::writeBytes(dir + u"/plain"_s, "x"));
            QString error;
            QVERIFY(!WriteIniFile(doc, dir + u"/plain/target.ini"_s, &error));
            QVERIFY(!error.isEmpty());
        } else if (kind.startsWith(u"limit"_s)) {
            const rlim_t limit = kind == u"limit 0"_s     ? 0
                                 : kind == u"limit short"_s ? rlim_t(full.size() - 1)
                                                            : 64 * 1024;
            QCOMPARE(writeWithSizeLimit(doc, path, limit), 0);
        } else {
            if (kind == u"read-only fs"_s)
                QVERIFY(remountReadOnly(dir));
            QString error;
            QVERIFY(!WriteIniFile(doc, path, &error));
            QVERIFY(!error.isEmpty());
        }

        QStringList expected;
        if (kind == u"under file"_s)
            expected << u"plain"_s;
        if (oldFile) {
            expected << u"target.ini"_s;
            QCOMPARE(TestFiles::readBytes(path), oldBytes());
        }
        QCOMPARE(TestFiles::entries(dir), expected);
        QCOMPARE(TestFiles::describe(doc), before);
#endif
    }

    // The file goes away between open and save: the save writes it anew. Gone and
    // replaced by a folder, the save fails and leaves the folder alone.
    void fileGoneBeforeSave_data()
    {
        QTest::addColumn<bool>("folderInstead");
        QTest::newRow("deleted") << false;
        QTest::newRow("replaced by a folder") << true;
    }

    void fileGoneBeforeSave()
    {
        QFETCH(bool, folderInstead);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, "[A]\r\na=1\r\n[B]\r\n"));
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);
        const QString before = TestFiles::describe(doc);
        QVERIFY(QFile::remove(path));
        if (folderInstead)
            QVERIFY(QDir(dir.path()).mkdir(u"target.ini"_s));

        QString error;
        QCOMPARE(WriteIniFile(doc, path, &error), !folderInstead);
        QCOMPARE(TestFiles::describe(doc), before);
        QCOMPARE(TestFiles::entries(dir.path()), QStringList{u"target.ini"_s});
        if (folderInstead) {
            QVERIFY(!error.isEmpty());
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QCOMPARE(TestFiles::readBytes(path), QByteArray("[A]\r\na=1\r\n[B]\r\n"));
        }
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << u"fifo"_s;
        QTest::newRow("read fails with an I/O error") << u"proc mem"_s;
        QTest::newRow("path under a regular file") << u"under file"_s;
    }

    // A path that exists (or names something inside a file) but gives no INI text: the
    // open fails or finds no file, and the document keeps everything it held.
    void unreadable()
    {
#ifndef Q_OS_LINUX
        QSKIP("named pipes and /proc are Linux things here");
#else
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString before = dir.filePath(u"before.ini"_s);
        QVERIFY(TestFiles::writeBytes(before, "[Kept]\r\nk=v\r\n"));
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, before), ReadResult::Ok);
        doc.setFrontList(2);
        const QString described = TestFiles::describe(doc);

        QString path;
        ReadResult expected = ReadResult::Failed;
        if (kind == u"fifo"_s) {
            // Opening a pipe without a writer would block: it must never be opened.
            path = dir.filePath(u"pipe.ini"_s);
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == u"proc mem"_s) {
            // A regular file to stat() whose read() fails with EIO at offset 0.
            path = u"/proc/self/mem"_s;
            if (!QFileInfo(path).isFile())
                QSKIP("no /proc/self/mem here");
        } else {
            path = before + u"/x.ini"_s;
            expected = ReadResult::Missing;
        }

        QSignalSpy resets(&doc, &IniDocument::aboutToReset);
        QString error;
        QCOMPARE(ReadIniFile(doc, path, &error), expected);
        if (expected == ReadResult::Failed) {
            QVERIFY(!error.isEmpty());
            QCOMPARE(resets.count(), 0);
            QCOMPARE(TestFiles::describe(doc), described);
            QCOMPARE(doc.path(), QDir::toNativeSeparators(before));
            QCOMPARE(doc.statusPath(), QDir::toNativeSeparators(before));
            QCOMPARE(doc.statusCount(), u"1 项目"_s);
        } else {
            // Nothing can stand there: an empty document named after the path, whose
            // save will fail with a reason.
            QCOMPARE(doc.rootText(), u"x.ini"_s);
            QCOMPARE(doc.nodeCount(), 1);
        }
        QCOMPARE(TestFiles::readBytes(before), QByteArray("[Kept]\r\nk=v\r\n"));
#endif
    }
};

QTEST_GUILESS_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
