#include "modapp.h"

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// Some window managers (openbox among them) give every dialog a minimise button whatever
// the window asks for. A minimised modal dialog takes its owner with it and leaves
// nothing to click, so the dialog comes straight back.
class StayUnminimised : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowStateChange && dialog
            && (dialog->windowState() & Qt::WindowMinimized)) {
            QMetaObject::invokeMethod(
                dialog,
                [dialog] {
                    if (QWidget *owner = dialog->parentWidget())
                        owner->window()->setWindowState(owner->window()->windowState()
                                                        & ~Qt::WindowMinimized);
                    dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
                    dialog->activateWindow();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace modApp {

void SetFlatEdge(QWidget *w)
{
    // A style sheet border replaces the style's own frame; the rule is appended so
    // that an earlier sheet on the control stays in force.
    QString sheet = w->styleSheet();
    if (!sheet.isEmpty())
        sheet += u'\n';
    sheet += u"border: 1px solid #808080;"_s;
    w->setStyleSheet(sheet);
}

void prepareDialog(QDialog *dialog, QWidget *owner, const QString &caption, QSize clientSize)
{
    // A parented Qt::Dialog is a transient window of its owner: window managers keep it
    // off the taskbar. CustomizeWindowHint drops the buttons not asked for here.
    dialog->setParent(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                 | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(caption);
    dialog->setModal(true);
    dialog->setAutoFillBackground(true);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, Qt::white);
    dialog->setPalette(palette);
    dialog->setFixedSize(clientSize);
    keepUnminimised(dialog);
}

void keepUnminimised(QWidget *dialog)
{
    dialog->installEventFilter(new StayUnminimised(dialog));
}

void centreOnScreen(QWidget *window, QWidget *owner)
{
    QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Moving before the first show also stops QDialog from placing it over the owner.
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QFont dialogButtonFont()
{
    QFont font;
    font.setFamilies({u"宋体"_s, u"SimSun"_s, u"NSimSun"_s});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace modApp
