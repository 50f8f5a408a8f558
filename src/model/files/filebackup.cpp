#include "filebackup.h"

#include "diskcalls.h"
#include "failwith.h"
#include "inifile.h"
#include "tempfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#  include <cerrno>
#  include <fcntl.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxBackups = 100;

// The file a path ends at, links followed, even when there is no file there yet.
QFileInfo targetOf(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return QFileInfo(canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical);
}

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

// What the backup's names are made of: the file's name beside it, and in the data
// folder the name with a hash of the whole path, so that files of one name in several
// folders get backups of their own.
QString besideStem(const QFileInfo &target)
{
    return target.fileName();
}

QString dataStem(const QFileInfo &target)
{
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(target.absoluteFilePath()),
                                                     QCryptographicHash::Sha1);
    return target.fileName() + u'.' + QString::fromLatin1(hash.toHex().left(16));
}

// The first name a backup takes.
QString backupName(const QString &stem)
{
    return u'.' + stem + u".tarnwick-backup"_s;
}

// The n-th name (from 1) a backup takes when the ones before are taken.
QString numbered(const QString &first, int n)
{
    return n == 1 ? first : first + u'-' + QString::number(n);
}

// Backups named after first in folder, by number.
QStringList backupsIn(const QString &folder, const QString &first)
{
    QStringList found;
    for (int n = 1; n <= kMaxBackups; ++n) {
        const QString candidate = QDir(folder).filePath(numbered(first, n));
        if (QFileInfo(candidate).isFile())
            found << QDir::toNativeSeparators(candidate);
    }
    return found;
}

} // namespace

QStringList leftoverBackups(const QString &path)
{
    const QFileInfo target = targetOf(path);
    QStringList found = backupsIn(target.absolutePath(), backupName(besideStem(target)));
    if (const QString data = dataFolder(); !data.isEmpty())
        found << backupsIn(data, backupName(dataStem(target)));
    return found;
}

#ifdef Q_OS_UNIX

bool makeBackup(int fd, const QString &target, FileBackup *backup, QString *error)
{
    const QFileInfo file = targetOf(target);
    QString folder = file.absolutePath();
    QString stem = besideStem(file);
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        folder = dataFolder();
        stem = dataStem(file);
        if (folder.isEmpty() || !QDir().mkpath(folder))
            return failWith(error, u"无法为原来的内容做备份：找不到可以写入的文件夹"_s);
    }
    backup->folder = QFile::encodeName(folder);
    // The copy is made under a temporary name and takes the backup's name only once it is
    // whole and synced: a backup that an open names always holds the old content.
    const QString first = backupName(stem);
    const QByteArray tempFor = QFile::encodeName(stem);
    removeLeftoverTemps(backup->folder, tempFor);
    Descriptor copy;
    QByteArray temp;
    bool named = false;
    const auto fail = [&](int code) {
        if (copy.fd >= 0)
            copy.close();
        if (!temp.isEmpty())
            diskCalls().unlink((named ? backup->path : temp).constData());
        return failWith(error, u"无法为原来的内容做备份（%1）：%2"_s.arg(QFile::decodeName(backup->folder),
                                                                          systemReason(code)));
    };
    if (!createTemp(backup->folder, tempFor, 0600, &copy, &temp)) {
        temp.clear();
        return fail(errno);
    }

    off_t in = 0;
    off_t out = 0;
    for (;;) {
        const ssize_t n = diskCalls().copyRange(fd, &in, copy.fd, &out, size_t(1) << 30);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            return fail(errno);
    }
    backup->size = qint64(out);
    int code = 0;
    if (!syncDescriptor(copy.fd, &code))
        return fail(code);
    if (!copy.close())
        return fail(errno);
    // A backup left behind before is never replaced.
    for (int n = 1; n <= kMaxBackups && !named; ++n) {
        backup->path = QFile::encodeName(QDir(folder).filePath(numbered(first, n)));
        named = diskCalls().renameNoReplace(temp.constData(), backup->path.constData()) == 0;
        if (!named && errno != EEXIST)
            return fail(errno);
    }
    if (!named)
        return fail(EEXIST);
    if (!syncFolder(backup->folder, &code))
        return fail(code);
    return true;
}

bool restoreBackup(int fd, const FileBackup &backup, int *code)
{
    Descriptor copy(::open(backup.path.constData(), O_RDONLY | O_CLOEXEC));
    if (copy.fd < 0) {
        *code = errno;
        return false;
    }
    off_t in = 0;
    off_t out = 0;
    while (in < backup.size) {
        const ssize_t n = diskCalls().copyRange(copy.fd, &in, fd, &out, size_t(backup.size - in));
        if (n == 0 || (n < 0 && errno != EINTR)) {
            *code = n == 0 ? EIO : errno;
            return false;
        }
    }
    if (diskCalls().ftruncate(fd, off_t(backup.size)) != 0) {
        *code = errno;
        return false;
    }
    return syncDescriptor(fd, code);
}

void removeBackup(const FileBackup &backup)
{
    int code = 0;
    if (diskCalls().unlink(backup.path.constData()) == 0)
        syncFolder(backup.folder, &code);
}

#endif
