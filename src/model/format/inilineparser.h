#pragma once

#include "documentcontent.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace IniLines {
// The end of the line at p: the first CR or LF, or end.
inline const char *lineEnd(const char *p, const char *end)
{
    // memchr runs through many bytes a step; a line has one LF (or CR) at most.
    const void *lf = std::memchr(p, '\n', size_t(end - p));
    const char *stop = lf ? static_cast<const char *>(lf) : end;
    const void *cr = std::memchr(p, '\r', size_t(stop - p));
    return cr ? static_cast<const char *>(cr) : stop;
}
inline const char16_t *lineEnd(const char16_t *p, const char16_t *end)
{
    while (p < end && *p != u'\n' && *p != u'\r')
        ++p;
    return p;
}
inline const char *find(const char *p, const char *end, char c)
{
    const void *hit = std::memchr(p, c, size_t(end - p));
    return hit ? static_cast<const char *>(hit) : end;
}
inline const char16_t *find(const char16_t *p, const char16_t *end, char16_t c)
{
    return std::find(p, end, c);
}
} // namespace IniLines

// Builds document content from the lines of an INI text, given piece by piece: UTF-16
// code units (Char = char16_t) or UTF-8 bytes (Char = char). The rules are those of
// ReadIniFile; `Texts` turns the parts of a line into stored text:
//   void addRow(KeyList &rows, const Char *name, const Char *nameEnd,
//               const Char *data, const Char *dataEnd);   // calls rows.appendRead()
//   QString sectionName(const Char *from, const Char *to);
template <typename Char, typename Texts>
class IniLineParser
{
public:
    IniLineParser(DocumentContent &content, Texts &texts)
        : m_content(content), m_texts(texts), m_target(&content.rootKeys) {}

    // Parses the lines in [p, end): each ends at CR LF, LF or CR, the last one possibly
    // at end. A CR LF must not be split between two calls.
    void feed(const Char *p, const Char *const end)
    {
        while (p < end) {
            const Char *const lineEnd = IniLines::lineEnd(p, end);
            const Char *const line = p;
            p = lineEnd;
            if (p < end)
                p += (*p == Char('\r') && p + 1 < end && p[1] == Char('\n')) ? 2 : 1;

            if (lineEnd - line >= 2 && line[0] == Char('[') && lineEnd[-1] == Char(']')) {
                *m_target = m_scratch.finishRead();
                auto section = std::make_unique<Section>();
                section->name = m_texts.sectionName(line + 1, lineEnd - 1);
                m_content.sections.push_back(std::move(section));
                m_target = &m_content.sections.back()->keys;
                continue;
            }
            const Char *eq = IniLines::find(line, lineEnd, Char('='));
            if (eq != lineEnd)
                m_texts.addRow(m_scratch, line, eq, eq + 1, lineEnd);
        }
    }

    // Completes the last list. Call once, after the last feed().
    void finish() { *m_target = m_scratch.finishRead(); }

private:
    DocumentContent &m_content;
    Texts &m_texts;
    // Rows are gathered in file order on one scratch list and turned into the final list
    // in reverse: the list shows the last key read on top, as if each row had been
    // inserted at the top.
    KeyList m_scratch;
    KeyList *m_target;
};
