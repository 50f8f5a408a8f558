#pragma once

#include "commandhost.h"
#include "inidocument.h"
#include "mainactions.h"

#include <QMainWindow>
#include <functional>
#include <optional>
#include <memory>

class FileCommands;
class KeyCommands;
class KeyListModel;
class KeyListView;
class SectionCommands;
class SectionTreeModel;
class SectionTreeView;
class StatusPanels;
class WindowHost;

// The main window: it holds the one document, binds the section tree `tvwSections`
// and the key list `lstKeys` to it, carries the menu bar and the status bar `sbBar`,
// and hands every menu item and view event to the commands. It keeps no document data
// of its own.
class frmINI : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmINI(QWidget *parent = nullptr);
    ~frmINI() override;

    IniDocument &document() { return m_doc; }
    FileDialogState &dialogs() { return m_dialogs; }
    const MainActions &actions() const { return m_actions; }
    // Opens path as File, Open does after its dialog (command line, drops); a name whose
    // bytes did not survive the decoding into path is refused (FileCommands::openPath);
    // with an encoding given, the file is read and saved in it.
    bool openPath(const QString &path, bool nameBytesSurvive = true,
                  std::optional<TextEncoding> encoding = std::nullopt);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createViews();
    void createActions();
    void connectActions();
    // Runs command when item is triggered, after committing any in-place edit.
    void onTriggered(QAction *item, const std::function<void()> &command);
    void commitInPlaceEdits();
    void Form_Load();
    void layoutViews();
    void mnuViewStatusbar_Click(bool checked);
    void mnutarnblog_Click();
    void tvwSections_MouseUp(const QPoint &globalPos);
    void lstKeys_MouseUp(const QPoint &globalPos);
    void lstKeys_DblClick();

    IniDocument m_doc;
    FileDialogState m_dialogs;
    MainActions m_actions;
    QWidget *m_client = nullptr;
    SectionTreeModel *m_treeModel = nullptr;
    KeyListModel *m_keyModel = nullptr;
    SectionTreeView *tvwSections = nullptr;
    KeyListView *lstKeys = nullptr;
    StatusPanels *m_panels = nullptr;
    std::unique_ptr<WindowHost> m_host;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<SectionCommands> m_sectionCommands;
    std::unique_ptr<KeyCommands> m_keyCommands;
};
