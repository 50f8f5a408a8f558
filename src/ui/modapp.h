#pragma once

#include <QRect>

class QDialog;
class QFont;
class QPalette;
class QWidget;

// Small helpers shared by the dialogs.
namespace modApp {

// Gives a control a thin, flat one-pixel grey edge in place of the style's sunken frame,
// keeping the colours it has from its palette. Whatever style sheet the control already
// has is kept; nothing is checked.
void SetFlatEdge(QWidget *w);

// How much larger than the font the dialogs were drawn for (9 pt at 96 dpi, a 12 pixel
// font) font is: the ratio of their line heights, 1 for that size and smaller ones. The
// dialogs' places, sizes and own fonts grow by it, so that they fit a larger font or a
// higher font DPI as the design fits the small one. A scale factor of the whole screen
// (QT_SCALE_FACTOR) grows the pixels themselves and leaves this at 1.
double fontScale(const QFont &font);

// Converts a layout measure in twips to device-independent pixels (15 twips a pixel),
// grown by scale.
constexpr int twips(int measure, double scale = 1) { return int(measure * scale / 15 + 0.5); }
// Its edges are converted, so that controls that meet in the design still meet.
inline QRect twipsRect(int left, int top, int width, int height, double scale = 1)
{
    return QRect(QPoint(twips(left, scale), twips(top, scale)),
                 QPoint(twips(left + width, scale) - 1, twips(top + height, scale) - 1));
}

// The dialogs' colours: dark text on the design's white, whatever the desktop's theme,
// for every role (window, text, buttons, boxes, selection, disabled texts).
QPalette dialogPalette();

// Makes dialog a modal, white, fixed-size dialog window owned by owner: title and close
// box only (no minimise or maximise button), no taskbar entry of its own; its palette is
// dialogPalette().
void prepareDialog(QDialog *dialog, QWidget *owner, const QString &caption, QSize clientSize);

// Brings a modal dialog (and its owner) straight back whenever it is minimised: under a
// window manager that offers a minimise button anyway, a minimised modal dialog takes
// the whole program with it and leaves nothing to click. Every modal the program shows
// gets this, the message boxes and the file dialog too.
void keepUnminimised(QWidget *dialog);

// Moves a top-level window so that it sits in the middle of the screen that shows owner
// (the primary screen without an owner). Call once the window has its final size.
void centreOnScreen(QWidget *window, QWidget *owner);

// The push-button font of the dialogs: 宋体 9 pt (grown by scale), or the nearest the
// system has.
QFont dialogButtonFont(double scale = 1);

} // namespace modApp
