#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class IniDocument;
class QIODevice;

// Receives the bytes of a file in order, a piece at a time; false stops the writer.
using ByteSink = std::function<bool(QByteArrayView)>;

// Writes the bytes WriteIniFile writes for the document to device (open for writing),
// in pieces of about a megabyte (the byte-order mark first), so that the file never
// sits in memory whole.
//
// The lines, each ending in CR LF: the root's rows (keys that stood before the first
// header), then for each section in tree order "[" name "]" followed by its rows in
// list order as name "=" data. A row whose data is still the "(Empty)" that stood for
// empty data when it was read is written with empty data. The document's encoding
// decides the byte-order mark, which always goes first when that encoding has one: a
// document read from a file with a mark writes its mark even when it has no sections
// or keys left, and such a document without a mark gives no bytes at all.
//
// False, with the reason in *error, when the document cannot be written so that it
// reads back: a line break (CR or LF) in a name or data (checked before the first byte
// goes out), a character the encoding cannot hold, or a file without byte-order mark
// that would start like one; false with the device's errorString() in *error when a
// write to it fails.
// Some pieces may have gone to the device by then: a caller that must not change
// anything on failure writes to a scratch device first (WriteIniFile keeps the old file
// whole its own way).
bool writeIni(const IniDocument &doc, QIODevice &device, QString *error = nullptr);

// The same into one buffer (for tests and tools); *bytes is empty on failure.
bool encodeIniDocument(const IniDocument &doc, QByteArray *bytes, QString *error = nullptr);

// What reading the file that WriteIniFile has just written would give, known without
// reading it: `exact` when the read gives the document itself as a read leaves it (see
// readBackWritten), in `encoding`. Otherwise only a real read tells.
struct ReadBack
{
    bool exact = false;
    TextEncoding encoding = defaultNewFileEncoding();
};

// Writes the document as an INI file at path (the bytes of encodeIniDocument), keeping
// what the file is on disk: see replaceFileContent for how (a symbolic link is followed,
// links, owner, group and permissions are kept, a target that exists but is no regular
// file is refused). On any failure (a line break in a text, a character the encoding
// cannot hold, a missing or read-only folder, a full disk, too little memory) false is
// returned and *error (when given) holds the reason; the old file then stays byte for
// byte, except when writing it in place fails after its old bytes began to go, which
// the reason says. *readBack (when given) tells what a read of the written file gives.
bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error = nullptr,
                  ReadBack *readBack = nullptr);
