#include "sectiontreemodel.h"

#include "celltext.h"
#include "inidocument.h"

using namespace Qt::StringLiterals;

// Internal ids: 0 marks the root item, 1 marks a section (its parent is the root).
namespace {
constexpr quintptr rootId = 0;
constexpr quintptr sectionId = 1;
}

SectionTreeModel::SectionTreeModel(IniDocument &doc, QObject *parent)
    : QAbstractItemModel(parent),
      m_doc(doc),
      m_rootIcon(u":/icons/root.svg"_s),
      m_sectionIcon(u":/icons/section.svg"_s),
      m_openIcon(u":/icons/section-open.svg"_s),
      m_shownSelected(doc.selectedNode())
{
    connectDocument();
}

void SectionTreeModel::connectDocument()
{
    connect(&m_doc, &IniDocument::aboutToReset, this, [this] { beginResetModel(); });
    connect(&m_doc, &IniDocument::resetDone, this, [this] {
        m_shownSelected = m_doc.selectedNode();
        endResetModel();
    });
    connect(&m_doc, &IniDocument::sectionAboutToBeInserted, this, [this](int treeIndex) {
        beginInsertRows(indexOfNode(1), treeIndex - 2, treeIndex - 2);
    });
    connect(&m_doc, &IniDocument::sectionInserted, this, [this] { endInsertRows(); });
    connect(&m_doc, &IniDocument::sectionAboutToBeRemoved, this, [this](int treeIndex) {
        beginRemoveRows(indexOfNode(1), treeIndex - 2, treeIndex - 2);
    });
    connect(&m_doc, &IniDocument::sectionRemoved, this, [this] {
        endRemoveRows();
        // The removal renumbers the nodes after it, and the selected node with them.
        const int before = m_shownSelected;
        m_shownSelected = m_doc.selectedNode();
        if (before != m_shownSelected && m_doc.isNode(before))
            nodeChanged(before);
        nodeChanged(m_shownSelected);
    });
    connect(&m_doc, &IniDocument::nodeTextChanged, this, &SectionTreeModel::nodeChanged);
    connect(&m_doc, &IniDocument::selectedNodeChanged, this, [this](int treeIndex) {
        const int before = m_shownSelected;
        m_shownSelected = treeIndex;
        nodeChanged(before);
        nodeChanged(treeIndex);
    });
}

void SectionTreeModel::nodeChanged(int treeIndex)
{
    const QModelIndex index = indexOfNode(treeIndex);
    if (index.isValid())
        emit dataChanged(index, index);
}

QModelIndex SectionTreeModel::indexOfNode(int treeIndex) const
{
    if (!m_doc.isNode(treeIndex))
        return {};
    if (treeIndex == 1)
        return createIndex(0, 0, rootId);
    return createIndex(treeIndex - 2, 0, sectionId);
}

int SectionTreeModel::treeIndexOf(const QModelIndex &index)
{
    if (!index.isValid())
        return 0;
    return index.internalId() == rootId ? 1 : index.row() + 2;
}

// The tree view asks for every row's index, flags and children each time it lays out
// 100,000 sections, which it does after every insertion or removal: these answer from
// the index alone, without the virtual rowCount() and columnCount() of hasIndex().
QModelIndex SectionTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, rootId) : QModelIndex();
    if (parent.internalId() != rootId || parent.column() != 0 || parent.model() != this
        || row >= m_doc.sectionCount())
        return {};
    return createIndex(row, 0, sectionId);
}

QModelIndex SectionTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == rootId)
        return {};
    return createIndex(0, 0, rootId);
}

bool SectionTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return true;
    return parent.internalId() == rootId && parent.column() == 0 && m_doc.sectionCount() > 0;
}

int SectionTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() == 0 && parent.internalId() == rootId)
        return m_doc.sectionCount();
    return 0;
}

int SectionTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant SectionTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The view hides its header; a screen reader still announces the column.
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return u"项"_s;
    return {};
}

QVariant SectionTreeModel::data(const QModelIndex &index, int role) const
{
    const int treeIndex = treeIndexOf(index);
    if (!m_doc.isNode(treeIndex))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_doc.nodeText(treeIndex);
    case Qt::ToolTipRole:
        return CellText::toolTip(m_doc.nodeText(treeIndex));
    case Qt::DecorationRole:
        if (treeIndex == 1)
            return m_rootIcon;
        return treeIndex == m_shownSelected ? m_openIcon : m_sectionIcon;
    default:
        return {};
    }
}

bool SectionTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int treeIndex = treeIndexOf(index);
    if (role != Qt::EditRole || !m_doc.isNode(treeIndex))
        return false;
    return m_doc.setNodeText(treeIndex, value.toString());
}

Qt::ItemFlags SectionTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The root's label can be edited too; the commands decide whether to start an edit.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    // Saying so spares the view a look for children and expansion on each section.
    return index.internalId() == rootId ? flags : flags | Qt::ItemNeverHasChildren;
}
