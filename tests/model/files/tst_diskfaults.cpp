#include "inidocument.h"
#include "inifile.h"
#include "inireader.h"
#include "iniwriter.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#  include <csignal>
#  include <sched.h>
#  include <sys/mount.h>
#  include <sys/resource.h>
#  include <sys/stat.h>
#  include <grp.h>
#  include <sys/wait.h>
#  include <unistd.h>
#elif defined(Q_OS_UNIX)
#  include <csignal>
#  include <grp.h>
#  include <sys/resource.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

// Failures of the disk and of the file system under a save or an open: whatever fails,
// the file on disk keeps its bytes, no temporary file is left and the document in
// memory stays as it was.
class TestDiskFaults : public QObject
{
    Q_OBJECT

private:
    // About 2 MB of text: more than any of the small limits below lets through.
    static void fillBig(IniDocument &doc)
    {
        const int member = doc.addSection(u"Big"_s);
        for (int i = 0; i < 20000; ++i)
            doc.appendRow(member, KeyRow(u"key%1"_s.arg(i), QString(100, u'x')));
    }

    // 0 when a write of doc to path fails with a reason that contains reason, 1 when it
    // succeeds, 2 when it fails without one, 3 when with another.
    static int failsWith(const IniDocument &doc, const QString &path, const QString &reason)
    {
        QString error;
        if (WriteIniFile(doc, path, &error))
            return 1;
        if (error.isEmpty())
            return 2;
        if (!error.contains(reason)) {
            std::fprintf(stderr, "reason: %s\n", qPrintable(error));
            return 3;
        }
        return 0;
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

#endif

#ifdef Q_OS_UNIX
    // Runs body in a child process and returns its result (0 to 255), -1 when the child
    // did not end normally. Whatever the child changes (limits, its user) stays there.
    static int inChild(const std::function<int()> &body)
    {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(body());
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    // The write in a child whose files may not grow past limit bytes (SIGXFSZ ignored,
    // so the write fails with EFBIG): failsWith's result.
    static int writeWithSizeLimit(const IniDocument &doc, const QString &path, rlim_t limit,
                                  const QString &reason)
    {
        return inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            return failsWith(doc, path, reason);
        });
    }

