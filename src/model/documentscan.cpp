#include "documentscan.h"

#include "inidocument.h"
#include "textcodec.h"

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
            escaped |= TextCodec::isEscape(u);
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
        if (TextCodec::isEscape(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    text.replace(u"\r\n"_s, u"↵"_s).replace(u'\r', u'↵').replace(u'\n', u'↵');
    return u"“"_s + text + u"”"_s;
}

QString where(const IniDocument &doc, int member)
{
    return member == 0 ? u"第一个节之前"_s : u"节 "_s + shown(doc.nodeText(member));
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

DocumentScan scanDocument(const IniDocument &doc)
{
    DocumentScan scan;
    Scanner scanner;
    bool rowsReadBack = true;
    for (int member = 0; member <= doc.nodeCount(); member = member == 0 ? 2 : member + 1) {
        if (member >= 2 && scanner.lineBreakIn(QStringView(doc.nodeText(member)))) {
            scan.lineBreak = u"节 %1 的名称含有换行符（CR 或 LF），保存后会读成别的内容"_s.arg(
                shown(doc.nodeText(member)));
            return scan;
        }
        const KeyList &keys = *doc.list(member);
        for (qsizetype i = 0; i < keys.count(); ++i) {
            const bool inName = scanner.lineBreakIn(keys.storedName(i));
            if (inName || scanner.lineBreakIn(keys.storedData(i))) {
                scan.lineBreak = u"%1中键 %2 的%3含有换行符（CR 或 LF），保存后会读成别的内容"_s.arg(
                    where(doc, member), shown(keys.name(i)), inName ? u"名称"_s : u"数据"_s);
                return scan;
            }
            rowsReadBack = rowsReadBack && rowReadsBack(keys, i);
        }
    }

    // How a read works out the encoding again: a byte-order mark tells, and so do the
    // zero bytes of UTF-16 without one (the writer refuses a file that would lose them),
    // unless there are no bytes at all; among 8-bit encodings, ASCII bytes get the
    // encoding of a new file, other valid UTF-8 is UTF-8, and anything else is worked out
    // by guessing, which only a real read can say.
    const TextEncoding encoding = doc.encoding();
    scan.readEncoding = encoding;
    bool encodingKnown = true;
    const bool noLines = doc.sectionCount() == 0 && doc.list(0)->count() == 0;
    if (noLines && TextCodec::byteOrderMark(encoding).isEmpty()) {
        scan.readEncoding = defaultNewFileEncoding();
    } else if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Legacy || isSingleByte(encoding)) {
        if (scanner.ascii)
            scan.readEncoding = defaultNewFileEncoding();
        else
            encodingKnown = encoding == TextEncoding::Utf8 && !scanner.escapes;
    }
    scan.readsBack = rowsReadBack && encodingKnown;
    // Each character of legacy text is written as bytes that decode alone to it again,
    // and every line the writer makes holds "=" or is a header whose "]" follows whole
    // characters: a read in the code page loses no line and keeps no escape.
    scan.escapes = scanner.escapes;
    scan.readsBackUnlessUtf8 = rowsReadBack && encoding == TextEncoding::Legacy && !scanner.ascii
                               && !scanner.escapes;
    return scan;
}

QString describeLine(const IniDocument &doc, qsizetype line)
{
    qsizetype index = line - 1;
    const KeyList &rootKeys = *doc.list(0);
    if (index < rootKeys.count())
        return u"第一个节之前的键"_s + shown(rootKeys.name(index));
    index -= rootKeys.count();
    for (const auto &section : doc.sections()) {
        if (index == 0)
            return u"节"_s + shown(section->name) + u"的名称"_s;
        if (--index < section->keys.count())
            return u"节"_s + shown(section->name) + u"的键"_s + shown(section->keys.name(index));
        index -= section->keys.count();
    }
    return {};
}
