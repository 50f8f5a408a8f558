#include "filereplace.h"

#include "failwith.h"
#include "filestamp.h"
#include "inplacewrite.h"
#include "sinkdevice.h"
#include "systemreason.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#  include "diskcalls.h"
#  include "tempfiles.h"

#  include <cerrno>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX

// The one-step replacement (see replaceFileContent). *inPlace is set, and false
// returned with nothing left behind, when the new file cannot take the old one's owner
// and group: then only writing in place keeps them.
bool writeByRename(const QString &target, const struct stat *old, const ContentProducer &produce,
                   QString *error, FileStamp *stamp, bool *inPlace)
{
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray finalName = QFile::encodeName(target);
    Descriptor file;
    QByteArray temp;
    // An old file's copy is kept to its owner until it has the old file's permissions.
    if (!createTemp(folder, QFile::encodeName(info.fileName()), old ? 0600 : 0666, &file, &temp))
        return failWith(error, systemReason(errno));
    auto discard = qScopeGuard([&] { diskCalls().unlink(temp.constData()); });

    if (old) {
        struct stat made{};
        if (::fstat(file.fd, &made) != 0)
            return failWith(error, systemReason(errno));
        if ((made.st_uid != old->st_uid || made.st_gid != old->st_gid)
            && diskCalls().fchown(file.fd, old->st_uid, old->st_gid) != 0) {
            *inPlace = true;
            return false;
        }
        // After fchown, which clears the set-ID bits.
        if (diskCalls().fchmod(file.fd, old->st_mode & 07777) != 0)
            return failWith(error, systemReason(errno));
    }

    WrittenBytes written;
    SinkDevice device(writeFromStart(file.fd, &written));
    QString reason;
    if (!produce(device, &reason))
        return failWith(error, written.code ? systemReason(written.code) : reason);
    int code = 0;
    // QSaveFile ignores a failing sync; a file that may not be on disk must not replace
    // the old one.
    if (!syncDescriptor(file.fd, &code))
        return failWith(error, systemReason(code));
    if (diskCalls().rename(temp.constData(), finalName.constData()) != 0)
        return failWith(error, systemReason(errno));
    discard.dismiss();
    if (!syncFolder(folder, &code))
        return failWith(error, u"%1（新内容已写入文件，但文件夹没能同步到磁盘，断电后可能回到原来的内容）"_s.arg(
                                   systemReason(code)));
    if (stamp) {
        // Taken after the rename, which moves the file's status-change time.
        *stamp = stampOfDescriptor(file.fd, QString());
        stamp->hashed = true;
        stamp->hash = written.hash.value();
    }
    return true;
}

// The file a path ends at, symbolic links followed, even when no file is there yet (a
// link to a name not there leads where the save creates the file).
QString resolvedTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

bool replaceOnUnix(const QString &path, const ContentProducer &produce, QString *error, FileStamp *stamp)
{
    const QString target = resolvedTarget(path);
    struct stat old{};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return failWith(error, u"这不是一个普通文件"_s);
    // A file its owner made read-only is not replaced behind its back (as QSaveFile
    // refuses it too).
    if (exists && ::access(QFile::encodeName(target).constData(), W_OK) != 0)
        return failWith(error, systemReason(errno));
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const bool folderWritable = ::access(folder.constData(), W_OK | X_OK) == 0;
    if (folderWritable)
        removeLeftoverTemps(folder, QFile::encodeName(QFileInfo(target).fileName()));
    // A second name for the file would keep the old content after a rename, and a file
    // that cannot be created beside it cannot replace it: both are written in place.
    bool inPlace = exists && (old.st_nlink > 1 || !folderWritable);
    if (!inPlace && writeByRename(target, exists ? &old : nullptr, produce, error, stamp, &inPlace))
        return true;
    return inPlace && writeInPlace(target, produce, error, stamp);
}

#else

bool replaceWithSaveFile(const QString &path, const ContentProducer &produce, QString *error, FileStamp *stamp)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(error, deviceReason(file, lastSystemError()));
    ContentHash hash;
    bool refused = false;
    int refusedCode = 0;
    SinkDevice device([&](QByteArrayView piece) {
        refused = file.write(piece.data(), piece.size()) != piece.size();
        if (refused)
            refusedCode = lastSystemError();
        if (!refused)
            hash.add(piece);
        return !refused;
    });
    QString reason;
    if (!produce(device, &reason)) {
        // QSaveFile keeps no reason of a refused write ("Unknown error"): the system's
        // error, read at once, tells.
        if (refused || reason.isEmpty())
            reason = deviceReason(file, refused ? refusedCode : lastSystemError());
        file.cancelWriting();
        return failWith(error, reason);
    }
    if (!file.commit())
        return failWith(error, deviceReason(file, lastSystemError()));
    if (stamp) {
        QFile written(path);
        if (written.open(QIODevice::ReadOnly)) {
            *stamp = stampOfOpenFile(written, QString());
            stamp->hashed = true;
            stamp->hash = hash.value();
        }
    }
    return true;
}

#endif

} // namespace

QString notARegularFileReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        // A link that leads round in a circle names no file, and a save must not put a
        // regular file in its place; a link to a name not there yet leads where a save
        // creates the file.
#ifdef Q_OS_UNIX
        struct stat st{};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 && errno == ELOOP)
            return u"这不是一个普通文件（符号链接绕成了一个圈）"_s;
#endif
        return {};
    }
    if (info.isDir())
        return u"这是一个文件夹，不是文件"_s;
    if (!info.isFile())
        return u"这不是一个普通文件"_s;
    return {};
}

bool replaceFileContent(const QString &path, const ContentProducer &produce, QString *error,
                        FileStamp *stamp)
{
    const QString special = notARegularFileReason(path);
    if (!special.isEmpty())
        return failWith(error, special);
    FileStamp made;
#ifdef Q_OS_UNIX
    const bool ok = replaceOnUnix(path, produce, error, &made);
#else
    const bool ok = replaceWithSaveFile(path, produce, error, &made);
#endif
    // The stamp names the path the caller knows the file by, a link included.
    if (stamp && made.known()) {
        *stamp = made;
        stamp->path = QDir::toNativeSeparators(path);
    }
    return ok;
}
