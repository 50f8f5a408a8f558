#pragma once

#include <QTreeView>

class IniDocument;

// What the section tree and the key list share in showing the document and following
// the user. Single selection; edits start only when the program asks; a cell draws at
// most a bounded part of a long text. While the view itself moves its current item (rows
// come and go, the model resets, the focus comes in) it is "quiet": that is no choice of
// the user's, and the derived view neither reports it nor hands it to the document, but
// shows the document's own state again afterwards.
//
// The view with the keyboard focus shows it: its frame is drawn in the selection colour,
// and a view without the focus draws its selection in a quieter colour (the selection
// colour faded into the background) with the plain text colour.
class DocumentView : public QTreeView
{
    Q_OBJECT
public:
    explicit DocumentView(QWidget *parent = nullptr);

    // Commits an open in-place edit as losing the focus would; nothing when none is open.
    void commitEdit();

signals:
    // A right-button release, the context-menu key or Shift+F10 (the latter two at the
    // current item); globalPos is where the menu goes.
    void rightReleased(const QPoint &globalPos);

protected:
    // Sets the model so that the view is quiet from before it hears of any insertion,
    // removal, move, reset or layout change until after it has handled it.
    void bindModel(IniDocument &doc, QAbstractItemModel *model);
    bool quiet() const { return m_quiet > 0; }
    // Keeps the view quiet while it lives.
    class Quiet
    {
    public:
        explicit Quiet(DocumentView *view) : m_view(view) { ++m_view->m_quiet; }
        ~Quiet() { --m_view->m_quiet; }
        Q_DISABLE_COPY_MOVE(Quiet)
    private:
        DocumentView *m_view;
    };
    // After the focus came in: show the document's current item again (without
    // scrolling: the focus often comes with a click, which must land where aimed).
    virtual void showDocumentItem() = 0;

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;
    void initViewItemOption(QStyleOptionViewItem *option) const override;

    IniDocument *m_doc = nullptr;

private:
    // Repaints the frame and the selection after the focus came or went.
    void showFocusChange();

    int m_quiet = 0;
};
