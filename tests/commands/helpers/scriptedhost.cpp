#include "scriptedhost.h"

using namespace Qt::StringLiterals;

int ScriptedHost::count(const QString &prefix) const
{
    int n = 0;
    for (const QString &call : calls)
        n += call.startsWith(prefix) ? 1 : 0;
    return n;
}

bool ScriptedHost::answerFile(const QString &kind, FileDialogState &state)
{
    calls << kind + u' ' + state.title;
    const std::optional<QString> answer = fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
    if (!answer)
        return false;
    state.fileName = *answer;
    return true;
}

bool ScriptedHost::showOpenDialog(FileDialogState &state)
{
    return answerFile(u"showOpenDialog"_s, state);
}

bool ScriptedHost::showSaveDialog(FileDialogState &state)
{
    return answerFile(u"showSaveDialog"_s, state);
}

bool ScriptedHost::askYesNo(const QString &title, const QString &text, Icon icon)
{
    calls << u"askYesNo "_s + title + u'|' + text + u'|'
                 + (icon == Icon::Question ? u"Question"_s : u"None"_s);
    return !yesNoAnswers.isEmpty() && yesNoAnswers.dequeue();
}

void ScriptedHost::showError(const QString &title, const QString &text)
{
    calls << u"showError "_s + title + u'|' + text;
}

void ScriptedHost::clearClipboard()
{
    calls << u"clearClipboard"_s;
    clipboard.clear();
    ++clipboardClears;
}

void ScriptedHost::setClipboardText(const QString &text)
{
    calls << u"setClipboardText "_s + text;
    clipboard = text;
    ++clipboardSets;
}

void ScriptedHost::editNodeLabel(int treeIndex)
{
    calls << u"editNodeLabel "_s + QString::number(treeIndex);
}

void ScriptedHost::editKeyName(int member, qsizetype row)
{
    calls << u"editKeyName "_s + QString::number(member) + u' ' + QString::number(row);
}

void ScriptedHost::focusTree()
{
    calls << u"focusTree"_s;
}

void ScriptedHost::focusKeyList(int member)
{
    calls << u"focusKeyList "_s + QString::number(member);
}

bool ScriptedHost::runValueEditor(ValueEditRequest &request)
{
    calls << u"runValueEditor "_s + request.EditKeyName;
    editorRequests << request;
    if (editorScripts.isEmpty())
        return false;
    return editorScripts.dequeue()(request);
}

void ScriptedHost::showProperties(const PropertiesInfo &info)
{
    calls << u"showProperties "_s + info.title;
}

void ScriptedHost::closeMainWindow()
{
    calls << u"closeMainWindow"_s;
}
