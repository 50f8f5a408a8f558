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

} // namespace

bool writeInPlace(const QString &target, const ContentProducer &produce, QString *error,
                  FileStamp *stamp)
{
    const QString nativePath = QDir::toNativeSeparators(target);
    const QByteArray native = QFile::encodeName(target);
    // A file that can be written but not read cannot be backed up: only an empty one is
    // written without a backup.
    Descriptor file(::open(native.constData(), O_RDWR | O_CLOEXEC));
    const bool readable = file.fd >= 0;
    if (!readable && errno == EACCES)
        file.fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    struct stat st{};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return failWith(error, systemReason(errno));
    FileBackup backup;
    const bool backedUp = readable;
    if (!readable && st.st_size > 0)
        return failWith(error, u"无法为原来的内容做备份：%1"_s.arg(systemReason(EACCES)));
    if (backedUp && !makeBackup(file.fd, target, &backup, error))
        return false;

    // From here on a failure puts the old content back before it is reported.
    const auto putBack = [&](const QString &reason) {
        int code = 0;
        const bool restored = backedUp ? restoreBackup(file.fd, backup, &code)
                                       : diskCalls().ftruncate(file.fd, 0) == 0 && syncDescriptor(file.fd, &code);
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

    WrittenBytes written;
    SinkDevice device(writeFromStart(file.fd, &written));
    QString reason;
    try {
        if (!produce(device, &reason)) {
            if (written.touched)
                return putBack(written.code ? systemReason(written.code) : reason);
            // Refused before its first byte (a line break in a name): nothing to put back.
            if (backedUp)
                removeBackup(backup);
            return failWith(error, reason);
        }
    } catch (...) {
        putBack(QString());
        throw;
    }
    if (diskCalls().ftruncate(file.fd, off_t(written.size)) != 0)
        return putBack(systemReason(errno));
    int code = 0;
    if (!syncDescriptor(file.fd, &code))
        return putBack(systemReason(code));

    if (backedUp)
        removeBackup(backup);
    if (stamp) {
        *stamp = stampOfDescriptor(file.fd, nativePath);
        stamp->hashed = true;
        stamp->hash = written.hash.value();
    }
    return true;
}
#endif
