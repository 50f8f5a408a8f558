#pragma once

#include "encodingguess.h"
#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>

// Decides the encoding of 8-bit text without a byte-order mark that is not strict UTF-8:
// the one place where that is decided, for the whole-file decode, for the reader that
// takes a file a piece at a time, and for the writer's forecast of what a read of its
// output gives. Every byte survives whatever it decides (undecodable bytes are kept as
// escapes) and no line changes its kind, so it decides only how the text looks:
//
// 1. UTF-8 with a few stray bytes, when it leaves no more bytes undecodable than the
//    legacy code page does (UTF-8 on a tie), or at most one for every
//    kUtf8SequencesPerInvalidByte valid multi-byte sequences;
// 2. the legacy code page (GB18030; the ANSI code page on Windows) when the head's text
//    reads as it (EncodingGuess) and it leaves at most kMaxEscapes bytes undecoded, or
//    one for every kCharsPerEscape characters;
// 3. otherwise the single-byte code page that fits the head's text (EncodingGuess).
//
// The head (a bounded sample: the first 64 KiB) is judged once, when the choice is made;
// the counts run over every piece, given in file order, each ending at a line end.
class EightBitChoice
{
public:
    // totalBytes, when known, lets holds() tell early that the legacy code page fails.
    explicit EightBitChoice(QByteArrayView head, qsizetype totalBytes = -1);

    // The encoding to decode the pieces in: Legacy or a single-byte code page. Whether
    // the text is UTF-8 after all is known only from the counts, at the end.
    TextEncoding reading() const { return m_reading; }
    // The single-byte code page of step 3.
    TextEncoding singleByte() const;

    // Counts a piece. The caller that decoded it in the legacy code page gives how many
    // of its bytes became escapes and how many characters it gave; otherwise (-1) they
    // are counted here.
    void count(QByteArrayView piece, qsizetype legacyEscapes = -1, qsizetype legacyChars = -1);
    // False once the legacy reading has left too many bytes undecoded for the whole file
    // to read in it: a reader in the legacy code page may stop there.
    bool holds() const;
    // The encoding for all the pieces counted.
    TextEncoding result() const;

    static constexpr qsizetype kMaxEscapes = 8;
    static constexpr qsizetype kCharsPerEscape = 64;
    static bool fewEscapes(qsizetype escaped, qsizetype chars)
    {
        return escaped <= std::max(kMaxEscapes, chars / kCharsPerEscape);
    }
    static constexpr qsizetype kUtf8SequencesPerInvalidByte = 8;
    // After this many stray bytes that its valid sequences do not outnumber eightfold,
    // the text is taken to be no UTF-8 and its bytes are no longer counted for it.
    static constexpr qsizetype kUtf8JudgedAfter = 64;

private:
    void countUtf8(QByteArrayView piece);

    mutable EncodingGuess m_guess; // its single-byte page worked out when first needed
    QByteArray m_head; // kept while the single-byte page is still to be worked out
    TextEncoding m_reading;
    qsizetype m_total;
    qsizetype m_legacyEscapes = 0;
    qsizetype m_legacyChars = 0;
    qsizetype m_utf8Sequences = 0;
    qsizetype m_utf8Invalid = 0;
    bool m_noUtf8 = false;
    QString m_scratch;
};
