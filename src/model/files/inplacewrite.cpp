#include "inplacewrite.h"

#ifdef Q_OS_UNIX
#  include "diskcalls.h"
#  include "failwith.h"
#  include "filebackup.h"
#  include "filestamp.h"
#  include "sinkdevice.h"

#  include <QDir>
#  include <QFile>

#  include <cerrno>
#  include <fcntl.h>
#  include <sys/resource.h>
#  include <sys/stat.h>
#  include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The file as it is now, with a hash of its bytes (it was just written, so its times
// tell nothing yet); Unsure when it cannot be read.
FileStamp restamp(int fd, const QString &nativePath)
{
    FileStamp stamp = stampOfDescriptor(fd, nativePath);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) || !file.seek(0)
        || !hashDevice(file, &stamp.hash))
        stamp.state = FileStamp::State::Unsure;
    stamp.hashed = true;
    return stamp;
}

bool cannotReserve(int code)
{
    return code == EOPNOTSUPP || code == ENOSYS || code == EINVAL;
}

} // namespace

bool writeInPlace(const QString &target, const ContentProducer &produce, QString *error,
                  FileStamp *stamp)
{
    qint64 size = 0;
    SinkDevice count([&size](QByteArrayView piece) {
        size += piece.size();
        return true;
    });
    if (!produce(count, error))
        return false;
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && rlim_t(size) > limit.rlim_cur)
        return failWith(error, systemReason(EFBIG));

    const QString nativePath = QDir::toNativeSeparators(target);
    const QByteArray native = QFile::encodeName(target);
    // A file that can be written but not read has no old bytes to keep, unless it is empty.
    Descriptor file(::open(native.constData(), O_RDWR | O_CLOEXEC));
    const bool readable = file.fd >= 0;
    if (!readable && errno == EACCES)
        file.fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    struct stat st{};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return failWith(error, systemReason(errno));
    FileBackup backup;
    const bool backedUp = st.st_size > 0;
    if (backedUp && !readable)
        return failWith(error, u"无法为原来的内容做备份：%1"_s.arg(systemReason(EACCES)));
    if (backedUp && !makeBackup(file.fd, target, &backup, error))
        return false;
    const qint64 oldSize = backup.size;

    // From here on a failure puts the old content back before it is reported.
    bool overwritten = false;
    const auto putBack = [&](const QString &reason) {
        int code = 0;
        bool restored = true;
        if (!overwritten)
            diskCalls().ftruncate(file.fd, off_t(oldSize)); // frees what a reservation took
        else if (backedUp)
            restored = restoreBackup(file.fd, backup, &code);
        else
            restored = diskCalls().ftruncate(file.fd, 0) == 0 && syncDescriptor(file.fd, &code);
        if (!restored) {
            const QString kept = backedUp ? u"原来的内容保存在备份文件 \"%1\" 中"_s.arg(QFile::decodeName(backup.path))
                                          : u"原来的文件是空的"_s;
            return failWith(error, u"%1\n文件已在原处部分改写，内容可能不完整；%2。"_s.arg(reason, kept));
        }
        if (backedUp)
            removeBackup(backup);
        if (stamp)
            *stamp = restamp(file.fd, nativePath);
        return failWith(error, reason);
    };

    if (size > oldSize && diskCalls().reserve(file.fd, off_t(oldSize), off_t(size - oldSize)) != 0
        && !cannotReserve(errno))
        return putBack(systemReason(errno));

    overwritten = true;
    ContentHash hash;
    qint64 at = 0;
    int code = 0;
    SinkDevice device([&](QByteArrayView piece) {
        if (!writeAt(file.fd, piece.data(), piece.size(), off_t(at))) {
            code = errno;
            return false;
        }
        hash.add(piece);
        at += piece.size();
        return true;
    });
    QString reason;
    try {
        if (!produce(device, &reason) || at != size)
            return putBack(code ? systemReason(code) : reason);
    } catch (...) {
        putBack(QString());
        throw;
    }
    if (diskCalls().ftruncate(file.fd, off_t(size)) != 0)
        return putBack(systemReason(errno));
    if (!syncDescriptor(file.fd, &code))
        return putBack(systemReason(code));

    if (backedUp)
        removeBackup(backup);
    if (stamp) {
        *stamp = stampOfDescriptor(file.fd, nativePath);
        stamp->hashed = true;
        stamp->hash = hash.value();
    }
    return true;
}
#endif
