#pragma once

#include <QByteArray>
#include <QString>

#include "textencoding.h"

class QIODevice;
struct DocumentContent;

// What the writer learnt of the text it wrote, for telling what a read of it gives.
struct WrittenText
{
    // Every row reads back as itself: no key name holds "=" (the read splits at the
    // first one) and no key line reads as a header.
    bool rowsReadBack = false;
    // Every text is ASCII.
    bool ascii = true;
    // Some text holds an escape (a character standing for an undecodable byte).
    bool escapes = false;
    // For 8-bit text without mark that is not all ASCII in the legacy code page or a
    // single-byte one: the encoding a read works out for the bytes written (the encoding
    // detector's own choice, asked of them); Utf8 for other text.
    TextEncoding readsAs = TextEncoding::Utf8;
};

// Writes the INI text of content to device (open for writing), in pieces of about a
// megabyte (the byte-order mark first), so that the file never sits in memory whole.
//
// The lines, each ending in CR LF: the root's rows (keys that stood before the first
// header), then for each section in tree order "[" name "]" followed by its rows in
// list order as name "=" data. A row whose data is still the "(Empty)" that stood for
// empty data when it was read is written with empty data. The encoding of content
// decides the byte-order mark, which always goes first when that encoding has one: a
// document read from a file with a mark writes its mark even when it has no sections
// or keys left, and such a document without a mark gives no bytes at all.
//
// False, with the reason in *error, when the document cannot be written so that it
// reads back: a line break (CR or LF) in a name or data (checked before the first byte
// goes out), a character the encoding cannot hold, or a file without byte-order mark
// that would start like one; false with the device's errorString() in *error when a
// write to it fails. Some pieces may have gone to the device by then: a caller that must
// not change anything on failure writes to a scratch device first or keeps the old file
// whole its own way. On success *written (when given) tells what was written.
bool writeIni(const DocumentContent &content, QIODevice &device, QString *error = nullptr,
              WrittenText *written = nullptr);

// The same into one buffer (for tests and tools); *bytes is empty on failure.
bool encodeIniDocument(const DocumentContent &content, QByteArray *bytes, QString *error = nullptr,
                       WrittenText *written = nullptr);
