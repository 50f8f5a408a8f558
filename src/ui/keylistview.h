#pragma once

#include "documentview.h"

class IniDocument;
class KeyListModel;

// The key list `lstKeys`: one report view that shows whichever list is in front. The
// list's current row and its selected flag live in the document; the view shows them
// and gives every change of the view's own current row or selection back, however it
// comes (press, drag, release, keyboard, Tab out of a name edit). A right-button press on
// a row makes it the current, selected row, as a platform list view does; the release,
// the context-menu key and Shift+F10 are reported as rightReleased (the keys at the
// current row). A left double click anywhere in the list is reported as
// keyDoubleClicked. Empty space below the rows selects and deselects nothing. Edits
// start only when the program asks.
class KeyListView : public DocumentView
{
    Q_OBJECT
public:
    explicit KeyListView(QWidget *parent = nullptr);

    void bind(IniDocument &doc, KeyListModel *model);
    // Starts the in-place edit of a row's name in the shown list.
    void editName(qsizetype row);

signals:
    void keyDoubleClicked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showDocumentItem() override { showDocumentRow(); }

private:
    void showDocumentRow();
    void takeUserRow();

    KeyListModel *m_model = nullptr;
    bool m_taking = false; // while the view's own row goes to the document
};
