#pragma once

#include "textencoding.h"

#include <optional>

#include <QString>

class CommandHost;
class IniDocument;
struct FileDialogState;
struct ReadBack;
enum class ReadResult;

// The commands on the document as a whole: New, Open, Save, Save As, Exit, Refresh and
// Properties. They share one file dialog state with the value editor's browse button;
// its title and filter are set by each command, its initial folder once at start, and
// its file name is emptied after each completed use but kept after a failed read, so
// the next dialog opens with the name that did not work.
//
// A cancelled dialog ends a command silently with nothing changed. A file that cannot
// be written, or that exists but cannot be read, is reported with an error box titled
// "Tarnwick" that names the path and the reason; the document, its path and the status
// texts then stay as they were. A name that does not exist opens as an empty document
// of that name, which a later Save creates.
//
// A name that does not reach the file it reads as, because its bytes are not valid in
// the system's encoding (see filenamecheck.h), is refused by every command before any
// read or write, with the same kind of error box asking for the file to be renamed:
// no file of another name is ever read or created.
class FileCommands
{
public:
    FileCommands(IniDocument &doc, CommandHost &host, FileDialogState &dialogs);

    static QString dialogFilter();

    // Empties the document: root "Untitled.ini" (neither expanded nor selected), path
    // "Untitled", status texts "Untitled.ini" and "0 项目", focus to member 0.
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    // Writes in place when the document has a file; otherwise asks for a path ("Save INI
    // file"), writes there and reads the written file back.
    void mnuFileSave_Click();
    // Asks for a path ("保存INI文件"), writes there and reads the written file back.
    void mnuFileSaveAs_Click();
    void mnuFileExit_Click();
    // Reads the current file again; does nothing for a document without a file.
    void mnuViewRefresh_Click();
    void mnuViewProperties_Click();

    // Opens path as Open does after its dialog (for the command line and drops).
    // nameBytesSurvive tells whether the name as the system gave it survived the
    // decoding into path (see fileNameBytesSurvive); if not, it is refused like any
    // name that does not reach its file. Returns false when the file exists but could
    // not be read, or the name was refused (both already reported). With an encoding
    // given, the file is read in it (and saved back in it).
    bool openPath(const QString &path, bool nameBytesSurvive = true,
                  std::optional<TextEncoding> encoding = std::nullopt);

private:
    // Reads path into the document; reports a file that exists but cannot be read.
    ReadResult read(const QString &path, std::optional<TextEncoding> encoding = std::nullopt);
    bool write(const QString &path, ReadBack *readBack = nullptr);
    // Writes path and makes the written file the document, as a read of it would.
    bool writeAndReadBack(const QString &path);
    // Asks for a path in the save dialog titled title, then writes there and reads back.
    void saveThroughDialog(const QString &title);
    // Every read and write starts here: a name that does not reach the file it reads as
    // (see filePathSurvives) is reported with failureText and nothing else is done.
    bool nameReachesFile(const QString &path, const QString &failureText,
                         bool nameBytesSurvive = true);
    void prepareDialog(const QString &title);

    IniDocument &m_doc;
    CommandHost &m_host;
    FileDialogState &m_dialogs;
};
