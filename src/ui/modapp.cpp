#include "modapp.h"

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <algorithm>

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
    // that an earlier sheet on the control stays in force. A styled control takes the
    // application's palette in place of the one it inherits (a dark theme's light text
    // on the dialog's white), so the colours it has now go into the sheet too.
    const QPalette colours = w->palette();
    QString sheet = w->styleSheet();
    if (!sheet.isEmpty())
        sheet += u'\n';
    sheet += u"border: 1px solid #808080; color: %1; background-color: %2; selection-color: %3; "
             u"selection-background-color: %4;"_s.arg(colours.color(w->foregroundRole()).name(),
                                                      colours.color(w->backgroundRole()).name(),
                                                      colours.color(QPalette::HighlightedText).name(),
                                                      colours.color(QPalette::Highlight).name());
    w->setStyleSheet(sheet);
}

QPalette dialogPalette()
{
    // Every role, so that nothing of a dark theme's light text lands on the white; the
    // colours of a classic light desktop. Each text colour reaches at least 4.5:1
    // against the background it is drawn on (white on the highlight: 5.7:1).
    const QColor black(0, 0, 0);
    const QColor white(0xff, 0xff, 0xff);
    const QColor face(0xf0, 0xf0, 0xf0);
    QPalette palette(black, face, white, QColor(0xa0, 0xa0, 0xa0), QColor(0xa0, 0xa0, 0xa0), black,
                     white, white, white);
    palette.setColor(QPalette::Midlight, QColor(0xe3, 0xe3, 0xe3));
    palette.setColor(QPalette::Shadow, QColor(0x69, 0x69, 0x69));
    palette.setColor(QPalette::AlternateBase, QColor(0xf7, 0xf7, 0xf7));
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x67, 0xc0));
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe1));
    palette.setColor(QPalette::ToolTipText, black);
    palette.setColor(QPalette::PlaceholderText, QColor(0x6d, 0x6d, 0x6d));
    palette.setColor(QPalette::Link, QColor(0x00, 0x00, 0xee));
    palette.setColor(QPalette::LinkVisited, QColor(0x55, 0x1a, 0x8b));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x6d, 0x6d, 0x6d));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xa0, 0xa0, 0xa0));
    return palette;
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
    dialog->setPalette(dialogPalette());
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

double fontScale(const QFont &font)
{
    QFont drawnFor(font);
    drawnFor.setPixelSize(12);
    return std::max(1.0, QFontMetricsF(font).height() / QFontMetricsF(drawnFor).height());
}

QFont dialogButtonFont(double scale)
{
    QFont font;
    font.setFamilies({u"宋体"_s, u"SimSun"_s, u"NSimSun"_s});
    font.setPointSizeF(9 * scale);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace modApp
