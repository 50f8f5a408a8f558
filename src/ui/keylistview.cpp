#include "keylistview.h"

#include "inidocument.h"
#include "keylistmodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

KeyListView::KeyListView(QWidget *parent) : DocumentView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(SelectRows);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

void KeyListView::bind(IniDocument &doc, KeyListModel *model)
{
    m_model = model;
    bindModel(doc, model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &KeyListView::takeUserRow);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &KeyListView::takeUserRow);
    // The widths of the design, 1900 and 2800 twips.
    setColumnWidth(0, 127);
    setColumnWidth(1, 187);
    // The view moves its current row by itself when rows go; the document decides.
    connect(model, &QAbstractItemModel::modelReset, this, &KeyListView::showDocumentRow);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &KeyListView::showDocumentRow);
    connect(model, &QAbstractItemModel::rowsInserted, this, &KeyListView::showDocumentRow);
    connect(model, &QAbstractItemModel::rowsMoved, this, &KeyListView::showDocumentRow);
    connect(&doc, &IniDocument::currentRowChanged, this, [this](int member) {
        // What the view itself just handed over needs no showing back: the view may be
        // between its selection change and its current-row change.
        if (member == m_model->member() && !m_taking)
            showDocumentRow();
    });
    showDocumentRow();
}

void KeyListView::editName(qsizetype row)
{
    const QModelIndex index = m_model ? m_model->index(int(row), 0) : QModelIndex();
    if (!index.isValid())
        return;
    scrollTo(index);
    edit(index);
}

void KeyListView::showDocumentRow()
{
    const KeyList *list = m_doc->list(m_model->member());
    QItemSelectionModel *selection = selectionModel();
    const Quiet quiet(this);
    if (!list || list->current() < 0 || list->current() >= m_model->rowCount()) {
        selection->clear();
    } else {
        const QModelIndex index = m_model->index(int(list->current()), 0);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        if (list->currentSelected())
            selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selection->clearSelection();
    }
}

void KeyListView::takeUserRow()
{
    if (!m_doc || quiet())
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    m_taking = true;
    m_doc->setCurrentRow(m_model->member(), current.row(),
                         selectionModel()->isRowSelected(current.row(), {}));
    m_taking = false;
}

QItemSelectionModel::SelectionFlags KeyListView::selectionCommand(const QModelIndex &index,
                                                                  const QEvent *event) const
{
    // A press on a selected row that ends on empty space would otherwise clear it.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void KeyListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        QTreeView::mousePressEvent(event);
    } else if (event->button() == Qt::RightButton) {
        const QModelIndex under = indexAt(event->position().toPoint());
        if (under.isValid() && m_doc)
            m_doc->setCurrentRow(m_model->member(), under.row(), true);
    }
    event->accept();
}

void KeyListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // A Ctrl+click takes its selected row away only on release.
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->button() == Qt::RightButton)
        emit rightReleased(event->globalPosition().toPoint());
}

void KeyListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit keyDoubleClicked();
}
