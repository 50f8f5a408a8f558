#include "eightbitchoice.h"

#include "legacycodec.h"
#include "textcodec.h"

EightBitChoice::EightBitChoice(QByteArrayView head, qsizetype totalBytes)
    : m_guess(EncodingGuess::of(head)),
      m_reading(m_guess.legacy ? TextEncoding::Legacy : m_guess.singleByte),
      m_total(totalBytes)
{
    if (m_guess.singleByte == TextEncoding::Utf8)
        m_head = head.first(std::min(head.size(), EncodingGuess::kHeadBytes)).toByteArray();
}

TextEncoding EightBitChoice::singleByte() const
{
    if (m_guess.singleByte == TextEncoding::Utf8)
        m_guess.singleByte = EncodingGuess::singleByteOf(m_head);
    return m_guess.singleByte;
}

void EightBitChoice::countUtf8(QByteArrayView piece)
{
    const auto *s = reinterpret_cast<const uchar *>(piece.data());
    const uchar *const end = s + piece.size();
    while (!m_noUtf8 && s < end) {
        if (*s < 0x80) {
            ++s;
            continue;
        }
        const int len = TextCodec::utf8SequenceLength(s, end);
        if (len > 0) {
            ++m_utf8Sequences;
            s += len;
            continue;
        }
        ++m_utf8Invalid;
        ++s;
        // Judged at a byte, never at a piece's end, so that any cut into pieces counts
        // alike (the writer's pieces are not the reader's).
        m_noUtf8 = m_utf8Invalid >= kUtf8JudgedAfter
                   && m_utf8Sequences < kUtf8SequencesPerInvalidByte * m_utf8Invalid;
    }
}

void EightBitChoice::count(QByteArrayView piece, qsizetype legacyEscapes, qsizetype legacyChars)
{
    countUtf8(piece);
    if (legacyEscapes < 0) {
        m_scratch.truncate(0);
        legacyEscapes = LegacyCodec::platform().decodeAppend(piece, &m_scratch);
        legacyChars = m_scratch.size();
    }
    m_legacyEscapes += legacyEscapes;
    m_legacyChars += legacyChars < 0 ? piece.size() : legacyChars;
}

bool EightBitChoice::holds() const
{
    // The text has at most as many characters as the file has bytes.
    return m_reading != TextEncoding::Legacy || m_total < 0 || fewEscapes(m_legacyEscapes, m_total);
}

TextEncoding EightBitChoice::result() const
{
    if (!m_noUtf8 && m_utf8Sequences > 0
        && (m_utf8Invalid <= m_legacyEscapes || kUtf8SequencesPerInvalidByte * m_utf8Invalid <= m_utf8Sequences))
        return TextEncoding::Utf8;
    if (m_reading == TextEncoding::Legacy && !fewEscapes(m_legacyEscapes, m_legacyChars))
        return singleByte();
    return m_reading;
}
