#pragma once

#include "textcodec.h"
#include "textencoding.h"

#include <QByteArrayView>

#include <algorithm>

// Chooses the encoding of a file that starts with no byte-order mark, so that decoding
// never changes a line's kind (header, key, other), never splits or joins lines and
// keeps every byte. In this order:
// 1. UTF-16 LE or BE, recognised by the zero bytes of its ASCII characters at every
//    other position (see utf16WithoutMark());
// 2. UTF-8: strictly valid, or with a few stray bytes (TextCodec::isMostlyUtf8()); a
//    file of ASCII bytes only reads the same in every 8-bit encoding and gets
//    defaultNewFileEncoding();
// 3. the legacy code page (GB18030; the ANSI code page on Windows) when reading in it
//    loses no line (LegacyCodec::keepsLines()) and leaves at most a few bytes
//    undecoded: kMaxEscapes, or one for every kCharsPerEscape characters;
// 4. otherwise a single-byte code page, in which every byte is one character: the one
//    ICU's detector names with confidence among Windows-1251, Windows-1250 and KOI8-R,
//    else Windows-1252.
// Steps 1 to 3 are scans that stop early where they can (only the first 64 KiB for
// UTF-16 and for ICU's detector); the file is decoded once, except that a file which
// turns out to hold too many undecodable bytes in step 3 is decoded again in step 4.
class EncodingDetector
{
public:
    static DecodedText decode(QByteArrayView bytes);
    static constexpr qsizetype kMaxEscapes = 8;
    static constexpr qsizetype kCharsPerEscape = 64;
    // Whether text of chars characters with escaped bytes kept as escapes reads in the
    // legacy code page (step 3).
    static bool fewEscapes(qsizetype escaped, qsizetype chars)
    {
        return escaped <= std::max(kMaxEscapes, chars / kCharsPerEscape);
    }

    // Utf16Le or Utf16Be when the first 64 KiB of bytes have zero bytes at one parity
    // (at least two, and at least one for every 16 code units: an INI file's lines end
    // in CR LF and hold "=" or brackets) and at most one in eight as many at the other;
    // otherwise Utf8 (meaning: not UTF-16).
    static TextEncoding utf16WithoutMark(QByteArrayView bytes);

    // The single-byte code page of step 4.
    static TextEncoding singleByte(QByteArrayView bytes);

    // How a file written in encoding, without a byte-order mark where the encoding has
    // none, will open again: Same; ByteOrderMark when its first bytes read as a mark;
    // Other when it will be taken for UTF-16 or no longer be (too few ASCII characters,
    // or zero bytes in a file of 8-bit text). An empty file opens as any encoding.
    // Other changes between 8-bit encodings keep the bytes and are not reported.
    enum class ReadBack { Same, ByteOrderMark, Other };
    static ReadBack readsBackAs(QByteArrayView bytes, TextEncoding encoding);

    // Confidence (0..100) that ICU's detector must give a code page other than
    // Windows-1252 for it to be chosen.
    static constexpr int kMinConfidence = 30;
};
