#pragma once

#include <QtGlobal>

// Bytes that the encoding of a file cannot decode are never replaced: each such byte b
// becomes the lone surrogate U+DC00+b in the text (a "surrogate escape", U+DC80..U+DCFF
// since only bytes from 0x80 up fail), and encoding turns those characters back into
// their bytes. Text read from a file and written back unedited therefore gives the same
// bytes.
namespace Escapes {

constexpr bool isEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// The escape that stands for byte b (b from 0x80 up).
constexpr char16_t escapeOf(uchar b)
{
    return char16_t(0xDC00 + b);
}

// The byte an escape stands for.
constexpr uchar byteOf(char16_t escape)
{
    return uchar(escape - 0xDC00);
}

} // namespace Escapes
