#include "sectioncommands.h"

#include "commandhost.h"
#include "inidocument.h"

using namespace Qt::StringLiterals;

SectionCommands::SectionCommands(IniDocument &doc, CommandHost &host) : m_doc(doc), m_host(host)
{
}

void SectionCommands::mnuSectionNew_Click()
{
    const int node = m_doc.addSection(u"新建项"_s);
    if (!m_doc.isNode(node))
        return;
    m_doc.setFrontList(IniDocument::memberOfNode(node));
    // Selecting a node shows it, as a native tree does: a collapsed root (after File
    // New) opens, and the name edit starts where the user can see it.
    m_doc.setRootExpanded(true);
    m_doc.setSelectedNode(node);
    m_host.focusTree();
    m_host.editNodeLabel(node);
    m_doc.setStatusTexts(m_doc.statusPath(), m_doc.sectionCountText());
}

void SectionCommands::mnuSectionDelete_Click()
{
    const int node = m_doc.selectedNode();
    // The root has no list of its own to give up (member 1 does not exist), so deleting
    // it would have nothing sound to do.
    if (node < 2 || !m_doc.isNode(node))
        return;
    const QString text = u"你确定要删除项？删除无法恢复 \""_s + m_doc.nodeText(node) + u'"';
    if (!m_host.askYesNo(u"删除项"_s, text, CommandHost::Icon::Question))
        return;

    // The later sections' lists are renumbered, a while on a large document.
    const CommandHost::BusyGuard busy(m_host);
    const bool wasLast = node == m_doc.nodeCount();
    if (!m_doc.removeSection(node))
        return;
    if (wasLast) {
        m_doc.setSelectedNode(1);
        m_doc.setFrontList(0);
    } else {
        // The following section now has the removed one's tree index and member number.
        m_doc.setFrontList(node);
        m_doc.setSelectedNode(node);
    }
    m_doc.setStatusTexts(m_doc.statusPath(), m_doc.sectionCountText());
}

void SectionCommands::mnuSectionRename_Click()
{
    const int node = m_doc.selectedNode();
    if (m_doc.isNode(node))
        m_host.editNodeLabel(node);
}

void SectionCommands::copyOfSelectedNode(QString (IniDocument::*text)(int) const)
{
    const int node = m_doc.selectedNode();
    if (!m_doc.isNode(node))
        return;
    m_host.clearClipboard();
    m_host.setClipboardText((m_doc.*text)(node));
}

void SectionCommands::mnuSectionCopyName_Click()
{
    copyOfSelectedNode(&IniDocument::nodeText);
}

void SectionCommands::mnuSectionCopyPath_Click()
{
    copyOfSelectedNode(&IniDocument::fullPath);
}

void SectionCommands::tvwSections_NodeClick(int treeIndex)
{
    if (!m_doc.isNode(treeIndex))
        return;
    if (m_doc.selectedNode() != treeIndex)
        m_doc.setSelectedNode(treeIndex);
    const int member = IniDocument::memberOfNode(treeIndex);
    if (member == 0 || m_doc.list(member)->sorted()) {
        m_doc.setFrontList(member);
        return;
    }
    // The first click sorts the list, which takes a while on a large one.
    const CommandHost::BusyGuard busy(m_host);
    m_doc.setSorting(member, true, Qt::AscendingOrder);
    m_doc.setFrontList(member);
}

SectionMenuFlags SectionCommands::sectionMenuFlags(const IniDocument &doc)
{
    const bool enabled = doc.selectedNode() != 1;
    return {enabled, enabled, enabled, enabled};
}
