#pragma once

#include "commandhost.h"
#include "modapp.h"

#include <QDialog>

class QLabel;

// The properties dialog: the document's file name as a large grey title over a white
// shadow, its path, section count, key total, status and encoding, and an OK button. It
// shows the texts it is given and changes nothing. The dialog keeps its designed size
// (grown with a font larger than the default, modApp::fontScale): labels take
// the width of their text on one line, and a title or value too long for the dialog is
// cut in the middle with "…", its whole text in the label's tooltip. Each value sits on
// its caption's baseline. OK (clicked, or Enter or Space while it has the focus) and the
// close box close it.
class frmProperties : public QDialog
{
    Q_OBJECT

public:
    // owner: the main window (the dialog is centred on its screen).
    frmProperties(QWidget *owner, const PropertiesInfo &info);

private:
    QLabel *addLabel(const char16_t *name, const QString &text, int left, int top);
    void addRule(const char16_t *name, int top);
    // The design's measures in pixels, grown for the font.
    int twips(int measure) const { return modApp::twips(measure, m_scale); }

    double m_scale;
};
