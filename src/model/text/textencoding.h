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
    Utf32LeBom,  // UTF-32 little endian with byte-order mark
    Utf32BeBom,  // UTF-32 big endian with byte-order mark
    Utf32Le,     // UTF-32 little endian without byte-order mark
    Utf32Be,     // UTF-32 big endian without byte-order mark
    // Single-byte code pages: every byte is one character.
    Windows1252, // Western European (a superset of Latin-1)
    Windows1251, // Cyrillic
    Windows1250, // Central European
    Koi8R,       // Cyrillic, as older Unix systems wrote it
    Windows1253, // Greek
    Windows1254, // Turkish
    Windows1257, // Baltic
    Iso8859_1,   // Latin-1
    Iso8859_2,   // Latin-2, Central European
    Iso8859_5,   // Cyrillic
    Iso8859_15,  // Latin-9, Latin-1 with the euro sign
    Koi8U,       // Ukrainian KOI8
    Cp437,       // the original DOS code page
    Cp866,       // Russian DOS
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

constexpr bool isUtf32(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf32LeBom || encoding == TextEncoding::Utf32BeBom
        || encoding == TextEncoding::Utf32Le || encoding == TextEncoding::Utf32Be;
}

// UTF-16 and UTF-32: lines and their parts are found in code units, not bytes.
constexpr bool isWide(TextEncoding encoding)
{
    return isUtf16(encoding) || isUtf32(encoding);
}

// The encoding without its byte-order mark (itself for one that has none).
constexpr TextEncoding withoutMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return TextEncoding::Utf8;
    case TextEncoding::Utf16LeBom:
        return TextEncoding::Utf16Le;
    case TextEncoding::Utf16BeBom:
        return TextEncoding::Utf16Be;
    case TextEncoding::Utf32LeBom:
        return TextEncoding::Utf32Le;
    case TextEncoding::Utf32BeBom:
        return TextEncoding::Utf32Be;
    default:
        return encoding;
    }
}

constexpr bool hasByteOrderMark(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom || encoding == TextEncoding::Utf16LeBom
        || encoding == TextEncoding::Utf16BeBom || encoding == TextEncoding::Utf32LeBom
        || encoding == TextEncoding::Utf32BeBom;
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
