#include "diskscript.h"

#ifdef Q_OS_UNIX
#  include "diskcalls.h"

#  include <QFile>
#  include <QFileInfo>

#  include <cerrno>
#  include <csignal>
#  include <sys/stat.h>
#  include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

DiskScript *active = nullptr;
DiskCalls real;

[[noreturn]] void die()
{
    // A power cut is looked at while the process stands still; the parent then kills it.
    if (active && active->stopInstead)
        ::raise(SIGSTOP);
    ::raise(SIGKILL);
    ::_exit(99); // never reached
}

// Logs a call on a path or descriptor; kills before it when it is the one.
bool counted(const QString &call, const QString &what)
{
    return active && active->count(call + u' ' + what);
}

int scriptOpen(const char *path, int flags, mode_t mode)
{
    if (counted(u"open"_s, active ? active->classify(path) : QString()))
        die();
    return real.open(path, flags, mode);
}

ssize_t scriptPwrite(int fd, const void *data, size_t size, off_t offset)
{
    if (counted(u"pwrite"_s, active ? active->classifyDescriptor(fd) : QString())) {
        if (active->half && size > 1) {
            real.pwrite(fd, data, size / 2, offset);
        }
        die();
    }
    return real.pwrite(fd, data, size, offset);
}

ssize_t scriptCopyRange(int in, off_t *inOffset, int out, off_t *outOffset, size_t size)
{
    if (counted(u"copyRange"_s, active ? active->classifyDescriptor(out) : QString())) {
        struct stat st{};
        if (active->half && ::fstat(in, &st) == 0 && st.st_size - *inOffset > 1)
            real.copyRange(in, inOffset, out, outOffset, size_t(st.st_size - *inOffset) / 2);
        die();
    }
    return real.copyRange(in, inOffset, out, outOffset, size);
}

int scriptReserve(int fd, off_t offset, off_t size)
{
    if (counted(u"reserve"_s, active ? active->classifyDescriptor(fd) : QString()))
        die();
    return real.reserve(fd, offset, size);
}

int scriptFtruncate(int fd, off_t size)
{
    if (counted(u"ftruncate"_s, active ? active->classifyDescriptor(fd) : QString()))
        die();
    return real.ftruncate(fd, size);
}

int scriptFsync(int fd)
{
    if (counted(u"fsync"_s, active ? active->classifyDescriptor(fd) : QString()))
        die();
    if (active && active->failThisSync()) {
        errno = EIO;
        return -1;
    }
    return real.fsync(fd);
}

int scriptFchown(int fd, uid_t owner, gid_t group)
{
    if (counted(u"fchown"_s, active ? active->classifyDescriptor(fd) : QString()))
        die();
    return real.fchown(fd, owner, group);
}

int scriptFchmod(int fd, mode_t mode)
{
    if (counted(u"fchmod"_s, active ? active->classifyDescriptor(fd) : QString()))
        die();
    return real.fchmod(fd, mode);
}

int scriptRename(const char *from, const char *to)
{
    if (counted(u"rename"_s, active ? active->classify(from) : QString()))
        die();
    return real.rename(from, to);
}

int scriptRenameNoReplace(const char *from, const char *to)
{
    if (counted(u"renameNoReplace"_s, active ? active->classify(from) : QString()))
        die();
    return real.renameNoReplace(from, to);
}

int scriptUnlink(const char *path)
{
    if (counted(u"unlink"_s, active ? active->classify(path) : QString()))
        die();
    return real.unlink(path);
}

} // namespace

DiskScript::DiskScript(const QString &target)
    : m_target(QFile::encodeName(QFileInfo(target).canonicalFilePath().isEmpty()
                                     ? QFileInfo(target).absoluteFilePath()
                                     : QFileInfo(target).canonicalFilePath()))
{
    real = realDiskCalls();
    active = this;
    diskCalls() = DiskCalls{scriptOpen,   scriptPwrite, scriptCopyRange, scriptReserve,
                            scriptFtruncate, scriptFsync, scriptFchown, scriptFchmod,
                            scriptRename, scriptRenameNoReplace, scriptUnlink};
}

DiskScript::~DiskScript()
{
    diskCalls() = realDiskCalls();
    active = nullptr;
}

DiskScript *DiskScript::current()
{
    return active;
}

QString DiskScript::classify(const QByteArray &path) const
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    if (name.contains(".tarnwick-backup"))
        return u"backup"_s;
    if (name.contains(".tarnwick-"))
        return u"temp"_s;
    if (path == m_target)
        return u"target"_s;
    struct stat st{};
    if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return u"folder"_s;
    return u"other"_s;
}

QString DiskScript::classifyDescriptor(int fd) const
{
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    return n > 0 ? classify(QByteArray(buffer, n)) : u"other"_s;
}

bool DiskScript::count(const QString &entry)
{
    m_log << entry;
    if (logFd >= 0) {
        const QByteArray line = entry.toUtf8() + '\n';
        if (::write(logFd, line.constData(), size_t(line.size())) != line.size())
            return true; // a log that cannot be written ends the run the same way
    }
    return ++m_calls == killAt;
}

bool DiskScript::failThisSync()
{
    ++m_syncs;
    return failSync > 0 && (m_syncs == failSync || (keepFailing && m_syncs > failSync));
}

QStringList readDiskLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
#endif
