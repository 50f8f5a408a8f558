// Reads and writes the benchmark files W1..W4 with Tarnwick's core and with other INI
// readers, one run, and prints one table.
// Usage: bench_peers [folder for the files] [--core] [W1|W2|W3|W4 ...]
// --core times only the core and the floors; names pick workloads (default: all).
//
// Each figure is the best of 5 rounds (9 for W4), the readers taking turns in each round;
// QSettings and configparser, which take seconds, the best of 2 (5 for W4). The file is
// in the page cache:
//   floor       read the file's bytes and count lines with memchr
//   core read   ReadIniFile: bytes to a complete document (decode, parse, rows)
//   core write  WriteIniFile: document to an atomically replaced file (QSaveFile)
//   write floor the same bytes written through QSaveFile, no encoding
//   inih        ini_parse_file, the plain C callback parser, callback stores nothing
//   SimpleIni   LoadFile into a CSimpleIniA document (multi-key), SaveFile for writes
//   QSettings   IniFormat: construct, allKeys() and value() of every key (each run on
//               a fresh copy of the file, so Qt's settings cache cannot answer)
//   configparser Python's, strict=False, interpolation=None; its own timer (no start-up)
// Times are wall clock and CPU time (user and system) of the process; MB/s and the ratio
// come from CPU time, which a busy shared machine disturbs far less. The ratio column is
// the core's time divided by the reader's: below 1.0 the core is faster. (QSaveFile's
// wait for the disk shows in wall time only.)

#include "inidocument.h"
#include "inifile.h"
#include "workloads.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

#ifdef TARNWICK_BENCH_INIH
#  include <ini.h>
#endif
#ifdef TARNWICK_BENCH_SIMPLEINI
#  include <SimpleIni.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// A time in milliseconds: wall clock and CPU time of this process (user and system),
// which leaves out the time the process waits for a processor on a busy machine.
struct Ms
{
    double wall = 1e300;
    double cpu = 1e300;
    bool failed() const { return wall < 0; }
    static Ms failure() { return {-1, -1}; }
    void keepBest(const Ms &other)
    {
        wall = std::min(wall, other.wall);
        cpu = std::min(cpu, other.cpu);
    }
};

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Best of `runs` (each clock on its own), or a failure when a run fails; `before` and
// `after` run untimed around each run.
Ms bestOf(int runs, const std::function<bool()> &run, const std::function<void()> &after = {},
          const std::function<void()> &before = {})
{
    Ms best;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        const bool ok = run();
        const Ms ms{double(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuStart};
        if (after)
            after();
        if (!ok)
            return Ms::failure();
        best.keepBest(ms);
    }
    return best;
}

void header()
{
    std::printf("| %-10s | %5s | %-20s | %8s | %8s | %6s | %9s |\n", "file", "MB", "reader",
                "wall ms", "CPU ms", "MB/s", "core ÷ it");
    std::printf("|------------|------:|----------------------|---------:|---------:|-------:|----------:|\n");
}

// One line; `core` is the core's time for the same direction (read or write). MB/s and
// the ratio are from the CPU times.
void line(const QString &file, double mb, const char *what, const Ms &ms, const Ms &core)
{
    const QByteArray name = file.toUtf8();
    if (ms.failed()) {
        std::printf("| %-10s | %5.1f | %-20s | %8s | %8s | %6s | %9s |\n", name.constData(), mb, what,
                    "failed", "-", "-", "-");
    } else {
        char ratio[32] = "-";
        if (!core.failed() && ms.cpu > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", core.cpu / ms.cpu);
        std::printf("| %-10s | %5.1f | %-20s | %8.1f | %8.1f | %6.1f | %9s |\n", name.constData(), mb,
                    what, ms.wall, ms.cpu, mb / (ms.cpu / 1000.0), ratio);
    }
    std::fflush(stdout);
}

bool countLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    long lines = 0;
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    while (const void *hit = std::memchr(p, '\n', size_t(end - p))) {
        ++lines;
        p = static_cast<const char *>(hit) + 1;
    }
    return lines > 0;
}

#ifdef TARNWICK_BENCH_INIH
int ignoreKey(void *, const char *, const char *, const char *)
{
    return 1;
}
#endif

struct Timed
{
    Timed(const char *what, std::function<bool()> run, std::function<void()> after)
        : what(what), run(std::move(run)), after(std::move(after)) {}
    const char *what;
    std::function<bool()> run;
    std::function<void()> after;
    Ms best;
};

// Runs each in turn, `rounds` times; a failed run marks it failed for good.
void inTurns(std::vector<Timed> &all, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        for (Timed &t : all) {
            if (t.best.failed())
                continue;
            const Ms ms = bestOf(1, t.run, t.after);
            if (ms.failed())
                t.best = Ms::failure();
            else
                t.best.keepBest(ms);
        }
    }
}

// Construct, allKeys() and value() of each key, on a fresh copy of the file each run.
Ms qsettingsRead(const QString &path, int runs)
{
    const QString copy = path + u".qsettings.ini"_s;
    return bestOf(
        runs,
        [&] {
            QSettings settings(copy, QSettings::IniFormat);
            const QStringList keys = settings.allKeys();
            qsizetype size = 0;
            for (const QString &key : keys)
                size += settings.value(key).toString().size();
            // A GB18030 file is no UTF-8 to QSettings: it reads with a format error but still reads.
            return size > 0;
        },
        [&] { QFile::remove(copy); },
        [&] {
            QFile::remove(copy);
            QFile::copy(path, copy);
        });
}

