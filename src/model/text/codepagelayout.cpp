#include "codepagelayout.h"

#ifdef Q_OS_WIN
#  include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {
void mark(std::array<bool, 256> &set, int from, int to)
{
    for (int b = from; b <= to; ++b)
        set[size_t(b)] = true;
}
} // namespace

CodePageLayout::CodePageLayout(int codePage) : m_codePage(codePage)
{
    switch (codePage) {
    case kGb18030:
        m_single = false;
        m_fourByte = true;
        mark(m_lead, 0x81, 0xFE);
        mark(m_trail, 0x40, 0x7E);
        mark(m_trail, 0x80, 0xFE);
        break;
    case 936: // GBK; 80 is the euro sign
        mark(m_lead, 0x81, 0xFE);
        mark(m_trail, 0x40, 0x7E);
        mark(m_trail, 0x80, 0xFE);
        break;
    case 950: // Big5
        mark(m_lead, 0x81, 0xFE);
        mark(m_trail, 0x40, 0x7E);
        mark(m_trail, 0xA1, 0xFE);
        break;
    case 949: // Unified Hangul Code
        mark(m_lead, 0x81, 0xFE);
        mark(m_trail, 0x41, 0x5A);
        mark(m_trail, 0x61, 0x7A);
        mark(m_trail, 0x81, 0xFE);
        break;
    case 932: // Shift JIS; A1..DF are half-width katakana of one byte
        mark(m_lead, 0x81, 0x9F);
        mark(m_lead, 0xE0, 0xFC);
        mark(m_trail, 0x40, 0x7E);
        mark(m_trail, 0x80, 0xFC);
        break;
    default:
#ifdef Q_OS_WIN
        // Another double-byte ANSI code page: the system knows its lead bytes.
        for (int b = 0x80; b <= 0xFF; ++b)
            m_lead[size_t(b)] = IsDBCSLeadByteEx(UINT(codePage), BYTE(b));
        mark(m_trail, 0x40, 0x7E);
        mark(m_trail, 0x80, 0xFE);
#endif
        break; // a single-byte code page
    }
}

QByteArray CodePageLayout::converterName() const
{
    if (m_codePage == kGb18030)
        return "GB18030";
    if (m_codePage == 932)
        return "windows-31j";
    return "windows-" + QByteArray::number(m_codePage);
}

QString CodePageLayout::displayName() const
{
    if (m_codePage == kGb18030)
        return u"GB18030"_s;
    return u"ANSI 代码页 %1"_s.arg(m_codePage);
}
