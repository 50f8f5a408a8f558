#pragma once

#include "refdocument.h"
#include "windowdriver.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <random>

class frmINI;
class QAbstractItemView;
class QAction;
class QMenu;
class QModelIndex;
class QPoint;
class QTreeView;
class QWidget;

// Drives the real main window as a user would, one random step at a time (menu
// commands and their shortcuts, clicks, drags and right-clicks with real mouse events,
// the context-menu keys, in-place edits left by Enter, Escape, Tab, Shift+Tab, a paste
// of several lines or a command, long texts pasted into an edit and typed at the end of,
// the real message boxes and file dialogs answered by script), and keeps a reference
// document beside it. After every step the window's
// document, views, status texts and menu flags are compared with the reference, and
// the highlighted node, the selected node and the list in front must agree; after every
// save, the file too.
class RandomUser
{
public:
    // folder: where saves go (an empty, writable folder that outlives the run).
    RandomUser(frmINI &window, quint64 seed, const QString &folder);

    // Runs one step and checks afterwards. Returns an empty text, or what differed.
    QString step();
    // The last 20 steps, oldest first.
    QStringList recentSteps() const { return m_recent; }
    // How often each kind of step and answer came up, and the largest document seen.
    QString summary() const;

private:
    using Answer = std::function<void(QWidget *)>;

    int pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(m_rng)); }
    bool chance(int percent) { return pick(100) < percent; }
    const QString &any(const QStringList &pool) { return pool[pick(int(pool.size()))]; }
    void log(const QString &what);
    void expect(bool ok, const QString &what);
    void settle();
    void reactivate();

    QAction *action(const char16_t *name) const;
    QTreeView *tree() const;
    QTreeView *keys() const;
    QModelIndex nodeIndex(int node) const;
    QPoint visibleCenter(QAbstractItemView *view, const QModelIndex &index) const;
    // Triggers an item; when a dialog is expected, answer closes it.
    void trigger(QAction *item, bool dialogExpected = false, Answer answer = {});
    // Ends the open in-place edit: confirms a random name (commit gets it) by Enter, a
    // paste of several lines, Tab or Shift+Tab (which go on to the next item's edit), or
    // by choosing a command while it is open; or cancels it with Escape. Within
    // editLongText it confirms a long text instead.
    void finishEdit(QAbstractItemView *view, const std::function<void(const QString &)> &commit,
                    int depth = 0);
    void leaveEditByTab(QAbstractItemView *view, bool back, int depth);
    // What a node click does to the reference: selects, sorts an unsorted list, fronts it.
    void refClick(int node);
    // The node or row at a viewport position of the tree or the key list, -1 for none.
    int nodeAt(QPoint pos) const;
    int rowAt(QPoint pos) const;

    void fileNew();
    void fileOpen();
    void fileSave(bool saveAs);
    void refresh();
    void properties();
    void sectionNew();
    void sectionDelete();
    void sectionRename();
    void sectionCopy();
    void clickNode();
    void treeRightClick();
    void treeDrag();
    // Presses, moves over and releases `count` places picked by pickItem (a node or a row,
    // -1 for empty space); reached hears of each item under the held button. Returns
    // the items passed, -1 for empty space.
    QStringList drag(QTreeView *view, int count, const std::function<int()> &pickItem,
                     const std::function<void(int)> &reached);
    void menuByKeyboard(QTreeView *view, const QString &where);
    void treeCtrlInput();
    void clickRow();
    void keyRightClick();
    void keyDrag();
    void keyNew();
    void keyDelete();
    void keyRename();
    // A key rename whose edit gets a long text: pasted over a short name, typed at the end
    // of a long one.
    void editLongText();
    void keyCopy();
    void changeData();
    void pointAtCell();

    // A dialog for saving or opening: checks its title, then chooses path or cancels.
    Answer fileDialog(const QString &title, const QString &path, bool *accepted);
    void afterRead(const QString &path);
    void checkFile(const QString &path);
    void checkWindow();
    // The selected node's list (the root's too), or nullptr with no node selected.
    RefList *currentKeyList();

    frmINI &m_window;
    WindowDriver m_driver;
    std::mt19937_64 m_rng;
    QString m_folder;
    RefDocument m_ref;
    QMap<QString, QString> m_files; // path -> the text the reference says it holds
    QString m_dialogFileName;
    bool m_sectionFlags[4] = {false, false, false, false}; // Delete, Rename, Copy Name, Copy Path
    bool m_keyFlags[7] = {true, false, false, false, false, false, false};
    bool m_longText = false; // within editLongText
    QStringList m_recent;
    QString m_failure;
    int m_missingCount = 0;
    QMap<QString, int> m_counts;
    int m_mostSections = 0;
    qint64 m_mostKeys = 0;
};
