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

// What a file was on disk when the document last read or wrote it, so that a change
// another program made since can be told before a save replaces it: its size, its
// modification and status-change times to the nanosecond, which file it is (device and
// inode), and, where those times are too recent to tell a later change from the last
// one (within the coarse clock of some file systems), a hash of its bytes. Callers keep
// it and hand it back; only the functions here look inside.
struct FileStamp
{
    enum class State {
        Unknown, // nothing known: no question is ever asked
        Absent,  // no file stood at the path
        Present, // the fields below describe the file
        Unsure,  // the file changed while it was read: any later save asks
    };
    State state = State::Unknown;
    QString path; // native separators, as the document holds it
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool hashed = false;
    quint64 hash = 0;

    bool known() const { return state != State::Unknown; }
};

// Whether a missing file reads as an empty document (Open: a later save creates it) or
// is a failure that leaves the document as it was (Refresh of a file that went away).
enum class IfMissing { Empty, Fail };

// ReadIniFile (in encoding, as above, when one is given), also stamping what was read into *stamp (Ok: the file; Missing: no file;
// Failed: *stamp untouched). With IfMissing::Fail a path where no file stands (or that
// cannot be looked at) gives Failed with the reason instead of Missing.
ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error, FileStamp *stamp,
                       IfMissing ifMissing = IfMissing::Empty,
                       std::optional<TextEncoding> encoding = std::nullopt);

enum class DiskChange {
    None,    // the file is what the stamp says, or nothing is known to compare with
    Changed, // another file, other bytes, other times, or a file where there was none
    Gone,    // the file the stamp describes is no longer there
};
// Compares the file at path with a stamp of it. A stamp of another path tells nothing.
DiskChange diskChangeSince(const QString &path, const FileStamp &stamp);

// The backups of path's old content that a save in place left behind when it did not
// finish (the program died, or the old content could not be put back): native paths,
// beside the file, then in the program's own data folder, each by number. A save in
// place never overwrites one of them; only the user removes them.
QStringList leftoverBackups(const QString &path);

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
// cannot hold, a missing or read-only folder, a full disk, a failing sync, too little
// memory) false is returned and *error (when given) holds the reason; the old file then
// stays byte for byte (one written in place gets its old bytes back from its backup),
// except when even that fails, or the folder could not be synced after the new file
// took the old one's place, which the reason says. True only once the new content and
// its folder are on disk. *readBack (when given) tells what a read of the written file
// gives.
bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error = nullptr,
                  ReadBack *readBack = nullptr);
// WriteIniFile, also stamping the written file into *stamp. A failed save leaves *stamp
// Unknown, unless it wrote in place and put the old content back: then *stamp is the
// restored file's.
bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error, ReadBack *readBack,
                  FileStamp *stamp);

// Makes doc what ReadIniFile(path) gives right after WriteIniFile wrote it to path and
// told readBack: by itself when readBack is exact, otherwise by reading the file (with
// ReadIniFile's results). A real read stamps the file into *stamp (when given) as
// ReadIniFile does; otherwise *stamp stays as WriteIniFile left it.
ReadResult readBackWritten(IniDocument &doc, const QString &path, const ReadBack &readBack,
                           QString *error = nullptr, FileStamp *stamp = nullptr);

// Encodings by name, for the user: the name the properties show ("GB18030",
// "UTF-8（带 BOM）"), the encoding a name given on the command line stands for (case,
// "-" and "_" do not matter; "cp1251", "latin1" and the like count too) and the names
// to offer.
QString EncodingShownAs(TextEncoding encoding);
std::optional<TextEncoding> EncodingNamed(const QString &name);
QStringList EncodingNames();
