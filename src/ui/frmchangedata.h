#pragma once

#include "commandhost.h"
#include "modapp.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

// The value editor: a modal dialog that shows one key's name and data and lets the user
// change them. The request's EditValueKind decides the data control: a True/False
// choice for Boolean, a text box with a "..." browse button for Path, a text box that
// takes only typed digits for Number, and a plain text box for Text or any other code.
// The data text starts selected. The two text boxes take texts of any length (TextBox).
//
// The layout is the design's at the default font and grows with a larger one
// (modApp::fontScale).
//
// Neither Enter nor Escape does anything: only OK accepts, and only Cancel or the close
// box rejects. The dialog writes nothing itself; after exec() returns Accepted the caller
// reads result().
class frmChangeData : public QDialog
{
    Q_OBJECT

public:
    // owner: the main window (the dialog is centred on its screen).
    // dialogs: the main window's shared file dialog state, used and changed by browse.
    // showOpenDialog: shows the open dialog for that state; false when cancelled.
    frmChangeData(QWidget *owner, const ValueEditRequest &request, FileDialogState &dialogs,
                  std::function<bool(FileDialogState &)> showOpenDialog);

    // The name and data to write, and the request's value kind. For Boolean the data is
    // the chosen entry, "True" or "False". Meaningful after exec() returned Accepted.
    ValueEditRequest result() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls(const ValueEditRequest &request);
    void loadRequest(const ValueEditRequest &request);
    // Accessible names and descriptions, in Chinese, and the captions' buddies.
    void describeControls();
    void cmdBrowse_Click();
    bool filterNumberEvent(QEvent *event);

    // The design's measures in pixels, grown for the font.
    int twips(int measure) const { return modApp::twips(measure, m_scale); }
    QRect twipsRect(int left, int top, int width, int height) const
    {
        return modApp::twipsRect(left, top, width, height, m_scale);
    }

    FileDialogState &m_dialogs;
    std::function<bool(FileDialogState &)> m_showOpenDialog;
    ValueKind m_valueKind;
    double m_scale;

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QWidget *m_txtName = nullptr; // a QLineEdit, or a LongLineEdit for a long text
    QWidget *m_txtData = nullptr;
    QComboBox *m_cmbBoolean = nullptr;
    QPushButton *m_cmdBrowse = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
};
