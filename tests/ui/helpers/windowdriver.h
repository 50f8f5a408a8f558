#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>

class frmINI;
class KeyList;
class QAction;
class QLineEdit;
class QTreeView;
class QWidget;

// Real mouse input on the main window's two views, and what the window tests read back.
class WindowDriver
{
public:
    explicit WindowDriver(frmINI &window) : m_window(window) {}

    // A shown, active main window with path open; nullptr when any of it fails.
    static std::unique_ptr<frmINI> openWindow(const QString &path);
    // Closes the context menus a test left open.
    void closeMenus() const;

    QTreeView *tree() const;
    QTreeView *keys() const;
    // Viewport positions: a node's or a row's middle, and empty space below the last node.
    QPoint nodeCenter(int treeIndex) const;
    QPoint rowCenter(int row) const;
    QPoint belowNodes() const;

    void clickNode(int treeIndex) const;
    void rightClick(QTreeView *view, QPoint pos) const;
    // The in-place editor open in view, or nullptr: editor() Qt's line edit of a short
    // text, anyEditor() that or the long-text editor (LongLineEdit). Both kinds have the
    // properties text, cursorPosition and selectedText and the slot selectAll.
    QLineEdit *editor(QTreeView *view) const;
    QWidget *anyEditor(QTreeView *view) const;

    // Each section's name and its keys' names: "alpha:a,b,c|beta:|gamma:x".
    QString outline() const;
    // Empty when the highlighted node, the document's selected node, the node drawn with
    // the open folder and the list in front all belong together, and the root is shown
    // open exactly when the document says so; else what differs.
    QString disagreement() const;

    static QStringList names(const KeyList *list);
    // "1" for an enabled item, "0" for a disabled one, separators left out.
    static QString flags(const QList<QAction *> &actions);

private:
    frmINI &m_window;
};
