#pragma once

#include <QTreeView>

class IniDocument;
class SectionTreeModel;

// The section tree `tvwSections`. Its selection mirrors the document's selected node
// both ways: the document's changes are shown, and the user's own selection (mouse or
// keyboard) is given to the document. A left click on a node, and a keyboard move to
// another node, are reported as nodeClicked. A right-button press selects nothing (the
// selection, not the node under the pointer, decides what the context menu offers);
// its release is reported as rightReleased. Edits start only when the program asks.
class SectionTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit SectionTreeView(QWidget *parent = nullptr);

    void bind(IniDocument &doc, SectionTreeModel *model);
    // Starts the in-place edit of a node's label.
    void editNode(int treeIndex);

signals:
    void nodeClicked(int treeIndex);
    void rightReleased(const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showDocumentSelection();
    void takeUserSelection();

    IniDocument *m_doc = nullptr;
    SectionTreeModel *m_model = nullptr;
};