    // Makes this (child) process the unprivileged user nobody.
    static bool becomeNobody()
    {
        constexpr uid_t nobody = 65534;
        return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
    }
#endif

private slots:
    void failedSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("oldFile"); // a file stands at the target before the save
        QTest::addColumn<QString>("reason"); // what the message says, in Chinese
        const QString tooLarge = u"文件太大"_s;    // EFBIG
        const QString diskFull = u"磁盘空间不足"_s; // ENOSPC
        QTest::newRow("path under a regular file") << u"under file"_s << false << u"路径中有一部分不是文件夹"_s;
        QTest::newRow("size limit at the first byte") << u"limit 0"_s << true << tooLarge;
        QTest::newRow("size limit mid-write, new file") << u"limit 64k"_s << false << tooLarge;
        QTest::newRow("size limit one byte short") << u"limit short"_s << true << tooLarge;
        QTest::newRow("disk full mid-write") << u"disk full"_s << true << diskFull;
        QTest::newRow("disk full mid-write, new file") << u"disk full"_s << false << diskFull;
        QTest::newRow("read-only file system") << u"read-only fs"_s << true << u"文件系统是只读的"_s;
        // A file with a second name is written in place: the space is taken first.
        QTest::newRow("disk full, second link") << u"disk full, linked"_s << true << diskFull;
        QTest::newRow("size limit one byte short, second link") << u"limit short, linked"_s << true << tooLarge;
        QTest::newRow("size limit at the first byte, second link") << u"limit 0, linked"_s << true << tooLarge;
        // The writer finds a character it cannot write after its first megabytes went out:
        // in place, the old bytes come back from the backup.
        QTest::newRow("unwritable text late in the file") << u"late bad text"_s << true << u"U+D800"_s;
        QTest::newRow("unwritable text late in the file, second link") << u"late bad text, linked"_s << true
                                                                       << u"U+D800"_s;
    }

    void failedSave()
    {
#ifndef Q_OS_LINUX
        QSKIP("needs fork(), file size limits and Linux mounts");
#else
        QFETCH(QString, kind);
        QFETCH(bool, oldFile);
        QFETCH(QString, reason);
        const bool linked = kind.endsWith(u", linked"_s);
        kind.remove(u", linked"_s);
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
            QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        if (linked)
            QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir + u"/link.ini"_s).constData()), 0);

        IniDocument doc;
        fillBig(doc);
        QByteArray full;
        QVERIFY(encodeIniDocument(doc.content(), &full));
        if (kind == u"late bad text"_s)
            doc.appendRow(doc.addSection(u"Late"_s), KeyRow(u"bad"_s, u"a"_s + QChar(0xD800)));
        const QString before = TestFiles::describe(doc);

        if (kind == u"under file"_s) {
            QVERIFY(TestFiles::writeBytes(dir + u"/plain"_s, "x"));
            QCOMPARE(failsWith(doc, dir + u"/plain/target.ini"_s, reason), 0);
        } else if (kind.startsWith(u"limit"_s)) {
            const rlim_t limit = kind == u"limit 0"_s     ? 0
                                 : kind == u"limit short"_s ? rlim_t(full.size() - 1)
                                                            : 64 * 1024;
            QCOMPARE(writeWithSizeLimit(doc, path, limit, reason), 0);
        } else {
            if (kind == u"read-only fs"_s)
                QVERIFY(remountReadOnly(dir));
            QCOMPARE(failsWith(doc, path, reason), 0);
        }

        QStringList expected;
        if (linked) {
            expected << u"link.ini"_s;
            QCOMPARE(TestFiles::readBytes(dir + u"/link.ini"_s), TestFiles::oldBytes());
        }
        if (kind == u"under file"_s)
            expected << u"plain"_s;
        if (oldFile) {
            expected << u"target.ini"_s;
            QCOMPARE(TestFiles::readBytes(path), TestFiles::oldBytes());
        }
        QCOMPARE(TestFiles::entries(dir), expected);
        QCOMPARE(TestFiles::describe(doc), before);
