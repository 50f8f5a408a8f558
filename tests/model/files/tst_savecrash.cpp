#include "diskscript.h"
#include "inidocument.h"
#include "inifile.h"
#include "iniwriter.h"
#include "systemreason.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#  include <QProcess>

#  include <cerrno>
#  include <csignal>
#  include <fcntl.h>
#  include <grp.h>
#  include <sched.h>
#  include <sys/mount.h>
#  include <sys/stat.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t nobody = 65534;

// Sections of ten keys with LF line ends, tagged so that old and new text differ: a
// save writes CR LF, so the file grows unless the new document is much smaller.
QByteArray sectionsText(int sections, char tag)
{
    QByteArray text;
    for (int i = 0; i < sections; ++i) {
        text += '[' + QByteArray(1, tag) + QByteArray::number(i) + "]\n";
        for (int k = 0; k < 10; ++k)
            text += "key" + QByteArray::number(k) + "=value " + QByteArray(1, tag) + QByteArray::number(i) + "\n";
    }
    return text;
}

enum class Route { Rename, InPlaceLinked, InPlaceReadOnlyFolder };

} // namespace

Q_DECLARE_METATYPE(Route)

// A save stopped at any instant, or meeting a sync that fails, never costs the user the
// file: it holds the old content or the new, or the old content is in a synced backup
// that the next open names. The save runs in a forked child that the script kills
// before its K-th call that changes the disk, for every K, and halfway through each
// write; for a power cut the child stands still there while a copy is taken of the
// disk image it writes to.
class TestSaveCrash : public QObject
{
    Q_OBJECT

    // The rename route, and the in-place route growing and shrinking the file.
    static void routeRows()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("growing");
        QTest::newRow("rename") << Route::Rename << true;
        QTest::newRow("in place, growing") << Route::InPlaceLinked << true;
        QTest::newRow("in place, shrinking") << Route::InPlaceLinked << false;
    }

