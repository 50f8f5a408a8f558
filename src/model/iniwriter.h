#pragma once

#include <QByteArray>
#include <QString>

class IniDocument;

// The bytes WriteIniFile writes for the document (lines, encoding and byte-order mark as
// described there). False, with the reason in *error, when a character cannot be
// represented in the document's encoding; *bytes is then empty.
bool EncodeIniDocument(const IniDocument &doc, QByteArray *bytes, QString *error = nullptr);

// Writes the document as an INI file at path, replacing whatever the file held.
//
// The lines, each ending in CR LF: the root's rows (keys that stood before the first
// header), then for each section in tree order "[" name "]" followed by its rows in
// list order as name "=" data. A row whose data is still the "(Empty)" that stood for
// empty data when it was read is written with empty data. A document without sections
// or keys gives a file of 0 bytes. The file gets the document's encoding and
// byte-order mark.
//
// All text is encoded before the file is touched, and the file is replaced in one step
// (a temporary file beside it, renamed over it), keeping an existing file's
// permissions. On any failure (a character the encoding cannot hold, a missing or
// read-only folder, a full disk) the old file stays byte for byte, no temporary file
// remains, false is returned and *error (when given) holds the reason.
bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error = nullptr);
