#pragma once

#include <QString>

struct DocumentContent;

// What one pass over every text of a document tells the writer before it writes.
struct DocumentScan
{
    // Empty, or why the document cannot be written: a name or data holding a line break
    // (CR or LF), which would split its line on the next read. Names the section and key.
    QString lineBreak;
    // No key name holds "=" and no key line reads as a header (see WrittenText).
    bool rowsReadBack = false;
    bool ascii = true;
    // Some text holds an escape (a character standing for an undecodable byte).
    bool escapes = false;
};

DocumentScan scanDocument(const DocumentContent &content);

// What line `line` (counted from 1) of the written file holds, for a message: the key or
// the section header written there, named as the window shows it.
QString describeLine(const DocumentContent &content, qsizetype line);
