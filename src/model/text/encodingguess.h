#pragma once

#include "textencoding.h"

#include <QByteArrayView>

// What the text of an 8-bit file without a byte-order mark says its encoding is, judged
// from a bounded sample of its head (of its first 64 KiB, the lines that hold bytes
// from 0x80 up, 16 KiB at most): whether the legacy code page reads it as its author wrote it, and
// which single-byte code page fits it best. Whether it is UTF-8 after all, and how many
// bytes the legacy code page leaves undecoded in the whole file, EightBitChoice counts.
//
// Three witnesses are heard, none of which is good enough alone:
// - the Mozilla universal charset detector (uchardet), where the build has it: it knows
//   the letter statistics of many languages, but takes short Chinese configs (a few
//   names among ASCII) for Windows-1252;
// - ICU's charset detector, which knows fewer code pages and languages;
// - the structure of the legacy reading: in real Chinese text every non-ASCII byte
//   belongs to a character of the common GB2312 range, while Western or Cyrillic text
//   read as GB18030 falls apart into undecodable bytes, rare GBK extension characters
//   and private-use ones; and in Western text no word holds five or more letters from
//   0x80 up in a row, as Cyrillic and Greek words (and Chinese) do.
struct EncodingGuess
{
    static EncodingGuess of(QByteArrayView head);
    // The single-byte code page alone, for a head that of() found to read as legacy text.
    static TextEncoding singleByteOf(QByteArrayView head);

    // The legacy code page (GB18030; the ANSI code page on Windows) reads the text.
    bool legacy = false;
    // The single-byte code page for the text (the ANSI code page on Windows is given as
    // Legacy); Windows-1252 when nothing tells. Utf8 when the text reads as legacy text:
    // then only singleByteOf() works it out.
    TextEncoding singleByte = TextEncoding::Windows1252;

    // The encoding a detector's name stands for here: an ISO page named for a file with
    // bytes 80..9F (C1 controls, which no text holds) is the Windows page of its script,
    // ISO-8859-1 always Windows-1252 (which reads all of its text), the ISO pages this
    // program lacks their Windows sibling; Utf8 for a name of none of these.
    static TextEncoding ofDetectorName(const char *name, QByteArrayView head);
    // How much of the head is looked at, and how many bytes of it the sample for the
    // detectors holds at most: they make up their minds within a few kilobytes, and take
    // a millisecond or more for each.
    static constexpr qsizetype kHeadBytes = 64 * 1024;
    static constexpr qsizetype kSampleBytes = 4 * 1024;

private:
    static EncodingGuess judge(QByteArrayView head, bool singleByteToo);
};
