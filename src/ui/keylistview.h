#pragma once

#include <QTreeView>

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
class KeyListView : public QTreeView
{
    Q_OBJECT
public:
    explicit KeyListView(QWidget *parent = nullptr);

    void bind(IniDocument &doc, KeyListModel *model);
    // Starts the in-place edit of a row's name in the shown list.
    void editName(qsizetype row);
    // Commits an open in-place edit as losing the focus would; nothing when none is open.
    void commitEdit();

signals:
    void rightReleased(const QPoint &globalPos);
    void keyDoubleClicked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void showDocumentRow();
    void takeUserRow();

    IniDocument *m_doc = nullptr;
    KeyListModel *m_model = nullptr;
    int m_quiet = 0; // above 0 while the view shows the document or the model changes
    bool m_taking = false; // while the view's own row goes to the document
};
