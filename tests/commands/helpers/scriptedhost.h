#pragma once

#include "commandhost.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>
#include <optional>

// A CommandHost for tests. It writes one line per call into `calls` (for example
// "focusTree", "editNodeLabel 2", "askYesNo 删除项|text|Question"), answers questions and
// dialogs from queues, and keeps a fake clipboard. An empty queue answers No, Cancel or
// "no file": a test that forgets to script an answer changes nothing by accident. A call
// made while a busy guard lives is written as "busy: " and the line, so that a command
// that asks or reports under the wait pointer shows in every comparison of calls.
class ScriptedHost : public CommandHost
{
public:
    // What the value editor does with the request; returns the OK (true) or Cancel.
    using EditorScript = std::function<bool(ValueEditRequest &)>;

    QStringList calls;
    QQueue<bool> yesNoAnswers;
    QQueue<std::optional<QString>> fileAnswers; // nullopt cancels
    QQueue<EditorScript> editorScripts;
    QList<ValueEditRequest> editorRequests; // what each value editor was opened with

    int busySpans = 0; // busy guards taken, nested ones too
    int busyDepth = 0; // busy guards alive now

    QString clipboard;
    int clipboardClears = 0;
    int clipboardSets = 0;

    // Calls whose line starts with prefix.
    int count(const QString &prefix) const;

    bool showOpenDialog(FileDialogState &state) override;
    bool showSaveDialog(FileDialogState &state) override;
    bool askYesNo(const QString &title, const QString &text, Icon icon) override;
    void showError(const QString &title, const QString &text) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    void editNodeLabel(int treeIndex) override;
    void editKeyName(int member, qsizetype row) override;
    void focusTree() override;
    void focusKeyList(int member) override;
    bool runValueEditor(ValueEditRequest &request) override;
    void showProperties(const PropertiesInfo &info) override;
    void closeMainWindow() override;

protected:
    void beginBusy() override;
    void endBusy() override;

private:
    void record(const QString &call);
    bool answerFile(const QString &kind, FileDialogState &state);
};
