#pragma once

#include "commandhost.h"

#include <QDialog>

class QLabel;

// The properties dialog: the document's file name as a large grey title over a white
// shadow, its path, section count, key total and status, and an OK button. It shows the
// texts it is given and changes nothing. Value labels take the width of their text and
// never wrap; the dialog widens (up to the screen's width) when a text needs more room.
// OK and the close box close it.
class frmProperties : public QDialog
{
    Q_OBJECT

public:
    // owner: the main window (the dialog is centred on its screen).
    frmProperties(QWidget *owner, const PropertiesInfo &info);

private:
    QLabel *addLabel(const char16_t *name, const QString &text, int left, int top);
    void addRule(const char16_t *name, int top);
    void fitWidth(QWidget *owner);
};
