#pragma once

#include <QString>

class CommandHost;
class IniDocument;

// The enabled flags a right-click over the section tree gives the items of "操作".
// New is not among them: it is always enabled.
struct SectionMenuFlags
{
    bool deleteEnabled = false;
    bool renameEnabled = false;
    bool copyNameEnabled = false;
    bool copyPathEnabled = false;
};

// The section commands of the menu "操作" and the section tree's node click. Each
// command finds the selected node afresh in the document; with no node selected every
// command but New does nothing.
class SectionCommands
{
public:
    SectionCommands(IniDocument &doc, CommandHost &host);

    // Appends a section "新建项" with an empty list, brings its list to the front,
    // expands the root and selects it, focuses the tree, starts the edit of its label
    // and shows the new section count in the status bar.
    void mnuSectionNew_Click();

    // Asks "删除项" with the section's name; on Yes removes the section. The following
    // section (which takes the removed one's tree index) ends selected with its list in
    // front; when the last section was removed, the root ends selected with member 0 in
    // front. The later sections keep their rows, in new unsorted lists. With the root
    // selected nothing happens and nothing is asked.
    void mnuSectionDelete_Click();

    // Starts the edit of the selected node's label (the root's too).
    void mnuSectionRename_Click();

    // Clear the clipboard, then put the selected node's text, or its full path (root
    // text, "\", section name; the root text alone for the root), on it.
    void mnuSectionCopyName_Click();
    void mnuSectionCopyPath_Click();

    // A click on the node at treeIndex. The node becomes the selected one if it is not
    // already. The root brings member 0 to the front and touches no sorting; a section
    // first switches its list's sorting on, ascending, if it was off (a list already
    // sorted keeps its settings), then brings the list to the front.
    void tvwSections_NodeClick(int treeIndex);

    // Root selected: all four false. Otherwise (a section or no node selected): all true.
    static SectionMenuFlags sectionMenuFlags(const IniDocument &doc);

private:
    // Puts text(selected node) on the clipboard; nothing without a selected node.
    void copyOfSelectedNode(QString (IniDocument::*text)(int) const);

    IniDocument &m_doc;
    CommandHost &m_host;
};
