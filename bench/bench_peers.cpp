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
// The ratio column is core time divided by the reader's time: below 1.0 the core is
// faster.

#include "inidocument.h"
#include "inireader.h"
#include "iniwriter.h"
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

// Best of `runs`, in milliseconds, or -1 when a run fails; `before` and `after` run
// untimed around each run.
double bestOf(int runs, const std::function<bool()> &run, const std::function<void()> &after = {},
              const std::function<void()> &before = {})
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer timer;
        timer.start();
        const bool ok = run();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (after)
            after();
        if (!ok)
            return -1;
        best = std::min(best, ms);
    }
    return best;
}

void header()
{
    std::printf("| %-10s | %5s | %-20s | %8s | %6s | %9s |\n", "file", "MB", "reader", "best ms",
                "MB/s", "core ÷ it");
    std::printf("|------------|------:|----------------------|---------:|-------:|----------:|\n");
}

// One line; `core` is the core's time for the same direction (read or write).
void line(const QString &file, double mb, const char *what, double ms, double core)
{
    const QByteArray name = file.toUtf8();
    if (ms < 0) {
        std::printf("| %-10s | %5.1f | %-20s | %8s | %6s | %9s |\n", name.constData(), mb, what,
                    "failed", "-", "-");
    } else {
        char ratio[32] = "-";
        if (core > 0 && ms > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", core / ms);
        std::printf("| %-10s | %5.1f | %-20s | %8.1f | %6.1f | %9s |\n", name.constData(), mb, what,
                    ms, mb / (ms / 1000.0), ratio);
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
    const char *what;
    std::function<bool()> run;
    std::function<void()> after;
    double best = 1e300;
};

// Runs each in turn, `rounds` times; a failed run marks its best as -1 for good.
void inTurns(std::vector<Timed> &all, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        for (Timed &t : all) {
            if (t.best < 0)
                continue;
            const double ms = bestOf(1, t.run, t.after);
            t.best = ms < 0 ? -1 : std::min(t.best, ms);
        }
    }
}

// Construct, allKeys() and value() of each key, on a fresh copy of the file each run.
double qsettingsRead(const QString &path, int runs)
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

// Python's configparser through bench/configparser_read.py; -1 without python3.
double configparserRead(const QString &path, bool gb18030, int runs)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        return -1;
    QProcess process;
    process.start(python, {QStringLiteral(TARNWICK_BENCH_DIR "/configparser_read.py"), path,
                           gb18030 ? u"gb18030"_s : u"utf-8"_s, QString::number(runs)});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    bool ok = false;
    const double ms = process.readAllStandardOutput().split(' ').value(0).toDouble(&ok);
    return ok ? ms : -1;
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
    const double coreRead = reads.front().best;
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
    const double coreWrite = writes.front().best;
    for (const Timed &t : writes)
        line(file, mb, t.what, t.best, coreWrite);
    std::printf("| %-10s | %5.1f | core write ÷ read     | %8s | %6s | %9.2f |\n",
                file.toUtf8().constData(), mb, "", "", coreWrite / coreRead);
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
