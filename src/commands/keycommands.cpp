#include "keycommands.h"

#include "commandhost.h"
#include "inidocument.h"
#include "valuekind.h"

using namespace Qt::StringLiterals;

KeyCommands::KeyCommands(IniDocument &doc, CommandHost &host) : m_doc(doc), m_host(host)
{
}

int KeyCommands::currentMember() const
{
    const int node = m_doc.selectedNode();
    if (!m_doc.isNode(node))
        return -1;
    return IniDocument::memberOfNode(node);
}

qsizetype KeyCommands::currentRow(int member) const
{
    const KeyList *list = member < 0 ? nullptr : m_doc.list(member);
    if (!list)
        return -1;
    const qsizetype row = list->current();
    return row >= 0 && row < list->count() ? row : -1;
}

void KeyCommands::mnuKeyNew_Click()
{
    const int member = currentMember();
    // Keys are added to sections only; the root's list holds what came before the
    // first header of a file.
    if (member < 2)
        return;
    // Off first, so that the new row stays at the end whatever its name.
    m_doc.setSorting(member, false);
    const qsizetype row = m_doc.appendRow(member, KeyRow(u"新建名称"_s, QString()));
    if (row < 0)
        return;
    m_doc.setCurrentRow(member, row, true);
    m_doc.setFrontList(member);
    m_host.focusKeyList(member);
    m_host.editKeyName(member, row);
}

void KeyCommands::mnuKeyDelete_Click()
{
    const int member = currentMember();
    if (currentRow(member) < 0)
        return;
    if (!m_host.askYesNo(u"Tarnwick"_s, u"你确定要删除名称及数值？删除无法恢复"_s,
                         CommandHost::Icon::None))
        return;
    // Look again after the question rather than trust what was found before it.
    const int memberNow = currentMember();
    const qsizetype row = currentRow(memberNow);
    if (row >= 0)
        m_doc.removeRow(memberNow, row);
}

void KeyCommands::mnuKeyRename_Click()
{
    const int member = currentMember();
    const qsizetype row = currentRow(member);
    if (row >= 0)
        m_host.editKeyName(member, row);
}

void KeyCommands::copyOfCurrentRow(const std::function<QString(const KeyList &, qsizetype)> &text)
{
    const int member = currentMember();
    const qsizetype row = currentRow(member);
    if (row < 0)
        return;
    m_host.clearClipboard();
    m_host.setClipboardText(text(*m_doc.list(member), row));
}

void KeyCommands::mnuKeyCopyName_Click()
{
    copyOfCurrentRow([](const KeyList &keys, qsizetype row) { return keys.name(row); });
}

void KeyCommands::mnuKeyCopyPath_Click()
{
    copyOfCurrentRow([this](const KeyList &keys, qsizetype row) {
        return m_doc.fullPath(m_doc.selectedNode()) + u'\\' + keys.name(row);
    });
}

void KeyCommands::mnuKeyCopyValue_Click()
{
    copyOfCurrentRow([](const KeyList &keys, qsizetype row) { return keys.data(row); });
}

void KeyCommands::mnuKeyChangeData_Click()
{
    const int member = currentMember();
    const qsizetype row = currentRow(member);
    if (row < 0)
        return;
    const KeyRow &key = m_doc.list(member)->row(row);
    ValueEditRequest request;
    GetValueKind(key.data(), request);
    request.EditKeyName = key.name();
    if (!m_host.runValueEditor(request))
        return;

    // The editor is modal, but look the row up again rather than trust a stale position.
    const int memberNow = currentMember();
    qsizetype rowNow = currentRow(memberNow);
    if (rowNow < 0)
        return;
    if (m_doc.list(memberNow)->name(rowNow) != request.EditKeyName)
        rowNow = m_doc.setRowName(memberNow, rowNow, request.EditKeyName);
    if (rowNow >= 0)
        m_doc.setRowData(memberNow, rowNow, request.EditKeyData);
}

KeyMenuFlags KeyCommands::keyMenuFlags(const IniDocument &doc, int member)
{
    KeyMenuFlags flags;
    // With the root selected its own list is the one in front, whatever list is asked.
    const KeyList *list = doc.list(doc.selectedNode() == 1 ? 0 : member);
    const bool rowCommands = list && !list->isEmpty() && list->currentSelected();
    flags.newEnabled = doc.selectedNode() != 1;
    flags.changeDataEnabled = rowCommands;
    flags.deleteEnabled = rowCommands;
    flags.renameEnabled = rowCommands;
    flags.copyNameEnabled = rowCommands;
    flags.copyPathEnabled = rowCommands;
    flags.copyValueEnabled = rowCommands;
    return flags;
}
