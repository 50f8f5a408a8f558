#pragma once

#include "valuekind.h"

#include <QString>

// The shared file dialog's settings. They persist between uses: each command sets the
// title and filter before it shows the dialog, the initial folder is set once at start,
// and the file name is what the user chose (or the text the dialog opens with).
// The filter uses "|"-separated pairs: "描述 (*.ini)|*.ini|全部文件 (*.*)|*.*".
struct FileDialogState
{
    QString title;
    QString filter;
    QString initDir;
    QString fileName;
};

// The figures the properties dialog shows, already formatted.
struct PropertiesInfo
{
    QString title;    // file name, shown large
    QString path;     // "无法获取" for a document without a file
    QString sections; // count followed by "个"
    QString keys;     // count followed by "个"
    QString status;   // "配置设置文件" or "文件保存到硬盘"
    QString encoding; // the encoding the file was read in (a new one is saved in): "GB18030", "UTF-8（带 BOM）"
};

// What the commands need from the windowing system. The main window implements it with
// real widgets; tests implement it with a script. Every call is synchronous: dialogs
// are modal and return when closed.
class CommandHost
{
public:
    enum class Icon { None, Question };

    virtual ~CommandHost() = default;

    // The shared file dialog. Returns false when the user cancels (state unchanged);
    // on true, state.fileName holds the chosen path in native separators. The open
    // dialog does not demand an existing file; the save dialog does not ask before
    // replacing one.
    virtual bool showOpenDialog(FileDialogState &state) = 0;
    virtual bool showSaveDialog(FileDialogState &state) = 0;

    // A modal question with Yes (the default) and No; true for Yes.
    virtual bool askYesNo(const QString &title, const QString &text, Icon icon) = 0;
    // A modal warning with an OK button.
    virtual void showError(const QString &title, const QString &text) = 0;

    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString &text) = 0;

    // Start the in-place edit of a node's label or a key row's name; return at once.
    // Whatever text the edit confirms is given to the document unchecked.
    virtual void editNodeLabel(int treeIndex) = 0;
    virtual void editKeyName(int member, qsizetype row) = 0;

    virtual void focusTree() = 0;
    virtual void focusKeyList(int member) = 0;

    // The value editor, modal. Returns false for Cancel or the close box; on true the
    // request holds the name and data to write.
    virtual bool runValueEditor(ValueEditRequest &request) = 0;
    virtual void showProperties(const PropertiesInfo &info) = 0;

    // Closes the main window, which ends the program.
    virtual void closeMainWindow() = 0;

    // Shows that the program is at work (the wait pointer) for as long as it lives, and
    // stops showing it however the work ends: a return, a failure, an exception. Guards
    // nest. A command takes one around work that may last long on a large document, and
    // lets it go before it asks or reports anything.
    class BusyGuard
    {
    public:
        explicit BusyGuard(CommandHost &host) : m_host(host) { m_host.beginBusy(); }
        ~BusyGuard() { m_host.endBusy(); }
        Q_DISABLE_COPY_MOVE(BusyGuard)

    private:
        CommandHost &m_host;
    };
    // Runs work under a guard and gives back what it returns.
    template<typename Work>
    auto whileBusy(Work &&work)
    {
        const BusyGuard guard(*this);
        return work();
    }

protected:
    // Called in pairs by BusyGuard only.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;
};
