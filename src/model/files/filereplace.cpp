#include "filereplace.h"

#include "failwith.h"
#include "systemreason.h"

#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <functional>

#ifdef Q_OS_UNIX
#  include <cerrno>
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Receives the bytes of a file in order, a piece at a time; false stops the writer.
using ByteSink = std::function<bool(QByteArrayView)>;

// A device that hands every piece written to it to a sink, for the passes of the
// in-place route that count the content or write a range of it.
class SinkDevice : public QIODevice
{
public:
    explicit SinkDevice(ByteSink sink) : m_sink(std::move(sink)) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        return m_sink(QByteArrayView(data, qsizetype(size))) ? size : -1;
    }

private:
    ByteSink m_sink;
};

#ifdef Q_OS_UNIX

enum class Route { Rename, InPlace };

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// pwrite() all of bytes at offset, retrying short writes; false with errno set.
bool writeAt(int fd, QByteArrayView bytes, off_t offset)
{
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
        offset += n;
    }
    return true;
}

// Writes the part of the content that falls in [from, to) at its place in the file.
// False with *code set when the file refused it (0 when the producer failed).
bool writeRange(int fd, const ContentProducer &produce, qint64 from, qint64 to, int *code,
                QString *error)
{
    qint64 at = 0;
    *code = 0;
    const ByteSink sink = [&](QByteArrayView piece) {
        const qint64 end = at + piece.size();
        const qint64 first = std::max(at, from);
        const qint64 last = std::min(end, to);
        if (first < last && !writeAt(fd, piece.sliced(first - at, last - first), off_t(first))) {
            *code = errno;
            return false;
        }
        at = end;
        return at < to; // nothing past `to` is wanted
    };
    SinkDevice device(sink);
    // The sink stops the writer on purpose once it has all of [from, to).
    QString reason;
    if (produce(device, &reason) || (*code == 0 && at >= to))
        return true;
    return failWith(error, reason);
}

bool writeInPlace(const QString &path, const ContentProducer &produce, QString *error)
{
    // Everything the content needs is checked before the file is touched.
    qint64 size = 0;
    SinkDevice count([&size](QByteArrayView piece) {
        size += piece.size();
        return true;
    });
    if (!produce(count, error))
        return false;

    Descriptor file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    struct stat st{};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return failWith(error, systemReason(errno));
    const qint64 oldSize = st.st_size;
    int code = 0;
    // The bytes beyond the old end go first: a full disk or a size limit stops the save
    // here, and cutting the file back leaves the old bytes as they were.
    if (size > oldSize && !writeRange(file.fd, produce, oldSize, size, &code, error)) {
        const int writeCode = code; // 0 when the producer failed and said why
        const bool restored = ::ftruncate(file.fd, off_t(oldSize)) == 0;
        if (writeCode != 0)
            return failWith(error, systemReason(writeCode));
        return restored ? false : failWith(error, systemReason(errno));
    }
    // From here on the old bytes are overwritten.
    if (!writeRange(file.fd, produce, 0, std::min(size, oldSize), &code, error)
        || ::ftruncate(file.fd, off_t(size)) != 0 || ::fsync(file.fd) != 0) {
        const QString reason = systemReason(code ? code : errno);
        return failWith(error, u"%1（文件已在原处部分改写，内容可能不完整）"_s.arg(reason));
    }
    const int closing = ::close(std::exchange(file.fd, -1));
    return closing == 0 || failWith(error, systemReason(errno));
}

// The folder of the file a path ends at, symbolic links followed.
QByteArray folderOf(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return QFile::encodeName(QFileInfo(target.isEmpty() ? path : target).absolutePath());
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

bool replaceFileContent(const QString &path, const ContentProducer &produce, QString *error)
{
    const QString special = notARegularFileReason(path);
    if (!special.isEmpty())
        return failWith(error, special);

#ifdef Q_OS_UNIX
    struct stat old{};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return failWith(error, u"这不是一个普通文件"_s);
    // A file the user may not write is refused with the system's reason rather than in
    // QSaveFile's words.
    if (exists && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return failWith(error, systemReason(errno));
    // A second name for the file would keep the old content after a rename, and a file
    // that cannot be created beside it cannot replace it: both are written in place.
    // (QSaveFile's direct-write fallback would cover the second case too, but it cuts
    // the target to nothing before the first byte is checked or the space is there.)
    Route route = Route::Rename;
    if (exists && (old.st_nlink > 1 || ::access(folderOf(path).constData(), W_OK | X_OK) != 0))
        route = Route::InPlace;
#endif

    QSaveFile file(path);
#ifdef Q_OS_UNIX
    if (route == Route::Rename) {
        if (!file.open(QIODevice::WriteOnly))
            return failWith(error, deviceReason(file, lastSystemError()));
        // The new file must keep the old one's owner and group, or the old file stays.
        struct stat made{};
        if (exists && ::fstat(file.handle(), &made) == 0
            && (made.st_uid != old.st_uid || made.st_gid != old.st_gid)
            && (::fchown(file.handle(), old.st_uid, old.st_gid) != 0
                || ::fchmod(file.handle(), old.st_mode & 07777) != 0)) {
            file.cancelWriting();
            route = Route::InPlace;
        }
    }
    if (route == Route::InPlace) {
        file.cancelWriting();
        return writeInPlace(path, produce, error);
    }
#else
    if (!file.open(QIODevice::WriteOnly))
        return failWith(error, deviceReason(file, lastSystemError()));
#endif

    QString reason;
    if (!produce(file, &reason)) {
        // A refused write gives the file's error text, which may have lost the reason
        // that errno still holds.
        const int code = lastSystemError();
        if (reason.isEmpty() || reason == file.errorString())
            reason = deviceReason(file, code);
        file.cancelWriting();
        return failWith(error, reason);
    }
    if (!file.commit())
        return failWith(error, deviceReason(file, lastSystemError()));
    return true;
}
