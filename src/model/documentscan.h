#pragma once

#include "textencoding.h"

#include <QString>

class IniDocument;

// What one pass over every text of a document tells the writer before it writes.
struct DocumentScan
{
    // Empty, or why the document cannot be written: a name or data holding a line break
    // (CR or LF), which would split its line on the next read. Names the section and key.
    QString lineBreak;
    // True when a read of the written file gives the document back with each list
    // reversed (see readBackWritten): no key name holds "=", no key line reads as a
    // header, and the bytes read back in `readEncoding` as the very texts written.
    bool readsBack = false;
    TextEncoding readEncoding = defaultNewFileEncoding();
    // True for non-ASCII text in the legacy code page, without escapes, whose rows read
    // back: its bytes then read back as the very texts unless the read takes them for
    // UTF-8, which only the written bytes tell (the writer counts them).
    bool readsBackUnlessUtf8 = false;
    // Some text holds an escape (a character standing for an undecodable byte).
    bool escapes = false;
};

DocumentScan scanDocument(const IniDocument &doc);

// What line `line` (counted from 1) of the written file holds, for a message: the key or
// the section header written there, named as the window shows it.
QString describeLine(const IniDocument &doc, qsizetype line);
