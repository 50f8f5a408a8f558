#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// How the bytes of a legacy code page form characters: which bytes lead a two-byte
// sequence, which may follow a lead byte, and (GB18030 only) the four-byte form. The
// byte structure alone: whether a sequence is assigned is the converter's business.
//
// In every code page here CR, LF, "=" and the bytes below 0x30 never follow a lead
// byte, so lines and the "=" of a key line are found in the bytes; "[", "\" and "]"
// can (0x40..0x7E), so a byte below 0x80 is that character only where a sequence starts.
class CodePageLayout
{
public:
    static constexpr int kGb18030 = 54936;

    explicit CodePageLayout(int codePage);

    int codePage() const { return m_codePage; }
    // The name Qt's converters (through ICU) know the code page by.
    QByteArray converterName() const;
    // "GB18030", "ANSI 代码页 936", ...
    QString displayName() const;

    bool isLead(uchar b) const { return m_lead[b]; }
    bool isTrail(uchar b) const { return m_trail[b]; }

    // Length of the sequence at s (1, 2 or 4), 0 when s starts none: a lead byte that no
    // valid byte follows, or a byte that is never a character of its own (GB18030's 80
    // and FF). A byte from 80 up that leads nothing is one character.
    int sequenceLength(const uchar *s, const uchar *end) const
    {
        const uchar b = *s;
        if (b < 0x80)
            return 1;
        if (!m_lead[b])
            return m_single ? 1 : 0;
        if (end - s < 2)
            return 0;
        if (m_trail[s[1]])
            return 2;
        if (m_fourByte && s[1] >= 0x30 && s[1] <= 0x39 && end - s >= 4 && m_lead[s[2]]
            && s[3] >= 0x30 && s[3] <= 0x39)
            return 4;
        return 0;
    }

private:
    int m_codePage;
    bool m_single = true;    // bytes from 80 up that lead nothing are characters
    bool m_fourByte = false; // GB18030's four-byte sequences
    std::array<bool, 256> m_lead{};
    std::array<bool, 256> m_trail{};
};
