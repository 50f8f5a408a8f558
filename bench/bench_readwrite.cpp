// Times ReadIniFile and WriteIniFile on generated files of 1,000, 100,000 and
// 1,000,000 keys (ten keys a section), best of three runs, and prints a table.
// Peers, when built in: inih (parse only) and SimpleIni (load and save).
// Then the two save routes on W1: a Save over a file with one link (a new file renamed
// over it) and over a file with a second hard link (written in place behind a synced
// backup), which should cost at most twice the first.

#include "inidocument.h"
#include "inifile.h"
#include "textcodec.h"
#include "workloads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#  include <unistd.h>
#endif

#ifdef TARNWICK_BENCH_INIH
#  include <ini.h>
#endif
#ifdef TARNWICK_BENCH_SIMPLEINI
#  include <SimpleIni.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QString generate(int keys)
{
    QString text;
    text.reserve(qsizetype(keys) * 48);
    for (int i = 0; i < keys; ++i) {
        if (i % 10 == 0)
            text += u"[Section%1 设置]\r\n"_s.arg(i / 10);
        switch (i % 4) {
        case 0: text += u"Enabled%1=True\r\n"_s.arg(i); break;
        case 1: text += u"Count%1=%2\r\n"_s.arg(i).arg(i * 7); break;
        case 2: text += u"Path%1=C:\\Program Files\\Tarn\\%1.dat\r\n"_s.arg(i); break;
        default: text += u"名称%1=数据 %1, more text\r\n"_s.arg(i); break;
        }
    }
    return text;
}

// Best of three, in milliseconds; `after` runs untimed after each run.
double bestOf3(const std::function<bool()> &run, const std::function<void()> &after = {})
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
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

void row(const char *what, const char *encoding, int keys, double mb, double ms)
{
    if (ms < 0)
        std::printf("| %-26s | %-8s | %9d | %7.2f | %10s | %8s |\n", what, encoding, keys, mb, "failed", "-");
    else
        std::printf("| %-26s | %-8s | %9d | %7.2f | %10.1f | %8.1f |\n", what, encoding, keys, mb, ms,
                    mb / (ms / 1000.0));
}

#ifdef TARNWICK_BENCH_INIH
int countKey(void *user, const char *, const char *, const char *)
{
    ++*static_cast<long *>(user);
    return 1;
}
#endif

void benchFile(const QString &dir, int keys, TextEncoding encoding, const char *encodingName)
{
    const QString path = dir + u"/bench_%1_%2.ini"_s.arg(keys).arg(int(encoding));
    QByteArray bytes;
    QString error;
    if (!TextCodec::encode(generate(keys), encoding, &bytes, &error))
        return;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return;
    }
    const double mb = double(bytes.size()) / (1024.0 * 1024.0);

    std::unique_ptr<IniDocument> doc;
    const double readMs = bestOf3(
        [&] {
            doc = std::make_unique<IniDocument>();
            return ReadIniFile(*doc, path) == ReadResult::Ok;
        },
        [&] { doc.reset(); });
    row("ReadIniFile", encodingName, keys, mb, readMs);

    IniDocument written;
    ReadIniFile(written, path);
    const QString out = path + u".out"_s;
    row("WriteIniFile", encodingName, keys, mb, bestOf3([&] { return WriteIniFile(written, out); }));

    if (encoding != TextEncoding::Utf8)
        return;
    const QByteArray local = QFile::encodeName(path);
#ifdef TARNWICK_BENCH_INIH
    row("inih ini_parse (peer)", encodingName, keys, mb, bestOf3([&] {
            long count = 0;
            return ini_parse(local.constData(), countKey, &count) == 0 && count == keys;
        }));
#endif
#ifdef TARNWICK_BENCH_SIMPLEINI
    {
        std::unique_ptr<CSimpleIniA> ini;
        row("SimpleIni LoadFile (peer)", encodingName, keys, mb, bestOf3(
                [&] {
                    ini = std::make_unique<CSimpleIniA>(true, true, true);
                    return ini->LoadFile(local.constData()) >= 0;
                },
                [&] { ini.reset(); }));
        CSimpleIniA loaded(true, true, true);
        loaded.LoadFile(local.constData());
        const QByteArray outLocal = QFile::encodeName(out);
        row("SimpleIni SaveFile (peer)", encodingName, keys, mb,
            bestOf3([&] { return loaded.SaveFile(outLocal.constData(), false) >= 0; }));
    }
#endif
    QFile::remove(out);
    QFile::remove(path);
}

// A Save of W1 in place of its own file, on both routes.
void benchSaveRoutes(const QString &dir)
{
    const QString source = Workloads::ensureFile(Workload::W1, dir);
    IniDocument doc;
    if (source.isEmpty() || ReadIniFile(doc, source) != ReadResult::Ok)
        return;
    const double mb = double(QFileInfo(source).size()) / (1024.0 * 1024.0);
    const QString renamed = dir + u"/w1-rename.ini"_s;
    const QString linked = dir + u"/w1-linked.ini"_s;
    if (!QFile::copy(source, renamed) || !QFile::copy(source, linked))
        return;
#ifdef Q_OS_UNIX
    const QByteArray second = QFile::encodeName(dir + u"/w1-second-link.ini"_s);
    if (::link(QFile::encodeName(linked).constData(), second.constData()) != 0)
        return;
#endif
    const auto keys = int(Workloads::keyCount(Workload::W1));
    std::printf("\n| %-26s | %-8s | %9s | %7s | %10s | %8s |\n", "Save of W1", "route", "keys", "MB",
                "best ms", "MB/s");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", "----------------------------", "----------", "-----------",
                "---------", "------------", "----------");
    const double renameMs = bestOf3([&] { return WriteIniFile(doc, renamed); });
    row("Save, one link", "rename", keys, mb, renameMs);
    const double inPlaceMs = bestOf3([&] { return WriteIniFile(doc, linked); });
    row("Save, second hard link", "in place", keys, mb, inPlaceMs);
    if (renameMs > 0 && inPlaceMs > 0)
        std::printf("\nin place / rename: %.2f (target: at most 2)\n", inPlaceMs / renameMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 0; // a benchmark never fails a build
    }
    std::printf("| %-26s | %-8s | %9s | %7s | %10s | %8s |\n", "operation", "encoding", "keys", "MB",
                "best ms", "MB/s");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", "----------------------------", "----------", "-----------",
                "---------", "------------", "----------");
    for (const int keys : {1000, 100000, 1000000}) {
        benchFile(dir.path(), keys, TextEncoding::Utf8, "UTF-8");
        benchFile(dir.path(), keys, TextEncoding::Legacy, "GB18030");
    }
    benchSaveRoutes(dir.path());
    return 0;
}
