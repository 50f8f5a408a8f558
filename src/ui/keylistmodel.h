#pragma once

#include <QAbstractTableModel>
#include <QIcon>

class IniDocument;
class KeyList;

// The document's front list as a two-column table: "名称" (the key name, editable,
// written back unchecked through the document) and "数据" (the data). Every row shows
// image 2. A cell displays at most the first few thousand characters of its text
// (CellText::shown), edits the whole text and has it as its tooltip (CellText::toolTip).
// Bringing another list to the front, a read and a re-sort are one reset each;
// inserting, removing, moving and changing rows of the front list are passed on row by
// row. Changes to lists behind the front one are not shown, so they cost nothing here.
class KeyListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit KeyListModel(IniDocument &doc, QObject *parent = nullptr);

    // The member number of the list shown.
    int member() const { return m_member; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void connectDocument();
    const KeyList *shown() const;
    bool isShown(int member) const { return !m_resetting && member == m_member; }
    void beginReset();
    void endReset();

    IniDocument &m_doc;
    QIcon m_keyIcon;
    int m_member = 0;
    bool m_resetting = false;
};
