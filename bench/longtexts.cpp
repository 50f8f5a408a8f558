#include "longtexts.h"

#include "frmini.h"
#include "sectioncommands.h"
#include "timingapplication.h"
#include "yeshost.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString writeFile(const QString &folder, qsizetype length)
{
    const QString path = folder + u"/long-texts-%1.ini"_s.arg(length);
    QFile file(path);
    if (file.size() > 3 * length)
        return path;
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray huge(length, 'n');
    file.write("[short]\r\nk=v\r\n[long]\r\n");
    file.write(huge);
    file.write("=");
    file.write(QByteArray(length, 'd'));
    file.write("\r\n[");
    file.write(huge);
    file.write("]\r\nk=v\r\n");
    return file.error() == QFile::NoError ? path : QString();
}

double msSince(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

double best(const std::function<double()> &run)
{
    double result = run();
    if (result < 1000)
        for (int i = 0; i < 2; ++i)
            result = std::min(result, run());
    return result;
}

} // namespace

LongTextTimes timeLongTexts(TimingApplication &app, const QString &folder, qsizetype length)
{
    LongTextTimes times;
    const QString path = writeFile(folder, length);
    if (path.isEmpty())
        return times;
    YesHost host;
    auto opened = [&] {
        auto window = std::make_unique<frmINI>();
        window->show();
        window->openPath(path);
        window->grab();
        app.drain(50);
        return window;
    };
    times.click = best([&] {
        auto window = opened();
        SectionCommands commands(window->document(), host);
        QElapsedTimer timer;
        timer.start();
        commands.tvwSections_NodeClick(3); // root 1, "short" 2, "long" 3
        window->grab();
        const double ms = msSince(timer);
        times.longest = std::max(times.longest, app.drain(50));
        return ms;
    });
    times.resize = best([&] {
        auto window = opened();
        SectionCommands(window->document(), host).tvwSections_NodeClick(3);
        window->grab();
        app.drain(50);
        QElapsedTimer timer;
        timer.start();
        window->resize(window->width() + 40, window->height() + 20);
        window->grab();
        return msSince(timer);
    });
    return times;
}
