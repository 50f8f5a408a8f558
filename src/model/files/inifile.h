#pragma once

#include "textencoding.h"

#include <QString>
#include <QStringList>

#include <optional>

class IniDocument;
struct DocumentContent;
struct WrittenText;

// INI files on disk: the document read from a path and written to one. The text itself
// is the format part's business (readIni, writeIni over a device); this is where paths,
// the memory a read needs and the ways a save keeps a file whole are decided.

// The display name of a path: the text after its last "\" (and, where the platform's
// separator is "/", its last "/"). A path without separator is returned whole; one
// that ends in a separator gives an empty text.
QString FileNameFromPath(const QString &path);

enum class ReadResult {
    Ok,      // the document now holds the file
    Missing, // no file at the path: the document is empty and named after the path
    Failed,  // the file could not be read: nothing changed
};

// Replaces the document with the INI file at path.
//
// The whole file is read (readIni) before the document is touched. The document then
// holds what was read, in one reset; path and root text come from path in native
// separators, and it shows as opened (IniDocument::showOpened: the status texts become
// that path and the section count text, the root node is selected).
//
// Missing: the document is cleared with the path's file name as root text and the path
// as its path (status texts and selection stay), so that a save creates the file.
// Failed (a folder, a device, no permission, an I/O error, a file too large for the
// memory there is: checked before reading, and any allocation that fails during the read
// is caught): document, path and status texts stay exactly as they were and *error
// (when given) holds the reason.
//
// With an encoding given (one without mark, see readIni) the file is read in it and the
// document keeps it as given: a later read of the same path (View, Refresh; the read
// after a save) uses it again. Without one, a document whose encoding was given and
// whose path is path is read again in that encoding.
ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error = nullptr,
                       std::optional<TextEncoding> encoding = std::nullopt);

// Reading back. After a save the document becomes what a read of the written file gives:
// path, root text and status bar name the file, and every list comes back as the file
// holds it (rows reversed, sorting off, the top row current). Where that can be told
// from the document and what the writer learnt (WrittenText), the document becomes it
// by itself, so that a second copy of a large file never sits beside the first; only
// otherwise is the file read again.

// What reading the text written for content gives: `exact` when the read gives the
// document itself as a read leaves it (IniDocument::resetAsReadBack), in `encoding`.
// Otherwise only a real read tells.
struct ReadBack
{
    bool exact = false;
    TextEncoding encoding = defaultNewFileEncoding();
};
ReadBack readBackOf(const DocumentContent &content, const WrittenText &written);

// Writes the document as an INI file at path (the bytes writeIni gives), keeping what
// the file is on disk: see replaceFileContent for how (a symbolic link is followed,
// links, owner, group and permissions are kept, a target that exists but is no regular
// file is refused). On any failure (a line break in a text, a character the encoding
// cannot hold, a missing or read-only folder, a full disk, too little memory) false is
// returned and *error (when given) holds the reason; the old file then stays byte for
// byte, except when writing it in place fails after its old bytes began to go, which
// the reason says. *readBack (when given) tells what a read of the written file gives.
bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error = nullptr,
                  ReadBack *readBack = nullptr);

// Makes doc what ReadIniFile(path) gives right after WriteIniFile wrote it to path and
// told readBack: by itself when readBack is exact, otherwise by reading the file (with
// ReadIniFile's results).
ReadResult readBackWritten(IniDocument &doc, const QString &path, const ReadBack &readBack,
                           QString *error = nullptr);

// Encodings by name, for the user: the name the properties show ("GB18030",
// "UTF-8（带 BOM）"), the encoding a name given on the command line stands for (case,
// "-" and "_" do not matter; "cp1251", "latin1" and the like count too) and the names
// to offer.
QString EncodingShownAs(TextEncoding encoding);
std::optional<TextEncoding> EncodingNamed(const QString &name);
QStringList EncodingNames();
