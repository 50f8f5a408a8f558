#include "sectiontreeview.h"

#include "inidocument.h"
#include "longtextdelegate.h"
#include "sectiontreemodel.h"

#include <QKeyEvent>
#include <QMouseEvent>

SectionTreeView::SectionTreeView(QWidget *parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setItemDelegate(new LongTextDelegate(this));
    setContextMenuPolicy(Qt::PreventContextMenu);
    setUniformRowHeights(true); // keeps 100,000 sections cheap to lay out
}

void SectionTreeView::bind(IniDocument &doc, SectionTreeModel *model)
{
    m_doc = &doc;
    m_model = model;
    setModel(model);
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
    const QModelIndex index = m_model->indexOfNode(m_doc->selectedNode());
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        selectionModel()->clearSelection();
    }
}

void SectionTreeView::takeUserSelection()
{
    if (!m_doc)
        return;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    m_doc->setSelectedNode(selected.isEmpty() ? 0 : SectionTreeModel::treeIndexOf(selected.first()));
}

void SectionTreeView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
    takeUserSelection();
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
    const QModelIndex pressed = currentIndex();
    const QModelIndex under = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (under.isValid() && under == pressed)
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

void SectionTreeView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    takeUserSelection();
    // A user expects the key list to follow a selection made with the keyboard.
    if (currentIndex() != before && currentIndex().isValid())
        emit nodeClicked(SectionTreeModel::treeIndexOf(currentIndex()));
}
