#pragma once

#include <QtGlobal>

class QMenu;
class QString;
class QWidget;

// The value editor's single-line boxes, for a text of any length: Qt's QLineEdit below
// LongLineEdit::minimumLength characters, taking any length and kept to one line
// (FirstLineGuard), else a LongLineEdit. The functions below work on either kind.
namespace TextBox {

// A box for a text of textLength characters.
QWidget *create(QWidget *parent, qsizetype textLength);

QString text(const QWidget *box);
void setText(QWidget *box, const QString &text);
void selectAll(QWidget *box);
// The box's own context menu, which the caller owns.
QMenu *createStandardContextMenu(QWidget *box);

} // namespace TextBox