// Python's configparser through bench/configparser_read.py, which times itself (no
// interpreter start-up); a failure without python3.
Ms configparserRead(const QString &path, bool gb18030, int runs)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        return Ms::failure();
    QProcess process;
    process.start(python, {QStringLiteral(TARNWICK_BENCH_DIR "/configparser_read.py"), path,
                           gb18030 ? u"gb18030"_s : u"utf-8"_s, QString::number(runs)});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return Ms::failure();
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    bool wallOk = false;
    bool cpuOk = false;
    const Ms ms{fields.value(0).toDouble(&wallOk), fields.value(1).toDouble(&cpuOk)};
    return wallOk && cpuOk ? ms : Ms::failure();
}

void benchWorkload(Workload workload, const QString &folder, bool coreOnly)
{
    const QString path = Workloads::ensureFile(workload, folder);
    if (path.isEmpty()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Workloads::fileName(workload)));
        return;
    }
    const QString file = Workloads::name(workload);
    const double mb = double(QFileInfo(path).size()) / 1e6;
    const int rounds = workload == Workload::W4 ? 9 : 5;
    const int slowRuns = workload == Workload::W4 ? 5 : 2;
    const bool gb18030 = workload == Workload::W2Gb18030;
    const QByteArray local = QFile::encodeName(path);
    const QString out = path + u".out"_s;
    const QByteArray outLocal = QFile::encodeName(out);

    // The fast readers take turns, round after round, so that a burst of load from other
    // programs on the machine hits all of them alike; each keeps its best round.
    std::vector<Timed> reads;
    std::unique_ptr<IniDocument> doc;
    reads.push_back({"core read", [&] {
                         doc = std::make_unique<IniDocument>();
                         return ReadIniFile(*doc, path) == ReadResult::Ok
                             && doc->keyTotal() == Workloads::keyCount(workload);
                     }, [&] { doc.reset(); }});
    reads.push_back({"memchr line count", [&] { return countLines(path); }, {}});
#ifdef TARNWICK_BENCH_INIH
    if (!coreOnly)
        reads.push_back({"inih ini_parse_file", [&] {
                             FILE *f = std::fopen(local.constData(), "rb");
                             if (!f)
                                 return false;
                             const int result = ini_parse_file(f, ignoreKey, nullptr);
                             std::fclose(f);
                             return result == 0;
                         }, {}});
#endif
#ifdef TARNWICK_BENCH_SIMPLEINI
    std::unique_ptr<CSimpleIniA> simple;
    if (!coreOnly)
        reads.push_back({"SimpleIni LoadFile", [&] {
                             simple = std::make_unique<CSimpleIniA>(!gb18030, true, true);
                             return simple->LoadFile(local.constData()) >= 0;
                         }, [&] { simple.reset(); }});
#endif
    inTurns(reads, rounds);
    const Ms coreRead = reads.front().best;
    for (const Timed &t : reads)
        line(file, mb, t.what, t.best, coreRead);
    if (!coreOnly) {
        line(file, mb, "QSettings all values", qsettingsRead(path, slowRuns), coreRead);
        line(file, mb, "Python configparser", configparserRead(path, gb18030, slowRuns), coreRead);
    }

    IniDocument loaded;
    ReadIniFile(loaded, path);
    QFile source(path);
    const QByteArray bytes = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    std::vector<Timed> writes;
    writes.push_back({"core write", [&] { return WriteIniFile(loaded, out); }, {}});
    writes.push_back({"QSaveFile of bytes", [&] {
                          QSaveFile target(out);
                          return target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size()
                              && target.commit();
                      }, {}});
#ifdef TARNWICK_BENCH_SIMPLEINI
    CSimpleIniA saving(!gb18030, true, true);
    if (!coreOnly && saving.LoadFile(local.constData()) >= 0)
        writes.push_back({"SimpleIni SaveFile", [&] {
                              return saving.SaveFile(outLocal.constData(), false) >= 0;
                          }, {}});
#endif
    inTurns(writes, rounds);
    const Ms coreWrite = writes.front().best;
    for (const Timed &t : writes)
        line(file, mb, t.what, t.best, coreWrite);
    std::printf("| %-10s | %5.1f | core write ÷ read    | %8.2f | %8.2f | %6s | %9s |\n",
                file.toUtf8().constData(), mb, coreWrite.wall / coreRead.wall,
                coreWrite.cpu / coreRead.cpu, "", "");
    QFile::remove(out);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    QStringList args = app.arguments().mid(1);
    const bool coreOnly = args.removeAll(u"--core"_s) > 0;
    const QString folder = !args.isEmpty() && !args.first().startsWith(u'W') ? args.takeFirst()
                                                                             : temporary.path();
    header();
    for (const Workload workload : Workloads::all()) {
        const QString name = Workloads::name(workload);
        if (args.isEmpty() || std::any_of(args.begin(), args.end(), [&](const QString &pick) {
                return name.startsWith(pick);
            }))
            benchWorkload(workload, folder, coreOnly);
    }
    return 0;
}
