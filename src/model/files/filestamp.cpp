#include "filestamp.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

#include <chrono>

#ifdef Q_OS_UNIX
#  include <cerrno>
#  include <sys/stat.h>
#endif

namespace {

constexpr qsizetype kHashBlock = 64 * 1024;

// A change within this much of the stamp's own times may not move them: FAT keeps
// modification times in steps of two seconds, and the kernel's coarse clock ticks in
// milliseconds.
constexpr qint64 kUntrustedNs = 3'000'000'000;

#ifdef Q_OS_UNIX
qint64 nanoseconds(const timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp stampOfStat(const struct stat &st, const QString &nativePath)
{
    FileStamp stamp;
    stamp.state = FileStamp::State::Present;
    stamp.path = nativePath;
    stamp.size = st.st_size;
#  ifdef Q_OS_DARWIN
    stamp.modifiedNs = nanoseconds(st.st_mtimespec);
    stamp.changedNs = nanoseconds(st.st_ctimespec);
#  else
    stamp.modifiedNs = nanoseconds(st.st_mtim);
    stamp.changedNs = nanoseconds(st.st_ctim);
#  endif
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    return stamp;
}
#else
FileStamp stampOfInfo(const QFileInfo &info, const QString &nativePath)
{
    FileStamp stamp;
    stamp.state = FileStamp::State::Present;
    stamp.path = nativePath;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1'000'000;
    // Without inode numbers, a file put in the place of another tells by its birth.
    stamp.inode = quint64(info.birthTime().toMSecsSinceEpoch());
    return stamp;
}
#endif

} // namespace

void ContentHash::addBlock(const char *data, qsizetype size)
{
    m_value = qHashBits(data, size_t(size), size_t(m_value));
}

void ContentHash::add(QByteArrayView bytes)
{
    m_total += bytes.size();
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    if (!m_block.isEmpty()) {
        const qsizetype take = std::min(left, kHashBlock - m_block.size());
        m_block.append(p, take);
        p += take;
        left -= take;
        if (m_block.size() < kHashBlock)
            return;
        addBlock(m_block.constData(), kHashBlock);
        m_block.clear();
    }
    // Whole blocks straight from the piece; the rest waits for more.
    for (; left >= kHashBlock; p += kHashBlock, left -= kHashBlock)
        addBlock(p, kHashBlock);
    m_block.append(p, left);
}

quint64 ContentHash::value() const
{
    const quint64 last = qHashBits(m_block.constData(), size_t(m_block.size()), size_t(m_value));
    return quint64(qHashMulti(size_t(last), m_total));
}

FileStamp stampOfOpenFile(QFile &file, const QString &nativePath)
{
#ifdef Q_OS_UNIX
    return stampOfDescriptor(file.handle(), nativePath);
#else
    return stampOfInfo(QFileInfo(file.fileName()), nativePath);
#endif
}

#ifdef Q_OS_UNIX
FileStamp stampOfDescriptor(int fd, const QString &nativePath)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        FileStamp unsure;
        unsure.state = FileStamp::State::Unsure;
        unsure.path = nativePath;
        return unsure;
    }
    return stampOfStat(st, nativePath);
}
#endif

bool sameFileState(const FileStamp &a, const FileStamp &b)
{
    return a.state == b.state && a.size == b.size && a.modifiedNs == b.modifiedNs
           && a.changedNs == b.changedNs && a.device == b.device && a.inode == b.inode;
}

bool timesMayHideChange(const FileStamp &stamp)
{
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    return std::max(stamp.modifiedNs, stamp.changedNs) > now - kUntrustedNs;
}

bool hashDevice(QIODevice &device, quint64 *hash)
{
    ContentHash content;
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(buffer.data(), buffer.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        content.add(QByteArrayView(buffer.constData(), qsizetype(got)));
    }
    *hash = content.value();
    return true;
}

void finishReadStamp(FileStamp *stamp, QFile &file)
{
    // A write that went on while the file was read shows in its size or times.
    if (!sameFileState(*stamp, stampOfOpenFile(file, stamp->path))) {
        stamp->state = FileStamp::State::Unsure;
        return;
    }
    if (!timesMayHideChange(*stamp))
        return;
    quint64 hash = 0;
    if (!file.seek(0) || !hashDevice(file, &hash) || !sameFileState(*stamp, stampOfOpenFile(file, stamp->path))) {
        stamp->state = FileStamp::State::Unsure;
        return;
    }
    stamp->hashed = true;
    stamp->hash = hash;
}

DiskChange diskChangeSince(const QString &path, const FileStamp &stamp)
{
    const QString nativePath = QDir::toNativeSeparators(path);
    if (!stamp.known() || stamp.path != nativePath)
        return DiskChange::None;
    FileStamp now;
#ifdef Q_OS_UNIX
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            return DiskChange::None; // what cannot be looked at, the save reports
        return stamp.state == FileStamp::State::Absent ? DiskChange::None : DiskChange::Gone;
    }
    // Something that is no file (a pipe would block a read) is refused by the save itself.
    if (!S_ISREG(st.st_mode))
        return DiskChange::None;
    now = stampOfStat(st, nativePath);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp.state == FileStamp::State::Absent ? DiskChange::None : DiskChange::Gone;
    if (!info.isFile())
        return DiskChange::None;
    now = stampOfInfo(info, nativePath);
#endif
    if (stamp.state != FileStamp::State::Present || !sameFileState(stamp, now))
        return DiskChange::Changed;
    if (!stamp.hashed)
        return DiskChange::None;
    QFile file(path);
    quint64 hash = 0;
    if (!file.open(QIODevice::ReadOnly) || !hashDevice(file, &hash) || hash != stamp.hash)
        return DiskChange::Changed;
    return DiskChange::None;
}
