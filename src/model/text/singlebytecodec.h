#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The single-byte code pages of TextEncoding (Windows-1250 to -1257, ISO-8859-1, -2, -5
// and -15, KOI8-R and -U, the DOS pages 437 and 866): every byte is one character, so any
// file reads in them with all its lines and bytes intact.
//
// The bytes 00..7F are ASCII in all of them. Windows-1252 is built in and always there;
// the others come from the system's converters (ICU) and may be missing. A byte that a
// code page leaves unassigned becomes an escape (U+DC00+byte, see TextCodec); ICU gives
// the five holes of Windows-1252 the C1 controls U+0081.. instead, and so does the
// built-in table, so that both read a file the same.
class SingleByteCodec
{
public:
    // False when this system cannot convert the code page.
    static bool isAvailable(TextEncoding encoding);
    // "Windows-1252", "ISO-8859-15", "KOI8-R", "CP866", ...
    static QString name(TextEncoding encoding);
    // The Windows code page number (1252, 28605, 20866, 866, ...), and back (Utf8 for a
    // number that is none of these).
    static int codePage(TextEncoding encoding);
    static TextEncoding ofCodePage(int codePage);
    // Every single-byte encoding, Windows-1252 first.
    static QList<TextEncoding> all();

    static QString decode(QByteArrayView bytes, TextEncoding encoding);
    // Appends the bytes of text to *out, escapes as their bytes. On a character the code
    // page has no byte for returns false with *badPos at it (*out then holds a part).
    static bool encode(QStringView text, TextEncoding encoding, QByteArray *out, qsizetype *badPos);
};
