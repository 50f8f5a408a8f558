#pragma once

#include <QAbstractItemModel>
#include <QIcon>

class IniDocument;

// The section tree of a document as an item model: one top-level item, the root node,
// whose children are the sections in tree order. Tree index 1 is the root; tree index
// i >= 2 is child row i - 2. The root shows image 3, a section image 1, or image 4
// while it is the document's selected node; a node's tooltip is its text (CellText::toolTip).
// A section's name is editable and is
// written back unchecked through the document. Sections never have children (their
// flags say so), which keeps the view's layout of many sections cheap.
class SectionTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit SectionTreeModel(IniDocument &doc, QObject *parent = nullptr);

    QModelIndex indexOfNode(int treeIndex) const;
    // 0 for an invalid index.
    static int treeIndexOf(const QModelIndex &index);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The one column's heading, "项", which only assistive technology gets to see.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void connectDocument();
    void nodeChanged(int treeIndex);

    IniDocument &m_doc;
    QIcon m_rootIcon;
    QIcon m_sectionIcon;
    QIcon m_openIcon;
    int m_shownSelected = 0; // the node drawn with the open folder
};
