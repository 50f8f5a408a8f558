#pragma once

#include <QByteArrayView>
#include <QStringView>

// How a document's file is encoded; the writer writes the encoding and byte-order mark
// the document was read with.
enum class TextEncoding {
    Utf8,        // UTF-8 without byte-order mark
    Utf8Bom,     // UTF-8 with byte-order mark
    Utf16LeBom,  // UTF-16 little endian with byte-order mark
    Utf16BeBom,  // UTF-16 big endian with byte-order mark
    Legacy,      // the system ANSI code page on Windows, GB18030 elsewhere
    Utf16Le,     // UTF-16 little endian without byte-order mark
    Utf16Be,     // UTF-16 big endian without byte-order mark
    // Single-byte code pages: every byte is one character.
    Windows1252, // Western European (a superset of Latin-1)
    Windows1251, // Cyrillic
    Windows1250, // Central European
    Koi8R,       // Cyrillic, as older Unix systems wrote it
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

constexpr bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom
        || encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

constexpr bool hasByteOrderMark(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom || encoding == TextEncoding::Utf16LeBom
        || encoding == TextEncoding::Utf16BeBom;
}

constexpr bool isSingleByte(TextEncoding encoding)
{
    return encoding >= TextEncoding::Windows1252;
}

// True when every byte, or every UTF-16 code unit, is below 0x80: ASCII, which reads the
// same in every 8-bit encoding here. Without branches, so that the compiler can take
// many bytes a step.
inline bool isAscii(QByteArrayView bytes)
{
    unsigned char any = 0;
    for (const char b : bytes)
        any |= static_cast<unsigned char>(b);
    return any < 0x80;
}

inline bool isAscii(QStringView text)
{
    char16_t any = 0;
    for (const QChar c : text)
        any |= c.unicode();
    return any < 0x80;
}