#ifdef Q_OS_LINUX
    QTemporaryDir m_temp;
    QString m_dir;  // the target's folder
    QString m_path; // the target
    QString m_data; // the program's data folder (XDG_DATA_HOME)
    QByteArray m_oldBytes;
    QByteArray m_newBytes;
    IniDocument m_doc; // reads as m_newBytes when written

    // Lays out the target with the old content for the route: a single link in a
    // writable folder, a second hard link, or a file of "nobody" in root's folder.
    bool prepare(Route route, bool growing)
    {
        emptyTarget();
        m_oldBytes = sectionsText(growing ? 2000 : 8000, 'o');
        const QString side = m_temp.filePath(u"new.ini"_s);
        if (!TestFiles::writeBytes(side, sectionsText(growing ? 8000 : 2000, 'n'))
            || ReadIniFile(m_doc, side) != ReadResult::Ok || !encodeIniDocument(m_doc.content(), &m_newBytes))
            return false;
        return reset(route);
    }

    bool reset(Route route)
    {
        emptyTarget();
        if (!TestFiles::writeBytes(m_path, m_oldBytes))
            return false;
        const QByteArray native = QFile::encodeName(m_path);
        if (route == Route::InPlaceLinked)
            return ::link(native.constData(), QFile::encodeName(m_dir + u"/link.ini"_s).constData()) == 0;
        if (route == Route::InPlaceReadOnlyFolder)
            return ::chown(native.constData(), nobody, nobody) == 0;
        return true;
    }

    void emptyTarget()
    {
        for (const QString &name : TestFiles::entries(m_dir))
            QFile::remove(m_dir + u'/' + name);
        for (const QString &backup : leftoverBackups(m_path))
            QFile::remove(backup);
    }

    // Runs the save in a child (as "nobody" for the read-only folder) with the script
    // set to killAt and half; its log goes to logPath. Returns "killed", "saved" or
    // "refused".
    QString saveInChild(Route route, int killAt, bool half, const QString &logPath, bool stop = false)
    {
        const int logFd = ::open(QFile::encodeName(logPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const pid_t pid = fork();
        if (pid == 0) {
            if (route == Route::InPlaceReadOnlyFolder
                && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
                _exit(3);
            DiskScript script(m_path);
            script.killAt = killAt;
            script.half = half;
            script.logFd = logFd;
            script.stopInstead = stop;
            QString error;
            const bool saved = WriteIniFile(m_doc, m_path, &error);
            if (stop) // the instant after the save said it was done
                ::raise(SIGSTOP);
            _exit(saved ? 0 : error.isEmpty() ? 2 : 1);
        }
        ::close(logFd);
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, stop ? WUNTRACED : 0) != pid)
            return u"lost"_s;
        if (WIFSTOPPED(status))
            return u"stopped %1"_s.arg(pid);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            return u"killed"_s;
        if (!WIFEXITED(status))
            return u"crashed"_s;
        return WEXITSTATUS(status) == 0 ? u"saved"_s : u"refused %1"_s.arg(WEXITSTATUS(status));
    }

    // What a user finds after the save stopped: "old", "new", or "backup" (neither,
    // but the old content is in a backup that an open names); otherwise what is wrong.
    QString outcome() const { return outcome(m_path); }
    QString outcome(const QString &path) const
    {
        const QByteArray bytes = TestFiles::readBytes(path);
        if (bytes == m_oldBytes)
            return u"old"_s;
        if (bytes == m_newBytes)
            return u"new"_s;
        for (const QString &backup : leftoverBackups(path)) {
            if (TestFiles::readBytes(backup) == m_oldBytes)
                return u"backup"_s;
        }
        return u"damaged (%1 bytes, no backup of the old ones)"_s.arg(bytes.size());
    }

    // The names in the target's folder and the program's data folder other than the
    // target, its link and the backups an open names.
    QStringList strays() const
    {
        const QString appData = m_data + u'/' + QCoreApplication::applicationName();
        QStringList names = TestFiles::entries(m_dir) + TestFiles::entries(appData);
        names.removeAll(u"target.ini"_s);
        names.removeAll(u"link.ini"_s);
        for (const QString &backup : leftoverBackups(m_path))
            names.removeAll(QFileInfo(backup).fileName());
        return names;
    }

    // The instants at which a save is stopped, given the calls of a whole save: before
    // each call (1-based) and halfway through each write; with afterReturn also the one
    // after the save returned (one past the last call).
    static QList<std::pair<int, bool>> instants(const QStringList &calls, bool afterReturn)
    {
        QList<std::pair<int, bool>> at;
        for (int k = 1; k <= calls.size(); ++k) {
            at.append({k, false});
            if (calls.at(k - 1).startsWith(u"pwrite"_s) || calls.at(k - 1).startsWith(u"copyRange"_s))
                at.append({k, true});
        }
        if (afterReturn)
            at.append({int(calls.size()) + 1, false});
        return at;
    }

    static QString instantName(const QStringList &calls, int k, bool half)
    {
        if (k > calls.size())
            return u"after the save returned"_s;
        return u"%1 call %2 (%3)"_s.arg(half ? u"halfway through"_s : u"before"_s).arg(k).arg(calls.at(k - 1));
    }

    // Mounts an ext4 image at dir with a loop device, in a mount namespace of this
    // process alone (it goes with the process, whatever happens to the test).
    static bool mountImage(const QString &image, const QString &dir)
    {
        static const bool ownMounts = unshare(CLONE_NEWNS) == 0
                                      && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return ownMounts && QDir().mkpath(dir)
               && QProcess::execute(u"mount"_s, {u"-o"_s, u"loop"_s, image, dir}) == 0;
    }

    static void unmountImage(const QString &dir) { QProcess::execute(u"umount"_s, {dir}); }
#endif

private slots:
    void initTestCase()
    {
#ifdef Q_OS_LINUX
        if (geteuid() == 0) {
            // The unprivileged child must reach the folders.
            QVERIFY(QFile::setPermissions(m_temp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                             | QFile::ReadOther | QFile::ExeOther));
        }
        m_dir = m_temp.filePath(u"d"_s);
        m_path = m_dir + u"/target.ini"_s;
        m_data = m_temp.filePath(u"data"_s);
        QVERIFY(QDir().mkdir(m_dir));
        QVERIFY(QDir().mkdir(m_data));
        if (geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(m_data).constData(), nobody, nobody), 0);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data));
