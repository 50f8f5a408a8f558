#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

class IniDocument;
class QIODevice;
struct DocumentContent;

enum class ReadResult {
    Ok,      // the document now holds the file
    Missing, // no file at the path: the document is empty and named after the path
    Failed,  // the file could not be read: nothing changed
};

// Reads all the INI text the device holds into content, replacing what content held.
// The whole text is decoded and parsed, a piece at a time where its encoding allows
// (see TextCodec for how the encoding is worked out): a section per header line in file
// order, each header's key lines as rows in reverse file order with the last key read
// as the list's current, selected row, the keys before the first header in the root's
// list, and the encoding read.
//
// Lines end at CR LF, a lone LF or a lone CR; a last line without an end is a line too.
// A line whose first character is "[" and last "]" (at least two characters) is a
// header; otherwise a line with "=" is a key split at its first "=" (empty data reads
// as "(Empty)"); anything else is skipped. Nothing is trimmed or merged.
//
// The device must be open for reading at its start and able to seek back to it (a file
// or a QBuffer). False, with content empty and the device's errorString() in *error
// (when given), when reading or seeking the device fails; a device whose readAll() may
// fail without saying so (a file) is checked by the caller as well. An allocation that
// fails throws std::bad_alloc.
bool readIni(DocumentContent &content, QIODevice &device, QString *error = nullptr);

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
ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error = nullptr);

// What ReadIniFile(path) gives right after WriteIniFile wrote doc to path, when its
// ReadBack was exact (encoding as it says), made from the document itself: each list as
// KeyList::settleAsRead() leaves it, then path, root text, status texts and selection
// as after a read.
void readBackWritten(IniDocument &doc, const QString &path, TextEncoding encoding);

// Parses decoded INI text into content (for the reader; also usable on its own).
void parseIniText(QStringView text, DocumentContent &content);
