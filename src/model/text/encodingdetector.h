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
// 2. UTF-8: strictly valid, or with a few stray bytes (isMostlyUtf8()); a
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
    // Works out the encoding of a file and decodes it: a UTF-8 byte-order mark means
    // UTF-8, a UTF-16 one (FF FE or FE FF) UTF-16, and the mark is not part of the text;
    // without a mark decode() chooses.
    static DecodedText decodeFile(QByteArrayView bytes);
    // The text of a file that starts with no byte-order mark, in the encoding chosen.
    static DecodedText decode(QByteArrayView bytes);
    static constexpr qsizetype kMaxEscapes = 8;
    static constexpr qsizetype kCharsPerEscape = 64;
    // Whether text of chars characters with escaped bytes kept as escapes reads in the
    // legacy code page (step 3).
    static bool fewEscapes(qsizetype escaped, qsizetype chars)
    {
        return escaped <= std::max(kMaxEscapes, chars / kCharsPerEscape);
    }

    // True when bytes are UTF-8 with at most one byte that starts no valid sequence for
    // every kUtf8SequencesPerInvalidByte valid multi-byte sequences: a UTF-8 file with a
    // few stray bytes (kept as escapes), which GBK text never comes near (it forms one
    // valid sequence for every four to eight bytes that fail). The ratio must also hold
    // where the kUtf8JudgedAfter-th stray byte is found, so that a legacy file is told
    // apart in its first few kilobytes.
    static bool isMostlyUtf8(QByteArrayView bytes, bool *ascii);
    static constexpr qsizetype kUtf8SequencesPerInvalidByte = 8;
    static constexpr qsizetype kUtf8JudgedAfter = 64;
    // isMostlyUtf8()'s count for a text that is not strict UTF-8, given piece by piece:
    // pieces must not cut a multi-byte sequence whose bytes follow (a cut before an ASCII
    // byte, such as a line end, is fine). The total size may be known only at the end.
    class MostlyUtf8
    {
    public:
        // With the total size known, feed() can tell early that the text is no UTF-8.
        explicit MostlyUtf8(qsizetype totalBytes = -1) : m_total(totalBytes) {}
        // False once the text can no longer be mostly UTF-8 (no need to go on).
        bool feed(QByteArrayView piece);
        // What isMostlyUtf8() says of the whole text, of totalBytes bytes.
        bool result(qsizetype totalBytes) const;

    private:
        qsizetype m_total;
        qsizetype m_seen = 0;
        qsizetype m_sequences = 0;
        qsizetype m_invalid = 0;
        // isMostlyUtf8() gives up at a stray byte when too few bytes follow it to make up
        // for the stray ones: when the total is below this, the largest such bound.
        qsizetype m_needsTotal = 0;
        bool m_failed = false;
    };

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
    enum class Reopening { Same, ByteOrderMark, Other };
    static Reopening reopensAs(QByteArrayView bytes, TextEncoding encoding);

    // Confidence (0..100) that ICU's detector must give a code page other than
    // Windows-1252 for it to be chosen.
    static constexpr int kMinConfidence = 30;
};
