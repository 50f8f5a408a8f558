#include "longtexts.h"

#include "frmchangedata.h"
#include "frmini.h"
#include "keylistview.h"
#include "sectioncommands.h"
#include "sectiontreeview.h"
#include "timingapplication.h"
#include "yeshost.h"

#include <QElapsedTimer>
#include <QFile>
#include <QAbstractItemView>
#include <QKeyEvent>

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

// The in-place editor open in view, whatever its class.
QWidget *openEditor(const QAbstractItemView *view)
{
    for (QWidget *child : view->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            return child;
    }
    return nullptr;
}

void press(QWidget *target, Qt::Key key, const QString &text = {})
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &up);
}

// Goes to the end of the editor's text, then types characters there: the mean time of
// one, to the editor painted. Ten keys, or fewer (at least two) once they took 3 s; -1
// when the text did not take them.
double typing(TimingApplication &app, QWidget *editor)
{
    press(editor, Qt::Key_End);
    app.drain(20);
    const qsizetype before = editor->property("text").toString().size();
    double total = 0;
    int keys = 0;
    while (keys < 10 && (keys < 2 || total < 3000)) {
        QElapsedTimer timer;
        timer.start();
        press(editor, Qt::Key_X, u"x"_s);
        editor->repaint();
        total += msSince(timer);
        ++keys;
    }
    app.drain(20);
    return editor->property("text").toString().size() == before + keys ? total / keys : -1;
}

// Opens an in-place edit by start(), times it to the window painted and the typing in
// it, and cancels it.
void timeInPlace(TimingApplication &app, frmINI &window, QAbstractItemView *view,
                 const std::function<void()> &start, double *open, double *key)
{
    QElapsedTimer timer;
    timer.start();
    start();
    window.grab();
    const double ms = msSince(timer);
    QWidget *editor = openEditor(view);
    if (!editor)
        return;
    *open = ms;
    app.drain(20);
    *key = typing(app, editor);
    press(editor, Qt::Key_Escape);
    app.drain(20);
}

} // namespace

EditorTimes timeEditors(TimingApplication &app, const QString &folder, qsizetype length)
{
    EditorTimes times;
    const QString path = writeFile(folder, length);
    if (path.isEmpty())
        return times;
    auto window = std::make_unique<frmINI>();
    window->show();
    window->openPath(path);
    window->grab();
    app.drain(50);

    auto *tree = window->findChild<SectionTreeView *>(u"tvwSections"_s);
    timeInPlace(app, *window, tree, [tree] { tree->editNode(4); }, &times.treeOpen, &times.treeKey);

    YesHost host;
    SectionCommands(window->document(), host).tvwSections_NodeClick(3);
    window->grab();
    app.drain(50);
    auto *keys = window->findChild<KeyListView *>(u"lstKeys"_s);
    timeInPlace(app, *window, keys, [keys] { keys->editName(0); }, &times.listOpen, &times.listKey);

    const KeyList *list = window->document().list(3);
    const ValueEditRequest request{list->name(0), list->data(0), ValueKind::Text};
    QElapsedTimer timer;
    timer.start();
    {
        frmChangeData dialog(window.get(), request, window->dialogs(), {});
        dialog.show();
        dialog.grab();
        times.dialogOpen = msSince(timer);
        app.drain(20);
        if (auto *txtData = dialog.findChild<QWidget *>(u"txtData"_s))
            times.dialogKey = typing(app, txtData);
    }
    app.drain(20);
    return times;
}

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
