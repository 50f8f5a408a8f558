// The memory of a document read from each benchmark file (W1..W4 and W1×10), and the
// peak memory of saving it, as multiples of the file size. Each file is measured in a
// child process of its own, so that one file's peak does not hide another's.
// Usage: bench_memory [folder for the files] [--no-large]
//   heap      bytes malloc holds for the document after the read (mallinfo2: in use
//             plus mapped blocks)
//   open      the process's peak resident set during the read (VmHWM) minus its
//             resident set before the read
//   RSS       the resident set after the read minus before
//   save      the peak resident set during Save (the document written over a copy of
//             its file, through the file commands), minus the resident set before the
//             read: the document itself counts
//   save as   the same for Save As to a new file, with what follows it (the document
//             becomes the new file's)

#include "filecommands.h"
#include "inidocument.h"
#include "workloads.h"
#include "yeshost.h"

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

// Answers the save dialog with one path.
class SaveAsHost : public YesHost
{
public:
    explicit SaveAsHost(QString path) : m_path(std::move(path)) {}
    bool showSaveDialog(FileDialogState &state) override
    {
        state.fileName = m_path;
        return true;
    }

private:
    QString m_path;
};

// The child: reads one file, saves it and saves it as, and prints
// "heap open resident save saveAs keys" in bytes.
int measure(const QString &path)
{
    QTemporaryDir out;
    const QString copy = out.filePath(u"copy.ini"_s);
    if (!QFile::copy(path, copy))
        return 1;
    malloc_trim(0);
    const struct mallinfo2 before = mallinfo2();
    const size_t heapBefore = before.uordblks + before.hblkhd;
    resetPeak();
    const qint64 rssBefore = statusBytes("VmRSS");
    IniDocument doc;
    SaveAsHost host(out.filePath(u"saved-as.ini"_s));
    FileDialogState dialogs;
    FileCommands commands(doc, host, dialogs);
    if (!commands.openPath(copy))
        return 1;
    const qint64 open = statusBytes("VmHWM") - rssBefore;
    const qint64 resident = statusBytes("VmRSS") - rssBefore;
    const struct mallinfo2 after = mallinfo2();
    const qint64 heap = qint64(after.uordblks + after.hblkhd) - qint64(heapBefore);

    resetPeak();
    commands.mnuFileSave_Click();
    const qint64 save = statusBytes("VmHWM") - rssBefore;
    resetPeak();
    commands.mnuFileSaveAs_Click();
    const qint64 saveAs = statusBytes("VmHWM") - rssBefore;
    if (QFileInfo(out.filePath(u"saved-as.ini"_s)).size() != QFileInfo(path).size())
        return 1;
    std::printf("%lld %lld %lld %lld %lld %lld\n", heap, open, resident, save, saveAs, doc.keyTotal());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"--measure"_s)
        return measure(args[2]);
    const bool large = !args.removeAll(u"--no-large"_s);

    QTemporaryDir temporary;
    const QString folder = args.size() > 1 ? args[1] : temporary.path();
    std::printf("| %-10s | %6s | %8s | %5s | %5s | %5s | %5s | %7s |\n", "file", "MB", "heap MB",
                "heap", "open", "RSS", "save", "save as");
    std::printf("|------------|-------:|---------:|------:|------:|------:|------:|--------:|\n");
    QList<Workload> workloads = Workloads::all();
    if (large)
        workloads << Workload::W1x10;
    for (const Workload workload : workloads) {
        const QString path = Workloads::ensureFile(workload, folder);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {u"--measure"_s, path});
        if (path.isEmpty() || !child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("| %-10s | failed |\n", qPrintable(Workloads::name(workload)));
            continue;
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        const double file = double(QFileInfo(path).size());
        auto times = [&](int field) { return fields.value(field).toDouble() / file; };
        std::printf("| %-10s | %6.1f | %8.1f | %5.2f | %5.2f | %5.2f | %5.2f | %7.2f |\n",
                    qPrintable(Workloads::name(workload)), file / 1e6, fields.value(0).toDouble() / 1e6,
                    times(0), times(1), times(2), times(3), times(4));
        std::fflush(stdout);
    }
    return 0;
}
