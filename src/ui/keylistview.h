#pragma once

#include <QTreeView>

class IniDocument;
class KeyListModel;

// The key list `lstKeys`: one report view that shows whichever list is in front. The
// list's current row and its selected flag live in the document; the view shows them
// and gives the user's own changes (mouse or keyboard) back. A right-button press on a
// row makes it the current, selected row, as a platform list view does; the release is
// reported as rightReleased. A left double click anywhere in the list is reported as
// keyDoubleClicked. Edits start only when the program asks.
class KeyListView : public QTreeView
{
    Q_OBJECT
public:
    explicit KeyListView(QWidget *parent = nullptr);

    void bind(IniDocument &doc, KeyListModel *model);
    // Starts the in-place edit of a row's name in the shown list.
    void editName(qsizetype row);

signals:
    void rightReleased(const QPoint &globalPos);
    void keyDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showDocumentRow();
    void takeUserRow();

    IniDocument *m_doc = nullptr;
    KeyListModel *m_model = nullptr;
};
