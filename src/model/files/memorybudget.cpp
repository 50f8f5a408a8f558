#include "memorybudget.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#  include <sys/resource.h>
#endif
#ifdef Q_OS_WIN
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// A "Name:   123 kB" field of a /proc file in bytes; -1 when absent.
qint64 procField(const char *file, const char *field)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    // A /proc file reports a size of 0: read it whole rather than up to its "end".
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            const QByteArray value = line.mid(prefix.size()).trimmed();
            bool ok = false;
            const qint64 kb = value.left(value.indexOf(' ')).toLongLong(&ok);
            return ok ? kb * 1024 : -1;
        }
    }
    return -1;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + u" MB"_s;
}

QString sizeText(qint64 fileSize)
{
    return u"%1 字节（%2）"_s.arg(fileSize).arg(megabytes(fileSize));
}

} // namespace

qint64 availableMemory()
{
    qint64 available = procField("/proc/meminfo", "MemAvailable");
#ifdef Q_OS_WIN
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status))
        available = qint64(std::min(status.ullAvailPhys + status.ullAvailPageFile / 2, status.ullAvailVirtual));
#endif
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const qint64 used = std::max<qint64>(procField("/proc/self/status", "VmSize"), 0);
        const qint64 room = std::max<qint64>(qint64(limit.rlim_cur) - used, 0);
        available = available < 0 ? room : std::min(available, room);
    }
#endif
    return available;
}

QString memoryShortForRead(qint64 fileSize)
{
    const qint64 available = availableMemory();
    const auto needed = qint64(std::ceil(double(fileSize) * kReadPeakFactor));
    if (available < 0 || needed <= available)
        return {};
    return u"内存不足：文件有 %1，读取它约需 %2 内存，可用的只有 %3"_s.arg(
        sizeText(fileSize), megabytes(needed), megabytes(available));
}

QString outOfMemoryWhileReading(qint64 fileSize)
{
    return u"内存不足：读取这个 %1 的文件时无法分配所需的内存（可用约 %2）"_s.arg(
        sizeText(fileSize), megabytes(std::max<qint64>(availableMemory(), 0)));
}

QString outOfMemoryWhileSaving()
{
    return u"内存不足：保存时无法分配所需的内存（可用约 %1），文件没有改动"_s.arg(
        megabytes(std::max<qint64>(availableMemory(), 0)));
}
