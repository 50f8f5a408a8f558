#include "diskentries.h"

#include "testfiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_UNIX
#  include <dirent.h>
#  include <ftw.h>
#  include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#  include <sys/resource.h>
#  include <sys/socket.h>
#  include <sys/sysmacros.h>
#  include <sys/un.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace DiskEntries {

bool makeEntry(const QString &dir, const QByteArray &name)
{
    if (const qsizetype colon = name.indexOf(':'); colon > 0) {
#ifdef Q_OS_LINUX
        return makeSpecial(QString::fromLatin1(name.first(colon)),
                           QFile::decodeName(QFile::encodeName(dir) + '/' + name.mid(colon + 1)));
#else
        return false;
#endif
    }
    QByteArray path = QFile::encodeName(dir) + '/' + name;
    if (path.endsWith('/')) {
        path.chop(1);
#ifdef Q_OS_UNIX
        return ::mkdir(path.constData(), 0700) == 0;
#else
        return QDir().mkdir(QFile::decodeName(path));
#endif
    }
    std::FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(name.constData(), 1, size_t(name.size()), file) == size_t(name.size());
    return std::fclose(file) == 0 && written;
}

QByteArrayList diskState(const QByteArray &dir, const QByteArray &prefix)
{
    QByteArrayList state;
#ifdef Q_OS_UNIX
    DIR *listing = ::opendir(dir.constData());
    if (!listing)
        return {"<unreadable " + prefix + ">"};
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray full = dir + '/' + name;
        struct stat info;
        const bool known = ::lstat(full.constData(), &info) == 0;
        if (known && S_ISDIR(info.st_mode)) {
            state << prefix + name + '/';
            state << diskState(full, prefix + name + '/');
        } else if (known && !S_ISREG(info.st_mode)) {
            // A pipe would block a read: its kind tells that it is still what it was.
            state << prefix + name + " type " + QByteArray::number(info.st_mode & S_IFMT, 8);
        } else {
            state << prefix + name + '=' + TestFiles::readBytes(QFile::decodeName(full), "<missing>");
        }
    }
    ::closedir(listing);
#else
    const QDir folder(QFile::decodeName(dir));
    for (const QFileInfo &info : folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QByteArray name = QFile::encodeName(info.fileName());
        if (info.isDir())
            state << prefix + name + '/' << diskState(dir + '/' + name, prefix + name + '/');
        else
            state << prefix + name + '=' + TestFiles::readBytes(info.filePath(), "<missing>");
    }
#endif
    std::sort(state.begin(), state.end());
    return state;
}

void emptyFolder(const QString &dir)
{
#ifdef Q_OS_UNIX
    ::nftw(QFile::encodeName(dir).constData(),
           [](const char *path, const struct stat *, int, FTW *where) {
               return where->level > 0 ? std::remove(path) : 0;
           },
           16, FTW_DEPTH | FTW_PHYS);
#else
    Q_UNUSED(dir);
#endif
}

#ifdef Q_OS_LINUX
bool makeSpecial(const QString &kind, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == u"fifo"_s)
        return mkfifo(native.constData(), 0600) == 0;
    if (kind == u"device"_s)
        return mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    if (kind == u"loop"_s)
        return symlink(native.constData(), native.constData()) == 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return bound;
}

int withAddressSpaceRoom(qint64 room, const std::function<void()> &command,
                         const std::function<int()> &check)
{
    const pid_t pid = fork();
    if (pid == 0) {
        QFile status(u"/proc/self/status"_s);
        qint64 used = 0;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("VmSize:"))
                    used = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
            }
        }
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        const rlim_t unlimited = limit.rlim_cur;
        limit.rlim_cur = rlim_t(used + room);
        if (used == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(99);
        // Only the forking thread lives on here: the child must never return to the test.
        try {
            command();
            limit.rlim_cur = unlimited;
            setrlimit(RLIMIT_AS, &limit);
            _exit(check());
        } catch (...) {
            _exit(98);
        }
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
#endif

} // namespace DiskEntries
