#include "sectiontreeview.h"

#include "inidocument.h"
#include "sectiontreemodel.h"

#include <QKeyEvent>
#include <QMouseEvent>

SectionTreeView::SectionTreeView(QWidget *parent) : DocumentView(parent)
{
    setHeaderHidden(true);
}

void SectionTreeView::bind(IniDocument &doc, SectionTreeModel *model)
{
    m_model = model;
    // While rows come and go the view moves its current node by itself; the document
    // decides where the selection goes and is shown afterwards. Connected before the
    // view's own handlers, so that the quiet time covers them.
    bindModel(doc, model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &SectionTreeView::followView);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &SectionTreeView::followView);
    // The model heard of each change before these run, so the rows are in place.
    connect(&doc, &IniDocument::selectedNodeChanged, this, &SectionTreeView::showDocumentSelection);
    connect(&doc, &IniDocument::resetDone, this, [this] {
        setExpanded(m_model->indexOfNode(1), m_doc->rootExpanded());
        showDocumentSelection();
    });
    connect(&doc, &IniDocument::rootExpandedChanged, this, [this](bool expanded) {
        setExpanded(m_model->indexOfNode(1), expanded);
    });
    connect(&doc, &IniDocument::sectionRemoved, this, &SectionTreeView::showDocumentSelection);
    // The user opens and closes the root too (its arrow, a double click, the keyboard).
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (SectionTreeModel::treeIndexOf(index) == 1)
            m_doc->setRootExpanded(true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (SectionTreeModel::treeIndexOf(index) == 1)
            m_doc->setRootExpanded(false);
    });
    setExpanded(model->indexOfNode(1), doc.rootExpanded());
    showDocumentSelection();
}

void SectionTreeView::editNode(int treeIndex)
{
    const QModelIndex index = m_model ? m_model->indexOfNode(treeIndex) : QModelIndex();
    if (!index.isValid())
        return;
    scrollTo(index);
    edit(index);
}

void SectionTreeView::showDocumentSelection()
{
    showSelectedNode(true);
}

void SectionTreeView::showSelectedNode(bool scroll)
{
    const Quiet quiet(this);
    const QModelIndex index = m_model->indexOfNode(m_doc->selectedNode());
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (scroll)
            scrollTo(index);
    } else {
        // No node selected (after a read or New): the next key press starts from the top.
        selectionModel()->clear();
    }
}

void SectionTreeView::followView()
{
    if (quiet() || !m_doc)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && SectionTreeModel::treeIndexOf(current) != m_doc->selectedNode())
        emit nodeClicked(SectionTreeModel::treeIndexOf(current));
    // Whatever the view did to its selection, it shows the document's selected node.
    const QModelIndex want = m_model->indexOfNode(m_doc->selectedNode());
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    const bool shown = want.isValid() ? selected.size() == 1 && selected.first() == want && current == want
                                      : selected.isEmpty();
    // Put back where it is, without scrolling: the user may be pointing elsewhere.
    if (!shown)
        showSelectedNode(false);
}

QItemSelectionModel::SelectionFlags SectionTreeView::selectionCommand(const QModelIndex &index,
                                                                      const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    // A native tree keeps its selected node: nothing here ever deselects, and empty
    // space selects nothing.
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)
        || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void SectionTreeView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_pressed = indexAt(event->position().toPoint());
    QTreeView::mousePressEvent(event);
}

void SectionTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightReleased(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    const bool click = under.isValid() && under == m_pressed;
    m_pressed = QPersistentModelIndex();
    QTreeView::mouseReleaseEvent(event);
    // A click on the node already selected is a node click too: it sorts the section's
    // list again after New key switched its sorting off.
    if (click)
        emit nodeClicked(SectionTreeModel::treeIndexOf(under));
}

void SectionTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}
