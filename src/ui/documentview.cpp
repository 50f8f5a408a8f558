#include "documentview.h"

#include "longlineedit.h"
#include "longtextdelegate.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace {

// The keys that open a context menu from the keyboard: the context-menu key and
// Shift+F10.
bool isContextMenuKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)
        || (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

} // namespace

DocumentView::DocumentView(QWidget *parent) : QTreeView(parent)
{
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setItemDelegate(new LongTextDelegate(this));
    setContextMenuPolicy(Qt::PreventContextMenu);
    setUniformRowHeights(true); // 100,000 sections or 1,000,000 keys lay out at once
}

void DocumentView::bindModel(IniDocument &doc, QAbstractItemModel *model)
{
    m_doc = &doc;
    const auto up = [this] { ++m_quiet; };
    const auto down = [this] { --m_quiet; };
    // Slots run in the order they were connected: these before the view's, those after.
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, up);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, up);
    connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, up);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, up);
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, up);
    setModel(model);
    connect(model, &QAbstractItemModel::rowsInserted, this, down);
    connect(model, &QAbstractItemModel::rowsRemoved, this, down);
    connect(model, &QAbstractItemModel::rowsMoved, this, down);
    connect(model, &QAbstractItemModel::modelReset, this, down);
    connect(model, &QAbstractItemModel::layoutChanged, this, down);
}

void DocumentView::commitEdit()
{
    // The delegate's editors are line edits placed on the viewport.
    const QList<QWidget *> editors = viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *editor : editors) {
        const bool lineEdit = qobject_cast<QLineEdit *>(editor) || qobject_cast<LongLineEdit *>(editor);
        if (lineEdit && editor->isVisible()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
}

void DocumentView::keyPressEvent(QKeyEvent *event)
{
    if (!isContextMenuKey(event)) {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
    // Below the middle of the current item's text, or the top left corner of the view
    // when the item is not shown.
    const QRect rect = visualRect(currentIndex());
    QPoint local(0, 0);
    if (rect.isValid() && viewport()->rect().intersects(rect))
        local = QPoint(rect.left() + qMin(rect.width(), viewport()->width()) / 2, rect.bottom());
    emit rightReleased(viewport()->mapToGlobal(local));
}

void DocumentView::focusInEvent(QFocusEvent *event)
{
    // Qt makes the first item current when a view without one gets the focus; a native
    // view leaves it without one, and so does the document.
    {
        const Quiet quiet(this);
        QTreeView::focusInEvent(event);
    }
    if (m_doc)
        showDocumentItem();
    showFocusChange();
}

void DocumentView::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    showFocusChange();
}

void DocumentView::showFocusChange()
{
    update();
    viewport()->update();
}

bool DocumentView::event(QEvent *event)
{
    const bool handled = QTreeView::event(event);
    // The frame is painted here, outside the viewport; drawn over in the selection colour
    // while the view has the focus.
    if (event->type() == QEvent::Paint && hasFocus() && frameWidth() > 0) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        for (int i = 0; i < frameWidth(); ++i)
            painter.drawRect(rect().adjusted(i, i, -1 - i, -1 - i));
    }
    return handled;
}

void DocumentView::initViewItemOption(QStyleOptionViewItem *option) const
{
    QTreeView::initViewItemOption(option);
    if (hasFocus())
        return;
    QPalette &palette = option->palette;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = palette.color(group, QPalette::Base);
        const QColor highlight = palette.color(group, QPalette::Highlight);
        // A third of the way from the background to the selection colour: the theme's
        // text on its background loses little contrast there.
        const auto mix = [](int from, int to) { return from + (to - from) / 3; };
        palette.setColor(group, QPalette::Highlight,
                         QColor(mix(base.red(), highlight.red()), mix(base.green(), highlight.green()),
                                mix(base.blue(), highlight.blue())));
        palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
    }
}
