#pragma once

#include "documentcontent.h"

#include <QObject>
#include <QString>

// The edited document: the section tree, its key lists and the document state.
//
// Numbering. Nodes have 1-based tree indexes: the root node is 1, the sections are 2 up
// to nodeCount(), in creation order. Key lists have member numbers: the root owns
// member 0 and the section at tree index i owns member i. Member 1 never exists, so the
// existing members are 0 and 2..nodeCount(). Calls that name a member or a tree index
// that does not exist do nothing and report it (nullptr, false or -1); they never
// touch memory they should not.
//
// Every change goes through this class, which tells views about it with the signals
// below: "about to" before, the plain signal after. A read replaces everything with one
// reset. No operation copies rows it does not have to: removing a section renumbers the
// later lists by moving pointers.
class IniDocument : public QObject
{
    Q_OBJECT
public:
    explicit IniDocument(QObject *parent = nullptr);
    ~IniDocument() override;

    static QString untitledPath() { return QStringLiteral("Untitled"); }
    static QString untitledName() { return QStringLiteral("Untitled.ini"); }

    // --- the tree ---
    int nodeCount() const { return int(m_content.sections.size()) + 1; }
    int sectionCount() const { return int(m_content.sections.size()); }
    bool isNode(int treeIndex) const { return treeIndex >= 1 && treeIndex <= nodeCount(); }
    // The node's text: the root text for 1, the section name otherwise.
    QString nodeText(int treeIndex) const;
    QString rootText() const { return m_rootText; }
    // Root text, "\" and the section name; the root text alone for the root.
    QString fullPath(int treeIndex) const;
    bool rootExpanded() const { return m_rootExpanded; }
    // 0 when no node is selected.
    int selectedNode() const { return m_selectedNode; }

    // --- key lists ---
    static int memberOfNode(int treeIndex) { return treeIndex == 1 ? 0 : treeIndex; }
    bool isMember(int member) const { return member == 0 || (member >= 2 && member <= nodeCount()); }
    const KeyList *list(int member) const;
    int frontList() const { return m_frontList; }
    // Keys in all lists, the root's list included.
    qint64 keyTotal() const;

    // --- document state ---
    QString path() const { return m_path; }
    bool hasFile() const { return m_path != untitledPath(); }
    TextEncoding encoding() const { return m_content.encoding; }
    QString statusPath() const { return m_statusPath; }
    QString statusCount() const { return m_statusCount; }
    // The node count minus 1 followed by " 项目".
    QString sectionCountText() const;

    // --- whole-document changes ---
    // Empties the document: the root node with rootText, no sections, member 0 empty, no
    // node selected, root collapsed, member 0 in front. Path and status texts stay.
    void clear(const QString &rootText);
    // Replaces tree and lists with content in one reset; path and root text as given,
    // the root node expanded when there are sections, no node selected, member 0 in front.
    void reset(const QString &path, const QString &rootText, DocumentContent &&content);
    // The same reset with the document's own sections and lists, each list as a read of
    // its written lines leaves it (KeyList::settleAsReadBack), in encoding: what reading the
    // document's own file gives, without a second copy of it.
    void resetAsReadBack(const QString &path, const QString &rootText, TextEncoding encoding);
    void setPath(const QString &path);
    void setEncoding(TextEncoding encoding) { m_content.encoding = encoding; }
    void setStatusTexts(const QString &pathText, const QString &countText);
    // How the window shows a document just read from its file: the status texts become
    // the path and the section count text, and the root node is selected.
    void showOpened();

    // --- tree changes ---
    // Adds a section at the end with an empty, unsorted list; returns its tree index.
    int addSection(const QString &name);
    // Removes the section at treeIndex (2..nodeCount()). The later sections keep their
    // rows in order but their lists are new: sorting off, no current row. A selected node
    // or front list after the removed one moves down with it; the removed one's selection
    // and front place pass to the section that followed it, or to no node and member 0
    // when it was the last.
    bool removeSection(int treeIndex);
    bool setNodeText(int treeIndex, const QString &text);
    void setRootExpanded(bool expanded);
    bool setSelectedNode(int treeIndex); // 0 clears the selection

    // --- list changes ---
    bool setFrontList(int member);
    // Returns the position the row took, or -1 when member does not exist.
    qsizetype insertRow(int member, qsizetype pos, KeyRow row);
    qsizetype appendRow(int member, KeyRow row) { return insertRow(member, -1, std::move(row)); }
    bool removeRow(int member, qsizetype pos);
    // Returns the row's position after the rename (it moves in a sorted list), or -1.
    qsizetype setRowName(int member, qsizetype pos, const QString &name);
    bool setRowData(int member, qsizetype pos, const QString &data);
    bool setCurrentRow(int member, qsizetype pos, bool selected);
    bool setSorting(int member, bool on, Qt::SortOrder order = Qt::AscendingOrder);

    // The sections in tree order, the root's keys and the encoding (what a writer writes).
    const DocumentContent &content() const { return m_content; }
    const std::vector<std::unique_ptr<Section>> &sections() const { return m_content.sections; }

signals:
    void aboutToReset();
    void resetDone();
    void sectionAboutToBeInserted(int treeIndex);
    void sectionInserted(int treeIndex);
    void sectionAboutToBeRemoved(int treeIndex);
    void sectionRemoved(int treeIndex);
    // The lists of members first..nodeCount() were replaced by new ones (after a removal).
    void listsRenumbered(int firstMember);
    void nodeTextChanged(int treeIndex);
    void rootExpandedChanged(bool expanded);
    void selectedNodeChanged(int treeIndex);
    void frontListChanged(int member);
    void rowAboutToBeInserted(int member, qsizetype pos);
    void rowInserted(int member, qsizetype pos);
    void rowAboutToBeRemoved(int member, qsizetype pos);
    void rowRemoved(int member, qsizetype pos);
    // A renamed row of a sorted list moves from `from` to its final position `to`.
    void rowAboutToBeMoved(int member, qsizetype from, qsizetype to);
    void rowMoved(int member, qsizetype from, qsizetype to);
    void rowChanged(int member, qsizetype pos);
    void listAboutToBeReordered(int member);
    void listReordered(int member);
    void currentRowChanged(int member);
    void pathChanged();
    void statusTextsChanged();

private:
    KeyList *mutableList(int member);
    // The end of a reset, after the lists were replaced: everything else as reset() says.
    void finishReset(const QString &path, const QString &rootText);

    DocumentContent m_content;
    QString m_rootText;
    QString m_path;
    QString m_statusPath;
    QString m_statusCount;
    int m_selectedNode = 0;
    int m_frontList = 0;
    bool m_rootExpanded = false;
};