#endif
    }

    void killAtEveryCall_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("growing");
        QTest::newRow("rename, growing") << Route::Rename << true;
        QTest::newRow("rename, shrinking") << Route::Rename << false;
        QTest::newRow("in place, second link, growing") << Route::InPlaceLinked << true;
        QTest::newRow("in place, second link, shrinking") << Route::InPlaceLinked << false;
        QTest::newRow("in place, read-only folder, growing") << Route::InPlaceReadOnlyFolder << true;
        QTest::newRow("in place, read-only folder, shrinking") << Route::InPlaceReadOnlyFolder << false;
    }

    void killAtEveryCall()
    {
#ifndef Q_OS_LINUX
        QSKIP("forks, kills and reads /proc/self/fd");
#else
        QFETCH(Route, route);
        QFETCH(bool, growing);
        if (route == Route::InPlaceReadOnlyFolder && geteuid() != 0)
            QSKIP("needs root to hand the file to another user");
        QVERIFY(prepare(route, growing));
        const QString logPath = m_temp.filePath(u"calls.log"_s);

        // A whole save first: which calls there are.
        QCOMPARE(saveInChild(route, 0, false, logPath), u"saved"_s);
        QCOMPARE(outcome(), u"new"_s);
        const QStringList calls = readDiskLog(logPath);
        QVERIFY(!calls.isEmpty());

        QMap<QString, int> outcomes;
        int kills = 0;
        for (const auto &[k, half] : instants(calls, false)) {
            QVERIFY(reset(route));
            const QString what = u"killed "_s + instantName(calls, k, half);
            QCOMPARE(saveInChild(route, k, half, logPath), u"killed"_s);
            ++kills;
            const QString found = outcome();
            QVERIFY2(found == u"old"_s || found == u"new"_s || found == u"backup"_s,
                     qPrintable(what + u": "_s + found));
            ++outcomes[found];
            // The next save of the same file completes and clears its own leftovers,
            // and keeps any backup for the user to look at.
            const QStringList backups = leftoverBackups(m_path);
            QCOMPARE(saveInChild(route, 0, false, logPath), u"saved"_s);
            QVERIFY2(outcome() == u"new"_s, qPrintable(what));
            QVERIFY2(strays() == QStringList(), qPrintable(what + u": "_s + strays().join(u", ")));
            QCOMPARE(leftoverBackups(m_path), backups);
        }
        qInfo("%d calls, %d kills: %d old, %d new, %d with the old content in a backup", int(calls.size()),
              kills, outcomes.value(u"old"_s), outcomes.value(u"new"_s), outcomes.value(u"backup"_s));
        // Every kind of instant was reached.
        QVERIFY(outcomes.value(u"old"_s) > 0 && outcomes.value(u"new"_s) > 0);
        QCOMPARE(outcomes.value(u"backup"_s) > 0, route != Route::Rename);
        emptyTarget();
#endif
    }

    void syncOrderAndFailures_data() { routeRows(); }

    // What a power cut would find depends on what was synced when: the backup before the
    // first old byte is overwritten, the new content before the rename or before the
    // backup goes, the folder after each name made or removed. And each sync's result
    // counts: a failing one refuses the save with the old file in place.
    void syncOrderAndFailures()
    {
#ifndef Q_OS_LINUX
        QSKIP("reads /proc/self/fd");
#else
        QFETCH(Route, route);
        QFETCH(bool, growing);
        QVERIFY(prepare(route, growing));
        QStringList calls;
        {
            DiskScript script(m_path);
            QString error;
            QVERIFY2(WriteIniFile(m_doc, m_path, &error), qPrintable(error));
            calls = script.log();
        }
        const auto at = [&calls](const QString &call, qsizetype from = 0) { return calls.indexOf(call, from); };
        const auto last = [&calls](const QString &call) { return calls.lastIndexOf(call); };
        QCOMPARE(calls.constLast(), u"fsync folder"_s);
        if (route == Route::Rename) {
            QVERIFY(at(u"fsync temp"_s) >= 0);
            QVERIFY(last(u"pwrite temp"_s) < at(u"fsync temp"_s));
            QVERIFY(at(u"fsync temp"_s) < at(u"rename temp"_s));
            QCOMPARE(last(u"fsync folder"_s), at(u"rename temp"_s) + 1);
        } else {
            // The backup is made under a temporary name, synced, named and its folder
            // synced, all before the first call on the target.
            qsizetype firstOnTarget = calls.size();
            for (qsizetype i = 0; i < calls.size(); ++i) {
                if (calls.at(i).endsWith(u" target"_s)) {
                    firstOnTarget = i;
                    break;
                }
            }
            const qsizetype named = at(u"renameNoReplace temp"_s);
            QVERIFY(at(u"fsync temp"_s) >= 0 && at(u"fsync temp"_s) < named);
            QVERIFY(named < firstOnTarget);
            QVERIFY(at(u"fsync folder"_s, named) < firstOnTarget);
            for (qsizetype i = firstOnTarget; i < at(u"pwrite target"_s); ++i)
                QCOMPARE(calls.at(i), u"reserve target"_s); // the space is taken, no byte changed
            QVERIFY(last(u"fsync target"_s) > last(u"pwrite target"_s));
            QVERIFY(last(u"fsync target"_s) > last(u"ftruncate target"_s));
            QVERIFY(last(u"fsync target"_s) < at(u"unlink backup"_s));
            QCOMPARE(last(u"fsync folder"_s), at(u"unlink backup"_s) + 1);
        }

        // Each sync in turn fails with EIO.
        int syncs = 0;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            if (!calls.at(i).startsWith(u"fsync"_s))
                continue;
            ++syncs;
            QVERIFY(reset(route));
            const QString after = i > 0 ? calls.at(i - 1) : QString();
            const QString what = u"sync %1 (%2, after %3) fails"_s.arg(syncs).arg(calls.at(i), after);
            QString error;
            bool saved = false;
            {
                DiskScript script(m_path);
                script.failSync = syncs;
                saved = WriteIniFile(m_doc, m_path, &error);
            }
            if (after == u"unlink backup"_s) {
                // Only the backup's removal may not be on disk: the next open names a
                // backup of content that was saved whole, which is no lost save.
                QVERIFY2(saved, qPrintable(what));
                QCOMPARE(outcome(), u"new"_s);
            } else if (after == u"rename temp"_s) {
                // The new file is in place but may not survive a power cut: said so.
                QVERIFY2(!saved && error.contains(u"断电"_s), qPrintable(what + u": "_s + error));
                QCOMPARE(outcome(), u"new"_s);
            } else {
                QVERIFY2(!saved, qPrintable(what));
                QVERIFY2(error.contains(systemReason(EIO)), qPrintable(what + u": "_s + error));
                // A message that names a place names one.
                QVERIFY2(!error.contains(u"（）"_s), qPrintable(what + u": "_s + error));
                QVERIFY2(TestFiles::readBytes(m_path) == m_oldBytes, qPrintable(what));
                QVERIFY2(leftoverBackups(m_path).isEmpty(), qPrintable(what));
            }
            QVERIFY2(strays().isEmpty(), qPrintable(what + u": "_s + strays().join(u", ")));
        }
        QCOMPARE(syncs, route == Route::Rename ? 2 : 4);

        if (route != Route::Rename) {
            // The disk fails for good once the new bytes went out: the old content cannot
            // be put back for sure, so the backup stays and the reason names it.
            QVERIFY(reset(route));
            QString error;
            {
                DiskScript script(m_path);
                script.failSync = 3; // the target's
                script.keepFailing = true;
                QVERIFY(!WriteIniFile(m_doc, m_path, &error));
            }
            const QStringList backups = leftoverBackups(m_path);
            QCOMPARE(backups.size(), 1);
            QVERIFY2(error.contains(backups.constFirst()), qPrintable(error));
            QCOMPARE(TestFiles::readBytes(backups.constFirst()), m_oldBytes);
        }
        emptyTarget();
