#include "scriptedhost.h"

using namespace Qt::StringLiterals;

int ScriptedHost::count(const QString &prefix) const
{
    int n = 0;
    for (const QString &call : calls)
        n += call.startsWith(prefix) ? 1 : 0;
    return n;
}

void ScriptedHost::record(const QString &call)
{
    calls << (busyDepth > 0 ? u"busy: "_s + call : call);
}

void ScriptedHost::beginBusy()
{
    ++busySpans;
    ++busyDepth;
}

void ScriptedHost::endBusy()
{
    --busyDepth;
}

bool ScriptedHost::answerFile(const QString &kind, FileDialogState &state)
{
    record(kind + u' ' + state.title);
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
    record(u"askYesNo "_s + title + u'|' + text + u'|'
                 + (icon == Icon::Question ? u"Question"_s : u"None"_s));
    return !yesNoAnswers.isEmpty() && yesNoAnswers.dequeue();
}

void ScriptedHost::showError(const QString &title, const QString &text)
{
    record(u"showError "_s + title + u'|' + text);
}

void ScriptedHost::clearClipboard()
{
    record(u"clearClipboard"_s);
    clipboard.clear();
    ++clipboardClears;
}

void ScriptedHost::setClipboardText(const QString &text)
{
    record(u"setClipboardText "_s + text);
    clipboard = text;
    ++clipboardSets;
}

void ScriptedHost::editNodeLabel(int treeIndex)
{
    record(u"editNodeLabel "_s + QString::number(treeIndex));
}

void ScriptedHost::editKeyName(int member, qsizetype row)
{
    record(u"editKeyName "_s + QString::number(member) + u' ' + QString::number(row));
}

void ScriptedHost::focusTree()
{
    record(u"focusTree"_s);
}

void ScriptedHost::focusKeyList(int member)
{
    record(u"focusKeyList "_s + QString::number(member));
}

bool ScriptedHost::runValueEditor(ValueEditRequest &request)
{
    record(u"runValueEditor "_s + request.EditKeyName);
    editorRequests << request;
    if (editorScripts.isEmpty())
        return false;
    return editorScripts.dequeue()(request);
}

void ScriptedHost::showProperties(const PropertiesInfo &info)
{
    record(u"showProperties "_s + info.title);
}

void ScriptedHost::closeMainWindow()
{
    record(u"closeMainWindow"_s);
}
