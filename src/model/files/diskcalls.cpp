#include "diskcalls.h"

#ifdef Q_OS_UNIX
#  include <QFile>

#  include <cerrno>
#  include <cstdio>
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>

#  include <utility>
#  include <vector>

namespace {

int openFile(const char *path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

// Through the page cache when copy_file_range cannot (another file system, an old kernel).
ssize_t copyThroughMemory(int in, off_t *inOffset, int out, off_t *outOffset, size_t size)
{
    std::vector<char> buffer(std::min<size_t>(size, 1 << 20));
    const ssize_t got = ::pread(in, buffer.data(), buffer.size(), *inOffset);
    if (got <= 0)
        return got;
    if (!writeAt(out, buffer.data(), got, *outOffset))
        return -1;
    *inOffset += got;
    *outOffset += got;
    return got;
}

ssize_t copyRange(int in, off_t *inOffset, int out, off_t *outOffset, size_t size)
{
#  ifdef Q_OS_LINUX
    const ssize_t n = ::copy_file_range(in, inOffset, out, outOffset, size, 0);
    if (n >= 0 || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP))
        return n;
#  endif
    return copyThroughMemory(in, inOffset, out, outOffset, size);
}

int reserve(int fd, off_t offset, off_t size)
{
#  ifdef Q_OS_LINUX
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, size);
#  else
    Q_UNUSED(fd);
    Q_UNUSED(offset);
    Q_UNUSED(size);
    errno = EOPNOTSUPP;
    return -1;
#  endif
}

int renameNoReplace(const char *from, const char *to)
{
#  ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
#  endif
    // A hard link is made only where no name is yet: the same promise.
    if (::link(from, to) == 0)
        return ::unlink(from);
    if (errno == EEXIST)
        return -1;
    // A file system with neither: look first.
    struct stat st{};
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

bool cannotSync(int code)
{
#  if ENOTSUP != EOPNOTSUPP
    if (code == ENOTSUP)
        return true;
#  endif
    return code == EINVAL || code == EOPNOTSUPP;
}

} // namespace

DiskCalls realDiskCalls()
{
    return DiskCalls{openFile, ::pwrite, copyRange, reserve,          ::ftruncate, ::fsync,
                     ::fchown, ::fchmod, ::rename,  renameNoReplace, ::unlink};
}

DiskCalls &diskCalls()
{
    static DiskCalls calls = realDiskCalls();
    return calls;
}

bool syncDescriptor(int fd, int *code)
{
    while (diskCalls().fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        if (cannotSync(errno))
            return true;
        *code = errno;
        return false;
    }
    return true;
}

bool syncFolder(const QByteArray &folder, int *code)
{
    Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        *code = errno;
        return false;
    }
    return syncDescriptor(dir.fd, code);
}

bool writeAt(int fd, const char *data, qint64 size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = diskCalls().pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

Descriptor::~Descriptor()
{
    if (fd >= 0)
        ::close(fd);
}

bool Descriptor::close()
{
    // After close() the descriptor is gone whatever it returned (EINTR included).
    return ::close(std::exchange(fd, -1)) == 0;
}
#endif