#endif
    }

    void powerCut_data() { routeRows(); }

    // The power goes at each instant of the save, and after it said it was done: the
    // save stops there, the disk image of a loop-mounted ext4 file system is copied as it
    // stands (what had reached the disk, not what the kernel still held) and the copy is
    // mounted as a machine starting again would.
    void powerCut()
    {
#ifndef Q_OS_LINUX
        QSKIP("loop-mounts an ext4 image");
#else
        QFETCH(Route, route);
        QFETCH(bool, growing);
        if (geteuid() != 0)
            QSKIP("mounting a file system image needs root");
        const QString image = m_temp.filePath(u"disk.img"_s);
        const QString copy = m_temp.filePath(u"cut.img"_s);
        const QString disk = m_temp.filePath(u"disk"_s);
        const QString after = m_temp.filePath(u"after"_s);
        {
            QFile file(image);
            if (!file.open(QIODevice::WriteOnly) || !file.resize(64 * 1024 * 1024))
                QSKIP("no room for a disk image");
        }
        if (QProcess::execute(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, image}) != 0 || !mountImage(image, disk))
            QSKIP("cannot make and loop-mount an ext4 image here");
        const QString dir = m_dir;
        const auto restore = qScopeGuard([&] {
            unmountImage(disk);
            m_dir = dir;
            m_path = dir + u"/target.ini"_s;
        });
        m_dir = disk + u"/d"_s;
        m_path = m_dir + u"/target.ini"_s;
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(prepare(route, growing));
        const QString logPath = m_temp.filePath(u"calls.log"_s);
        QCOMPARE(saveInChild(route, 0, false, logPath), u"saved"_s);
        const QStringList calls = readDiskLog(logPath);

        QMap<QString, int> outcomes;
        int cuts = 0;
        for (const auto &[k, half] : instants(calls, true)) {
            QVERIFY(reset(route));
            // The old file is on the disk before the save starts.
            const int fs = ::open(QFile::encodeName(disk).constData(), O_RDONLY | O_DIRECTORY);
            QVERIFY(fs >= 0 && ::syncfs(fs) == 0);
            ::close(fs);
            const QString stopped = saveInChild(route, k, half, logPath, true);
            QVERIFY2(stopped.startsWith(u"stopped"_s), qPrintable(stopped));
            const pid_t pid = pid_t(stopped.section(u' ', 1).toInt());
            QFile::remove(copy);
            const bool copied = QFile::copy(image, copy);
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            QVERIFY(copied);
            QVERIFY(mountImage(copy, after));
            const QString what = u"power cut "_s + instantName(calls, k, half);
            const QString found = outcome(after + u"/d/target.ini"_s);
            unmountImage(after);
            ++cuts;
            ++outcomes[found];
            QVERIFY2(found == u"old"_s || found == u"new"_s || found == u"backup"_s,
                     qPrintable(what + u": "_s + found));
            if (k > calls.size()) // a save that said it was done is done
                QVERIFY2(found == u"new"_s, qPrintable(what + u": "_s + found));
        }
        qInfo("%d power cuts: %d old, %d new, %d with the old content in a backup", cuts,
              outcomes.value(u"old"_s), outcomes.value(u"new"_s), outcomes.value(u"backup"_s));
        emptyTarget();
#endif
    }
};

QTEST_GUILESS_MAIN(TestSaveCrash)
#include "tst_savecrash.moc"
