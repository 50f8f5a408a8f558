#pragma once

#include "documentview.h"

class IniDocument;
class SectionTreeModel;

// The section tree `tvwSections`. Its highlighted node is the document's selected node,
// and the key list in front belongs to it, after every event:
// - the document's changes are shown (without counting as a click);
// - every other change of the view's current node, however it comes (a press, a drag,
//   a release anywhere, the keyboard, Tab out of a name edit, a call from code), is
//   reported as nodeClicked for the new node; so is a left click (press and release on
//   the same node) on the current node;
// - once a node is highlighted nothing takes the highlight away: Ctrl+click, Ctrl+Space
//   and a click on empty space leave it, as a native tree does.
// A right-button press selects nothing (the selection, not the node under the pointer,
// decides what the context menu offers); its release, the context-menu key and
// Shift+F10 are reported as rightReleased, the keys at the current node. Edits start
// only when the program asks. Opening or closing the root is given to the document.
class SectionTreeView : public DocumentView
{
    Q_OBJECT
public:
    explicit SectionTreeView(QWidget *parent = nullptr);

    void bind(IniDocument &doc, SectionTreeModel *model);
    // Starts the in-place edit of a node's label.
    void editNode(int treeIndex);

signals:
    void nodeClicked(int treeIndex);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showDocumentItem() override { showSelectedNode(false); }

private:
    void showDocumentSelection();
    void showSelectedNode(bool scroll);
    void followView();

    SectionTreeModel *m_model = nullptr;
    QPersistentModelIndex m_pressed; // the node the left button went down on
};
