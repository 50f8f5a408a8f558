#include "keylistmodel.h"

#include "celltext.h"
#include "inidocument.h"
#include "keylist.h"

using namespace Qt::StringLiterals;

KeyListModel::KeyListModel(IniDocument &doc, QObject *parent)
    : QAbstractTableModel(parent),
      m_doc(doc),
      m_keyIcon(u":/icons/key.svg"_s),
      m_member(doc.frontList())
{
    connectDocument();
}

void KeyListModel::beginReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void KeyListModel::endReset()
{
    if (!m_resetting)
        return;
    m_member = m_doc.frontList();
    m_resetting = false;
    endResetModel();
}

void KeyListModel::connectDocument()
{
    connect(&m_doc, &IniDocument::aboutToReset, this, &KeyListModel::beginReset);
    connect(&m_doc, &IniDocument::resetDone, this, &KeyListModel::endReset);
    connect(&m_doc, &IniDocument::frontListChanged, this, [this](int member) {
        if (m_resetting || member == m_member)
            return;
        beginReset();
        endReset();
    });

    // A removed section takes its list with it and renumbers the later ones, so the
    // shown list may be gone or be another object now: show it afresh.
    connect(&m_doc, &IniDocument::sectionAboutToBeRemoved, this, [this](int treeIndex) {
        if (m_member >= treeIndex)
            beginReset();
    });
    connect(&m_doc, &IniDocument::sectionRemoved, this, &KeyListModel::endReset);
    connect(&m_doc, &IniDocument::listsRenumbered, this, [this](int first) {
        if (!m_resetting && m_member >= first) {
            beginReset();
            endReset();
        }
    });

    connect(&m_doc, &IniDocument::rowAboutToBeInserted, this, [this](int member, qsizetype pos) {
        if (isShown(member))
            beginInsertRows({}, int(pos), int(pos));
    });
    connect(&m_doc, &IniDocument::rowInserted, this, [this](int member) {
        if (isShown(member))
            endInsertRows();
    });
    connect(&m_doc, &IniDocument::rowAboutToBeRemoved, this, [this](int member, qsizetype pos) {
        if (isShown(member))
            beginRemoveRows({}, int(pos), int(pos));
    });
    connect(&m_doc, &IniDocument::rowRemoved, this, [this](int member) {
        if (isShown(member))
            endRemoveRows();
    });
    connect(&m_doc, &IniDocument::rowAboutToBeMoved, this,
            [this](int member, qsizetype from, qsizetype to) {
                if (!isShown(member) || from == to)
                    return;
                // Qt counts the destination before the row leaves its place.
                const int destination = int(to > from ? to + 1 : to);
                beginMoveRows({}, int(from), int(from), {}, destination);
            });
    connect(&m_doc, &IniDocument::rowMoved, this, [this](int member, qsizetype from, qsizetype to) {
        if (isShown(member) && from != to)
            endMoveRows();
    });
    connect(&m_doc, &IniDocument::rowChanged, this, [this](int member, qsizetype pos) {
        if (isShown(member))
            emit dataChanged(index(int(pos), 0), index(int(pos), 1));
    });
    connect(&m_doc, &IniDocument::listAboutToBeReordered, this, [this](int member) {
        if (isShown(member))
            beginReset();
    });
    connect(&m_doc, &IniDocument::listReordered, this, [this](int member) {
        if (member == m_member)
            endReset();
    });
}

const KeyList *KeyListModel::shown() const
{
    return m_doc.list(m_member);
}

// The view asks for the index of every row each time it lays out the list, a million
// times for a large section: answer without the virtual calls of hasIndex().
QModelIndex KeyListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || column > 1)
        return {};
    const KeyList *list = shown();
    if (!list || row >= list->count())
        return {};
    return createIndex(row, column);
}

int KeyListModel::rowCount(const QModelIndex &parent) const
{
    const KeyList *list = shown();
    if (parent.isValid() || !list)
        return 0;
    return int(list->count());
}

int KeyListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant KeyListModel::data(const QModelIndex &index, int role) const
{
    const KeyList *list = shown();
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !list || index.row() >= list->count())
        return {};
    const auto stored = [&] {
        return index.column() == 0 ? list->storedName(index.row()) : list->storedData(index.row());
    };
    // A list keeps a text in Latin-1 where it can; a whole copy of a name of many
    // megabytes for each paint would freeze the view, so only the editor gets one.
    const auto cell = [](const KeyList::StoredText &text, auto convert) {
        return text.wide ? convert(text.utf16) : convert(text.latin1);
    };
    switch (role) {
    case Qt::DisplayRole:
        return cell(stored(), [](auto text) { return CellText::shown(text); });
    case Qt::EditRole:
        // Only the text asked for: a whole row would copy both.
        return index.column() == 0 ? list->name(index.row()) : list->data(index.row());
    case Qt::ToolTipRole:
        return cell(stored(), [](auto text) { return CellText::toolTip(text); });
    case Qt::DecorationRole:
        if (index.column() == 0)
            return m_keyIcon;
        return {};
    default:
        return {};
    }
}

QVariant KeyListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (section != 0 && section != 1))
        return {};
    if (role == Qt::DisplayRole)
        return section == 0 ? u"名称"_s : u"数据"_s;
    if (role == Qt::AccessibleDescriptionRole)
        return section == 0 ? u"每个键的名称"_s : u"每个键的数据"_s;
    return {};
}

bool KeyListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() != 0
        || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    return m_doc.setRowName(m_member, index.row(), value.toString()) >= 0;
}

Qt::ItemFlags KeyListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Rows never have children: the view then spares itself a look for them on each row.
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        result |= Qt::ItemIsEditable;
    return result;
}