#endif
    }

    void saveRoutes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("sameFile"); // written in place rather than replaced
        QTest::newRow("new file") << u"new"_s << false;
        QTest::newRow("single link, own file") << u"plain"_s << false;
        QTest::newRow("second hard link kept") << u"hard link"_s << true;
        QTest::newRow("symbolic link to a file with a second link") << u"symlink to hard link"_s << true;
        QTest::newRow("root saves another user's file: owner and group kept") << u"other owner"_s << false;
        QTest::newRow("unprivileged: writable file in a read-only folder") << u"read-only folder"_s << true;
        QTest::newRow("unprivileged: group-writable file of another owner") << u"foreign owner"_s << true;
    }

    // What the file is on disk survives the save: its other names, its owner and group,
    // its permissions. Replaced in one step where that keeps them all, written in place
    // where it would not.
    void saveRoutes()
    {
#ifndef Q_OS_LINUX
        QSKIP("owners, hard links and privileges are tested on Linux");
#else
        QFETCH(QString, kind);
        QFETCH(bool, sameFile);
        const bool unprivileged = kind == u"read-only folder"_s || kind == u"foreign owner"_s;
        if ((unprivileged || kind == u"other owner"_s) && geteuid() != 0)
            QSKIP("needs root to hand files to other users");
        constexpr uid_t nobody = 65534;
        QTemporaryDir temp;
        QVERIFY(QFile::setPermissions(temp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                       | QFile::ReadOther | QFile::ExeOther));
        const QString dir = temp.filePath(u"d"_s);
        QVERIFY(QDir().mkdir(dir));
        const QString path = dir + u"/target.ini"_s;
        const QByteArray nativePath = QFile::encodeName(path);
        if (kind != u"new"_s)
            QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        QCOMPARE(::chmod(nativePath.constData(), 0640), kind == u"new"_s ? -1 : 0);
        QString savePath = path;
        QStringList expected{u"target.ini"_s};
        if (kind == u"hard link"_s || kind == u"symlink to hard link"_s) {
            QCOMPARE(::link(nativePath.constData(), QFile::encodeName(dir + u"/link.ini"_s).constData()), 0);
            expected.prepend(u"link.ini"_s);
        }
        if (kind == u"symlink to hard link"_s) {
            savePath = temp.filePath(u"sym.ini"_s);
            QVERIFY(QFile::link(path, savePath));
        }
        if (kind == u"other owner"_s)
            QCOMPARE(::chown(nativePath.constData(), nobody, nobody), 0);
        if (kind == u"read-only folder"_s)
            QCOMPARE(::chown(nativePath.constData(), nobody, nobody), 0); // folder: root's, 0755
        if (kind == u"foreign owner"_s) {
            QCOMPARE(::chown(nativePath.constData(), 0, nobody), 0);
            QCOMPARE(::chmod(nativePath.constData(), 0660), 0);
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0777), 0);
        }
        struct stat before{};
        ::stat(nativePath.constData(), &before);

        IniDocument doc;
        doc.addSection(u"New"_s);
        // Where the backup of a file in a folder the user cannot write goes.
        const QString data = temp.filePath(u"data"_s);
        if (unprivileged) {
            QVERIFY(QDir().mkdir(data));
            QCOMPARE(::chown(QFile::encodeName(data).constData(), nobody, nobody), 0);
            QCOMPARE(inChild([&] {
                         qputenv("XDG_DATA_HOME", QFile::encodeName(data));
                         QString error;
                         return !becomeNobody() ? 3 : WriteIniFile(doc, savePath, &error) ? 0 : error.isEmpty() ? 2 : 1;
                     }),
                     0);
        } else {
            QString error;
            QVERIFY2(WriteIniFile(doc, savePath, &error), qPrintable(error));
        }

        QCOMPARE(TestFiles::readBytes(path), QByteArray("[New]\r\n"));
        QCOMPARE(TestFiles::entries(dir), expected);
        if (unprivileged) // no backup stays behind
            QCOMPARE(TestFiles::entries(data + u"/tst_diskfaults"_s), QStringList());
        struct stat after{};
        QCOMPARE(::stat(nativePath.constData(), &after), 0);
        if (kind == u"new"_s)
            return;
        QCOMPARE(after.st_ino == before.st_ino, sameFile);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_nlink, before.st_nlink);
        if (expected.contains(u"link.ini"_s))
            QCOMPARE(TestFiles::readBytes(dir + u"/link.ini"_s), QByteArray("[New]\r\n"));
        if (kind == u"symlink to hard link"_s)
            QVERIFY(QFileInfo(savePath).isSymLink());
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
        QTest::addColumn<QString>("reason"); // what the message says, in Chinese
        QTest::newRow("named pipe") << u"fifo"_s << u"这不是一个普通文件"_s;
        QTest::newRow("read fails with an I/O error") << u"proc mem"_s << u"输入/输出错误"_s;
        QTest::newRow("path under a regular file") << u"under file"_s << QString();
    }

    // A path that exists (or names something inside a file) but gives no INI text: the
    // open fails or finds no file, and the document keeps everything it held.
    void unreadable()
    {
#ifndef Q_OS_LINUX
        QSKIP("named pipes and /proc are Linux things here");
#else
        QFETCH(QString, kind);
        QFETCH(QString, reason);
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
            QVERIFY2(error.contains(reason), qPrintable(error));
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

    // The read and the write over a device report a device that fails with its reason,
    // instead of an empty or half-written document that looks fine.
    void deviceFails()
    {
#ifndef Q_OS_LINUX
        QSKIP("/dev/full and /proc are Linux things here");
#else
        IniDocument doc;
        fillBig(doc);
        QFile full(u"/dev/full"_s);
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full here");
        QString error;
        QVERIFY(!writeIni(doc.content(), full, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(error, full.errorString());

        QFile mem(u"/proc/self/mem"_s);
        if (!mem.open(QIODevice::ReadOnly))
            QSKIP("no /proc/self/mem here");
        DocumentContent content;
        error.clear();
        QVERIFY(!readIni(content, mem, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(content.sections.empty());
        QCOMPARE(content.rootKeys.count(), 0);
#endif
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // what the message says, in Chinese
        const QString denied = u"没有访问权限"_s; // EACCES
        QTest::newRow("missing folder") << u"missing folder"_s << u"文件或文件夹不存在"_s;
        QTest::newRow("read-only folder") << u"read-only folder"_s << denied;
        QTest::newRow("read-only file") << u"read-only file"_s << denied;
        QTest::newRow("target is a folder") << u"target is a folder"_s << u"这是一个文件夹，不是文件"_s;
    }

    // The file cannot be replaced: the writer says why and the old file stays.
    void failedWrite()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const bool permissions = kind.startsWith(u"read-only"_s);
#ifndef Q_OS_UNIX
        if (permissions)
            QSKIP("file permissions are POSIX only");
#endif
        QTemporaryDir dir;
        QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        // Others may pass through, for the write made as nobody below.
        const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        if (kind == u"missing folder") {
            path = dir.filePath(u"no/such/folder/x.ini"_s);
        } else if (kind == u"read-only folder") {
            // A new file cannot be made there (an existing writable one is written in
            // place: see the save routes).
            QVERIFY(QFile::setPermissions(dir.path(), readable));
            path = dir.filePath(u"new.ini"_s);
        } else if (kind == u"read-only file") {
            QVERIFY(QFile::setPermissions(dir.path(), readable | QFile::WriteOwner));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
        } else {
            path = dir.filePath(u"folder"_s);
            QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        }
        IniDocument doc;
        doc.addSection(u"New"_s);
#ifdef Q_OS_UNIX
        // Permissions do not stop root: it writes as nobody then.
        if (permissions && geteuid() == 0)
            QCOMPARE(inChild([&] { return becomeNobody() ? failsWith(doc, path, reason) : 4; }), 0);
        else
#endif
            QCOMPARE(failsWith(doc, path, reason), 0);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(TestFiles::readBytes(dir.filePath(u"target.ini"_s)), TestFiles::oldBytes());
        QStringList expected{u"target.ini"_s};
        if (kind == u"target is a folder")
            expected.prepend(u"folder"_s);
        QCOMPARE(TestFiles::entries(dir.path()), expected);
    }

    // The disk fills up half-way (a file size limit in a child process): the old file
    // stays byte for byte and no temporary file remains.
    void failureMidWrite()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs fork() and a file size limit");
#else
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        IniDocument doc;
        fillBig(doc);
        QCOMPARE(writeWithSizeLimit(doc, path, 64 * 1024, u"文件太大"_s), 0);
        QCOMPARE(TestFiles::readBytes(path), TestFiles::oldBytes());
        QCOMPARE(TestFiles::entries(dir.path()), QStringList{u"target.ini"_s});
#endif
    }

    void permissionsKept()
    {
#ifndef Q_OS_UNIX
        QSKIP("file permissions are POSIX only");
#else
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, perms));
        IniDocument doc;
        doc.addSection(u"New"_s);
        QVERIFY(WriteIniFile(doc, path));
        QCOMPARE(TestFiles::readBytes(path), QByteArray("[New]\r\n"));
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), perms);
#endif
    }

    // Saving through a symbolic link replaces the file it points to, not the link.
    void symbolicLinkKept()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(u"real.ini"_s);
        const QString link = dir.filePath(u"link.ini"_s);
        QVERIFY(TestFiles::writeBytes(target, TestFiles::oldBytes()));
        if (!QFile::link(target, link))
            QSKIP("no symbolic links here");
        IniDocument doc;
        doc.addSection(u"New"_s);
        QVERIFY(WriteIniFile(doc, link));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFiles::readBytes(target), QByteArray("[New]\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
