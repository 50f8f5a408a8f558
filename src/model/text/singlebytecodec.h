#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The single-byte code pages of TextEncoding (Windows-1252, -1251, -1250, KOI8-R): every
// byte is one character, so any file reads in them with all its lines and bytes intact.
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
    // "Windows-1252", "Windows-1251", "Windows-1250", "KOI8-R".
    static QString name(TextEncoding encoding);

    static QString decode(QByteArrayView bytes, TextEncoding encoding);
    // Appends the bytes of text to *out, escapes as their bytes. On a character the code
    // page has no byte for returns false with *badPos at it (*out then holds a part).
    static bool encode(QStringView text, TextEncoding encoding, QByteArray *out, qsizetype *badPos);
};
