#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class CommandHost;
class IniDocument;
class KeyList;

// The enabled flags a right-click over a key list gives the seven items of "名称".
struct KeyMenuFlags
{
    bool newEnabled = false;
    bool changeDataEnabled = false;
    bool deleteEnabled = false;
    bool renameEnabled = false;
    bool copyNameEnabled = false;
    bool copyPathEnabled = false;
    bool copyValueEnabled = false;
};

// The key commands of the menu "名称", Change Data included. They work on the key list
// of the selected node (a section's member number is its tree index; the root's list,
// member 0, holds the keys before the first header) and on that list's current row,
// looked up afresh each time. With no node selected, with the root selected (New), or
// with no current row (all but New), a command does nothing: it asks nothing, opens
// nothing and leaves the clipboard alone.
class KeyCommands
{
public:
    KeyCommands(IniDocument &doc, CommandHost &host);

    // Switches the list's sorting off, appends "新建名称" with empty data as the current,
    // selected row, brings the list to the front, focuses it and starts the name edit.
    void mnuKeyNew_Click();
    // Asks (title "Tarnwick", no icon); on Yes removes the current row and nothing else.
    void mnuKeyDelete_Click();
    // Starts the edit of the current row's name.
    void mnuKeyRename_Click();
    // Clear the clipboard, then put the row's name; root text, "\", section name, "\",
    // row name; or the row's data exactly as shown ("(Empty)" for a key read empty).
    void mnuKeyCopyName_Click();
    void mnuKeyCopyPath_Click();
    void mnuKeyCopyValue_Click();
    // Works out the data's kind (GetValueKind), fills a ValueEditRequest with the name,
    // data and kind, and runs the value editor with it; on OK looks the row up again and
    // writes the name, then the data, unchecked. A sorted list keeps the renamed row in
    // its sorted place.
    void mnuKeyChangeData_Click();

    // New is true unless the root is selected; the six others are true exactly when list
    // `member` has rows and its current row is selected (the root's list too).
    static KeyMenuFlags keyMenuFlags(const IniDocument &doc, int member);

private:
    // The selected node's member number, or -1 with no node selected.
    int currentMember() const;
    // The current row of that list, or -1 when there is none.
    qsizetype currentRow(int member) const;
    // Puts text(list, row) of the current row on the clipboard; nothing without one.
    void copyOfCurrentRow(const std::function<QString(const KeyList &, qsizetype)> &text);

    IniDocument &m_doc;
    CommandHost &m_host;
};
