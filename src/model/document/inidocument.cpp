#include "inidocument.h"

#include <algorithm>

using namespace Qt::StringLiterals;

IniDocument::IniDocument(QObject *parent)
    : QObject(parent),
      m_rootText(untitledName()),
      m_path(untitledPath()),
      m_statusPath(untitledName()),
      m_statusCount(u"0 项"_s)
{
}

IniDocument::~IniDocument() = default;

QString IniDocument::nodeText(int treeIndex) const
{
    if (treeIndex == 1)
        return m_rootText;
    if (!isNode(treeIndex))
        return {};
    return m_content.sections[size_t(treeIndex - 2)]->name;
}

QString IniDocument::fullPath(int treeIndex) const
{
    if (treeIndex == 1)
        return m_rootText;
    if (!isNode(treeIndex))
        return {};
    return m_rootText + u'\\' + m_content.sections[size_t(treeIndex - 2)]->name;
}

const KeyList *IniDocument::list(int member) const
{
    if (member == 0)
        return &m_content.rootKeys;
    if (!isMember(member))
        return nullptr;
    return &m_content.sections[size_t(member - 2)]->keys;
}

KeyList *IniDocument::mutableList(int member)
{
    return const_cast<KeyList *>(std::as_const(*this).list(member));
}

qint64 IniDocument::keyTotal() const
{
    qint64 total = m_content.rootKeys.count();
    for (const auto &section : m_content.sections)
        total += section->keys.count();
    return total;
}

QString IniDocument::sectionCountText() const
{
    return QString::number(nodeCount() - 1) + u" 项目"_s;
}

void IniDocument::clear(const QString &rootText)
{
    DocumentContent empty;
    empty.encoding = defaultNewFileEncoding();
    reset(m_path, rootText, std::move(empty));
    m_rootExpanded = false;
}

void IniDocument::reset(const QString &path, const QString &rootText, DocumentContent &&content)
{
    emit aboutToReset();
    m_content = std::move(content);
    finishReset(path, rootText);
}

void IniDocument::resetAsReadBack(const QString &path, const QString &rootText, TextEncoding encoding)
{
    emit aboutToReset();
    m_content.rootKeys.settleAsReadBack();
    for (const auto &section : m_content.sections)
        section->keys.settleAsReadBack();
    m_content.encoding = encoding;
    finishReset(path, rootText);
}

void IniDocument::finishReset(const QString &path, const QString &rootText)
{
    m_rootText = rootText;
    m_rootExpanded = !m_content.sections.empty();
    m_selectedNode = 0;
    m_frontList = 0;
    const bool pathChange = m_path != path;
    m_path = path;
    emit resetDone();
    if (pathChange)
        emit pathChanged();
}

void IniDocument::setPath(const QString &path)
{
    if (m_path == path)
        return;
    m_path = path;
    emit pathChanged();
}

void IniDocument::setStatusTexts(const QString &pathText, const QString &countText)
{
    if (m_statusPath == pathText && m_statusCount == countText)
        return;
    m_statusPath = pathText;
    m_statusCount = countText;
    emit statusTextsChanged();
}

int IniDocument::addSection(const QString &name)
{
    const int treeIndex = nodeCount() + 1;
    emit sectionAboutToBeInserted(treeIndex);
    auto section = std::make_unique<Section>();
    section->name = name;
    m_content.sections.push_back(std::move(section));
    emit sectionInserted(treeIndex);
    return treeIndex;
}

bool IniDocument::removeSection(int treeIndex)
{
    if (treeIndex < 2 || treeIndex > nodeCount())
        return false;
    emit sectionAboutToBeRemoved(treeIndex);
    m_content.sections.erase(m_content.sections.begin() + (treeIndex - 2));
    // The later sections now sit one tree index lower and meet their rows there, but
    // their lists count as new ones: nothing of a list's own state survives the move.
    for (size_t i = size_t(treeIndex - 2); i < m_content.sections.size(); ++i) {
        KeyList &keys = m_content.sections[i]->keys;
        keys.setSorting(false);
        keys.setCurrent(-1, false);
    }
    // A later node moves up with its place; a removed selected node passes the
    // selection to the node that followed it, as a tree control does, or to none.
    const int selectedBefore = m_selectedNode;
    const int frontBefore = m_frontList;
    if (m_selectedNode > treeIndex)
        --m_selectedNode;
    else if (m_selectedNode == treeIndex && treeIndex > nodeCount())
        m_selectedNode = 0;
    if (m_frontList > treeIndex)
        --m_frontList;
    else if (m_frontList == treeIndex && treeIndex > nodeCount())
        m_frontList = 0;
    emit sectionRemoved(treeIndex);
    if (m_selectedNode != selectedBefore)
        emit selectedNodeChanged(m_selectedNode);
    if (m_frontList != frontBefore)
        emit frontListChanged(m_frontList);
    if (treeIndex <= nodeCount())
        emit listsRenumbered(treeIndex);
    return true;
}

