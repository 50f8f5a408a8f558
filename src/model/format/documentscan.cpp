#include "documentscan.h"

#include "documentcontent.h"
#include "escapes.h"

#include <cstring>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

bool hasLineBreak(QLatin1StringView text)
{
    const auto n = size_t(text.size());
    return n > 0 && (std::memchr(text.data(), '\n', n) || std::memchr(text.data(), '\r', n));
}

struct Scanner
{
    bool escapes = false; // a character that stands for an undecodable byte
    bool ascii = true;

    bool lineBreakIn(QStringView text)
    {
        // Without branches, so that the compiler can take many characters a step.
        bool breaks = false;
        bool high = false;
        bool escaped = false;
        for (const char16_t u : std::u16string_view(text.utf16(), size_t(text.size()))) {
            breaks |= (u == u'\n') | (u == u'\r');
            high |= u >= 0x80;
            escaped |= Escapes::isEscape(u);
        }
        ascii = ascii && !high;
        escapes = escapes || escaped;
        return breaks;
    }
    bool lineBreakIn(const KeyList::StoredText &t)
    {
        if (t.wide)
            return lineBreakIn(t.utf16);
        ascii = ascii && t.ascii;
        return hasLineBreak(t.latin1);
    }
};

// A name for a message, in quotes, as the window shows it (undecodable bytes as U+FFFD),
// short, and with its line breaks shown.
QString shown(QString text)
{
    constexpr qsizetype kShown = 40;
    if (text.size() > kShown)
        text = text.first(kShown) + u'…';
    for (QChar &c : text) {
        if (Escapes::isEscape(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    text.replace(u"\r\n"_s, u"↵"_s).replace(u'\r', u'↵').replace(u'\n', u'↵');
    return u"“"_s + text + u"”"_s;
}


bool startsWithText(const KeyList::StoredText &t, char16_t c)
{
    return t.size() > 0 && (t.wide ? t.utf16.front().unicode() : t.latin1.front().unicode()) == c;
}

bool endsWithText(const KeyList::StoredText &t, char16_t c)
{
    return t.size() > 0 && (t.wide ? t.utf16.back().unicode() : t.latin1.back().unicode()) == c;
}

bool containsEquals(const KeyList::StoredText &t)
{
    return t.wide ? t.utf16.contains(u'=') : t.latin1.contains(u'=');
}

// A key line that reads back as something else than this row: a name holding "=" (the
// read splits at the first one), or a line "[" ... "]" (a header).
bool rowReadsBack(const KeyList &keys, qsizetype i)
{
    const KeyList::StoredText name = keys.storedName(i);
    if (containsEquals(name))
        return false;
    if (!startsWithText(name, u'['))
        return true;
    return keys.writesEmptyData(i) || !endsWithText(keys.storedData(i), u']');
}

} // namespace

DocumentScan scanDocument(const DocumentContent &content)
{
    DocumentScan scan;
    Scanner scanner;
    bool rowsReadBack = true;
    // The root's keys (section == nullptr), then each section's name and keys.
    auto scanList = [&](const Section *section, const KeyList &keys) {
        if (section && scanner.lineBreakIn(QStringView(section->name))) {
            scan.lineBreak = u"节 %1 的名称含有换行符（CR 或 LF），保存后会读成别的内容"_s.arg(
                shown(section->name));
            return false;
        }
        for (qsizetype i = 0; i < keys.count(); ++i) {
            const bool inName = scanner.lineBreakIn(keys.storedName(i));
            if (inName || scanner.lineBreakIn(keys.storedData(i))) {
                const QString where = section ? u"节 "_s + shown(section->name) : u"第一个节之前"_s;
                scan.lineBreak = u"%1中键 %2 的%3含有换行符（CR 或 LF），保存后会读成别的内容"_s.arg(
                    where, shown(keys.name(i)), inName ? u"名称"_s : u"数据"_s);
                return false;
            }
            rowsReadBack = rowsReadBack && rowReadsBack(keys, i);
        }
        return true;
    };
    if (!scanList(nullptr, content.rootKeys))
        return scan;
    for (const auto &section : content.sections) {
        if (!scanList(section.get(), section->keys))
            return scan;
    }
    scan.rowsReadBack = rowsReadBack;
    scan.ascii = scanner.ascii;
    scan.escapes = scanner.escapes;
    return scan;
}

QString describeLine(const DocumentContent &content, qsizetype line)
{
    qsizetype index = line - 1;
    const KeyList &rootKeys = content.rootKeys;
    if (index < rootKeys.count())
        return u"第一个节之前的键"_s + shown(rootKeys.name(index));
    index -= rootKeys.count();
    for (const auto &section : content.sections) {
        if (index == 0)
            return u"节"_s + shown(section->name) + u"的名称"_s;
        if (--index < section->keys.count())
            return u"节"_s + shown(section->name) + u"的键"_s + shown(section->keys.name(index));
        index -= section->keys.count();
    }
    return {};
}
