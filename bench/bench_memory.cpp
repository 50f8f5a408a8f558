// The memory of a document read from each benchmark file (W1..W4), as a multiple of the
// file size. Each file is read in a child process of its own, so that one file's peak
// does not hide another's. Usage: bench_memory [folder for the files]
//   heap      bytes malloc holds for the document after the read (mallinfo2: in use
//             plus mapped blocks)
//   peak      the process's peak resident set during the read (VmHWM) minus its
//             resident set before the read
//   resident  the resident set after the read minus before

#include "inidocument.h"
#include "inireader.h"
#include "workloads.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>

using namespace Qt::StringLiterals;

namespace {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 where there is none.
qint64 statusBytes(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// Resets VmHWM to the current resident set (Linux 4.0 and later).
void resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The child: reads one file and prints "heap peak resident" in bytes.
int measure(const QString &path)
{
    malloc_trim(0);
    const struct mallinfo2 before = mallinfo2();
    const size_t heapBefore = before.uordblks + before.hblkhd;
    resetPeak();
    const qint64 rssBefore = statusBytes("VmRSS");
    IniDocument doc;
    if (ReadIniFile(doc, path) != ReadResult::Ok)
        return 1;
    const qint64 peak = statusBytes("VmHWM") - rssBefore;
    const qint64 resident = statusBytes("VmRSS") - rssBefore;
    const struct mallinfo2 after = mallinfo2();
    const qint64 heap = qint64(after.uordblks + after.hblkhd) - qint64(heapBefore);
    std::printf("%lld %lld %lld %lld\n", heap, peak, resident, doc.keyTotal());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"--measure"_s)
        return measure(args[2]);

    QTemporaryDir temporary;
    const QString folder = args.size() > 1 ? args[1] : temporary.path();
    std::printf("| %-10s | %6s | %8s | %5s | %8s | %5s | %8s | %5s |\n", "file", "MB", "heap MB",
                "×file", "peak MB", "×file", "RSS MB", "×file");
    std::printf("|------------|-------:|---------:|------:|---------:|------:|---------:|------:|\n");
    for (const Workload workload : Workloads::all()) {
        const QString path = Workloads::ensureFile(workload, folder);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--measure"_s, path});
        if (path.isEmpty() || !child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("| %-10s | failed |\n", qPrintable(Workloads::name(workload)));
            continue;
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        const double file = double(QFileInfo(path).size());
        auto mb = [](double bytes) { return bytes / 1e6; };
        const double heap = fields.value(0).toDouble();
        const double peak = fields.value(1).toDouble();
        const double resident = fields.value(2).toDouble();
        std::printf("| %-10s | %6.1f | %8.1f | %5.2f | %8.1f | %5.2f | %8.1f | %5.2f |\n",
                    qPrintable(Workloads::name(workload)), mb(file), mb(heap), heap / file, mb(peak),
                    peak / file, mb(resident), resident / file);
        std::fflush(stdout);
    }
    return 0;
}