bool IniDocument::setNodeText(int treeIndex, const QString &text)
{
    if (treeIndex == 1)
        m_rootText = text;
    else if (isNode(treeIndex))
        m_content.sections[size_t(treeIndex - 2)]->name = text;
    else
        return false;
    emit nodeTextChanged(treeIndex);
    return true;
}

void IniDocument::setRootExpanded(bool expanded)
{
    if (m_rootExpanded == expanded)
        return;
    m_rootExpanded = expanded;
    emit rootExpandedChanged(expanded);
}

bool IniDocument::setSelectedNode(int treeIndex)
{
    if (treeIndex != 0 && !isNode(treeIndex))
        return false;
    if (m_selectedNode != treeIndex) {
        m_selectedNode = treeIndex;
        emit selectedNodeChanged(treeIndex);
    }
    return true;
}

bool IniDocument::setFrontList(int member)
{
    if (!isMember(member))
        return false;
    if (m_frontList != member) {
        m_frontList = member;
        emit frontListChanged(member);
    }
    return true;
}

qsizetype IniDocument::insertRow(int member, qsizetype pos, KeyRow row)
{
    KeyList *keys = mutableList(member);
    if (!keys)
        return -1;
    const qsizetype at = keys->insertPosition(pos, row.name());
    emit rowAboutToBeInserted(member, at);
    keys->insert(at, std::move(row));
    emit rowInserted(member, at);
    return at;
}

bool IniDocument::removeRow(int member, qsizetype pos)
{
    KeyList *keys = mutableList(member);
    if (!keys || pos < 0 || pos >= keys->count())
        return false;
    const bool wasCurrent = keys->current() == pos;
    emit rowAboutToBeRemoved(member, pos);
    keys->remove(pos);
    emit rowRemoved(member, pos);
    if (wasCurrent)
        emit currentRowChanged(member);
    return true;
}

qsizetype IniDocument::setRowName(int member, qsizetype pos, const QString &name)
{
    KeyList *keys = mutableList(member);
    if (!keys || pos < 0 || pos >= keys->count())
        return -1;
    const qsizetype to = keys->renamedPosition(pos, name);
    if (to != pos)
        emit rowAboutToBeMoved(member, pos, to);
    keys->setName(pos, name);
    if (to != pos) {
        keys->move(pos, to);
        emit rowMoved(member, pos, to);
    }
    emit rowChanged(member, to);
    return to;
}

bool IniDocument::setRowData(int member, qsizetype pos, const QString &data)
{
    KeyList *keys = mutableList(member);
    if (!keys || pos < 0 || pos >= keys->count())
        return false;
    keys->setData(pos, data);
    emit rowChanged(member, pos);
    return true;
}

bool IniDocument::setCurrentRow(int member, qsizetype pos, bool selected)
{
    KeyList *keys = mutableList(member);
    if (!keys)
        return false;
    if (pos < 0 || pos >= keys->count()) {
        pos = -1;
        selected = false;
    }
    if (keys->current() == pos && keys->currentSelected() == selected)
        return true;
    keys->setCurrent(pos, selected);
    emit currentRowChanged(member);
    return true;
}

bool IniDocument::setSorting(int member, bool on, Qt::SortOrder order)
{
    KeyList *keys = mutableList(member);
    if (!keys)
        return false;
    const bool resort = keys->sortingReorders(on, order);
    if (resort)
        emit listAboutToBeReordered(member);
    keys->setSorting(on, order);
    if (resort) {
        emit listReordered(member);
        emit currentRowChanged(member);
    }
    return true;
}

void IniDocument::showOpened()
{
    setStatusTexts(m_path, sectionCountText());
    setSelectedNode(1);
}
