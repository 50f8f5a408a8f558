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

// Converts a layout measure in twips to device-independent pixels (15 twips a pixel).
constexpr int twips(int measure) { return measure / 15; }
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
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

// The push-button font of the dialogs: 宋体 9 pt, or the nearest the system has.
QFont dialogButtonFont();

} // namespace modApp
