// Writes the benchmark files W1..W4 into a folder (default: the current one) and prints
// their sizes, so that other programs (the window, Python, other INI tools) can be
// timed on exactly the files the benchmarks use.
// Usage: bench_workloads [folder]

#include "workloads.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    for (const Workload workload : Workloads::all()) {
        const QString path = Workloads::ensureFile(workload, folder);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(Workloads::fileName(workload)));
            return 1;
        }
        std::printf("%-12s %10lld bytes  %s\n", qPrintable(Workloads::name(workload)),
                    QFileInfo(path).size(), qPrintable(QDir::toNativeSeparators(path)));
    }
    return 0;
}
