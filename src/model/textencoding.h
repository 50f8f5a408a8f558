#pragma once

// How a document's file is encoded; the writer writes the encoding and byte-order mark
// the document was read with.
enum class TextEncoding {
    Utf8,        // UTF-8 without byte-order mark
    Utf8Bom,     // UTF-8 with byte-order mark
    Utf16LeBom,  // UTF-16 little endian with byte-order mark
    Utf16BeBom,  // UTF-16 big endian with byte-order mark
    Legacy,      // the system ANSI code page on Windows, GB18030 elsewhere
};

// The encoding of a document that was never read from a file.
constexpr TextEncoding defaultNewFileEncoding()
{
#ifdef Q_OS_WIN
    return TextEncoding::Legacy;
#else
    return TextEncoding::Utf8;
#endif
}
