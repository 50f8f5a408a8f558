#pragma once

#include "textcodec.h"
#include "textencoding.h"

#include <QByteArrayView>

#include <optional>

// Works out the encoding of a file, so that decoding never changes a line's kind
// (header, key, other), never splits or joins lines and keeps every byte. In this order:
// 1. a byte-order mark: UTF-8, UTF-32 LE or BE (FF FE 00 00, 00 00 FE FF; when the rest
//    is valid UTF-32, else it is the UTF-16 mark FF FE and a zero character), UTF-16 LE
//    or BE;
// 2. UTF-32 or UTF-16 without a mark, recognised by the zero bytes of their ASCII
//    characters (see wideWithoutMark());
// 3. strict UTF-8; a file of ASCII bytes only reads the same in every 8-bit encoding and
//    gets defaultNewFileEncoding();
// 4. any other 8-bit text: EightBitChoice decides between UTF-8 with stray bytes, the
//    legacy code page and the single-byte code pages.
// Steps 1 and 2 look at the first 64 KiB only (and UTF-32 at every unit, which must be
// valid); step 4 judges the text from a sample of the head and counts the rest.
class EncodingDetector
{
public:
    // Works out the encoding of a file and decodes it; a mark is not part of the text.
    static DecodedText decodeFile(QByteArrayView bytes);
    // The text of a file that starts with no byte-order mark, in the encoding chosen.
    static DecodedText decode(QByteArrayView bytes);
    // The text of a file in the encoding the user named (one without mark: the file's
    // own mark of that encoding, when it starts with one, is kept as the mark). Nothing
    // when the bytes cannot all be kept so: UTF-32 that holds a unit that is no
    // character.
    static std::optional<DecodedText> decodeAs(QByteArrayView bytes, TextEncoding encoding);

    // Steps 1 and 2 for the start of a file: the encoding its mark or its zero bytes
    // show, with the mark's size in *markSize; nullopt for 8-bit text.
    static std::optional<TextEncoding> wideOrMarked(QByteArrayView head, qsizetype *markSize = nullptr);

    // Utf32Le, Utf32Be, Utf16Le or Utf16Be when the first 64 KiB of bytes show the zero
    // bytes of ASCII characters: for UTF-32 every unit a character and at least one in
    // 16 below 0x80; for UTF-16 zero bytes at one parity (at least two, and at least one
    // for every 16 code units: an INI file's lines end in CR LF and hold "=" or
    // brackets) and at most one in eight as many at the other. Otherwise nullopt.
    static std::optional<TextEncoding> wideWithoutMark(QByteArrayView bytes);
    // True when bytes are whole UTF-32 units, each a character (no surrogate, nothing
    // above U+10FFFF): only such text reads as UTF-32 with every byte kept.
    static bool isUtf32Text(QByteArrayView bytes, bool bigEndian);

    // How a file written in encoding, without a byte-order mark where the encoding has
    // none, will open again: Same; ByteOrderMark when its first bytes read as a mark;
    // Other when steps 1 and 2 will take it for UTF-16 or UTF-32 or no longer for the
    // wide encoding it is (too few ASCII characters, or zero bytes in a file of 8-bit
    // text). ByteOrderMark too for UTF-16 LE with its mark when the mark and a zero
    // character read as UTF-32's mark. An empty file opens as any encoding. Changes between 8-bit encodings keep
    // the bytes and are not reported (EightBitChoice tells them).
    enum class Reopening { Same, ByteOrderMark, Other };
    static Reopening reopensAs(QByteArrayView bytes, TextEncoding encoding);
};
