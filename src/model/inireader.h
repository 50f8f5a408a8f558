#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

class IniDocument;
struct DocumentContent;

enum class ReadResult {
    Ok,      // the document now holds the file
    Missing, // no file at the path: the document is empty and named after the path
    Failed,  // the file could not be read: nothing changed
};

// The display name of a path: the text after its last "\" (and, where the platform's
// separator is "/", its last "/"). A path without separator is returned whole; one
// that ends in a separator gives an empty text.
QString FileNameFromPath(const QString &path);

// Replaces the document with the INI file at path.
//
// The whole file is read and decoded before the document is touched (see TextCodec for
// how its encoding is worked out). The document then holds, in one reset: a section per
// header line in file order, each header's key lines as rows in reverse file order with
// the last key read as the list's current, selected row, and the keys before the first
// header in the root's list (member 0). Path and root text come from path in native
// separators; the status texts become that path and the section count text; the root
// node is selected.
//
// Lines end at CR LF, a lone LF or a lone CR; a last line without an end is a line too.
// A line whose first character is "[" and last "]" (at least two characters) is a
// header; otherwise a line with "=" is a key split at its first "=" (empty data reads
// as "(Empty)"); anything else is skipped. Nothing is trimmed or merged.
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

// What ReadIniFile does once it holds the file's bytes: the document is replaced by the
// INI text in bytes as if read from the file at path. It cannot fail. The bytes are let
// go of once decoded (move them in to keep a large file's peak memory down).
void readIniBytes(IniDocument &doc, QByteArray bytes, const QString &path);

// Parses decoded INI text into content (for the reader; also usable on its own).
void parseIniText(QStringView text, DocumentContent &content);
