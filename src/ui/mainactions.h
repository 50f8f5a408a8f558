#pragma once

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar: every menu, item and separator, each carrying its design
// name as objectName, with captions, shortcuts and start flags. The section menu
// "操作" and the key menu "名称" are the same QMenu objects that open as context
// menus, so one enabled flag shows in both places.
struct MainActions
{
    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnutarnblog = nullptr;
    QAction *mnuFileExit = nullptr;

    QMenu *mnuSection = nullptr;
    QAction *mnuSectionNew = nullptr;
    QAction *mnuSectionDelete = nullptr;
    QAction *mnuSectionRename = nullptr;
    QAction *mnuSectionCopyName = nullptr;
    QAction *mnuSectionCopyPath = nullptr;

    QMenu *mnuKey = nullptr;
    QAction *mnuKeyNew = nullptr;
    QAction *mnuKeyChangeData = nullptr;
    QAction *mnuKeyDelete = nullptr;
    QAction *mnuKeyRename = nullptr;
    QAction *mnuKeyCopyName = nullptr;
    QAction *mnuKeyCopyPath = nullptr;
    QAction *mnuKeyCopyValue = nullptr;

    QMenu *mnuView = nullptr;
    QAction *mnuViewStatusbar = nullptr;
    QAction *mnuViewRefresh = nullptr;
    QAction *mnuViewProperties = nullptr;

    // Builds the menu bar of window; the window owns everything made.
    static MainActions create(QMainWindow *window);
};
