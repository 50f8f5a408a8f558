#pragma once

#include "commandhost.h"

#include <QStringList>

class KeyListView;
class SectionTreeView;
class QWidget;

// What the commands need from the windowing system, done with real widgets on the main
// window: the shared file dialog (a QFileDialog named "Dialogs", created for each use,
// which shows the platform's native dialog where Qt offers one and Qt's own widget dialog
// elsewhere; neither leaves Qt's file-dialog history on disk), message boxes, the system clipboard, in-place edits in the two views, focus,
// and the two modal dialogs, all owned by the main window; the wait pointer while a
// command is busy.
class WindowHost : public CommandHost
{
public:
    WindowHost(QWidget *window, SectionTreeView *tree, KeyListView *keys, FileDialogState &dialogs);

    bool showOpenDialog(FileDialogState &state) override;
    bool showSaveDialog(FileDialogState &state) override;
    bool askYesNo(const QString &title, const QString &text, Icon icon) override;
    void showError(const QString &title, const QString &text) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    void editNodeLabel(int treeIndex) override;
    void editKeyName(int member, qsizetype row) override;
    void focusTree() override;
    void focusKeyList(int member) override;
    bool runValueEditor(ValueEditRequest &request) override;
    void showProperties(const PropertiesInfo &info) override;
    void closeMainWindow() override;

protected:
    // The wait pointer over every window of the program.
    void beginBusy() override;
    void endBusy() override;

private:
    bool showFileDialog(FileDialogState &state, bool save);

    QWidget *m_window;
    SectionTreeView *m_tree;
    KeyListView *m_keys;
    FileDialogState &m_dialogs;
};
