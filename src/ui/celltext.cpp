#include "celltext.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

// The first length characters of text, one fewer when that would split a surrogate pair.
QString head(const QString &text, qsizetype length)
{
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    return text.first(length);
}

} // namespace

namespace CellText {

QString shown(const QString &text)
{
    if (text.size() <= shownLimit)
        return text;
    return head(text, shownLimit) + u'…';
}

QString toolTip(const QString &text)
{
    if (text.size() <= wholeTipLimit)
        return text;
    // Group separators make a length of millions readable at a glance.
    return head(text, tipHeadLength) + u"…\n（共 %1 个字符）"_s.arg(QLocale(QLocale::Chinese, QLocale::China).toString(text.size()));
}

} // namespace CellText
