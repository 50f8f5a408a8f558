#include "celltext.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

// The first length characters of text, one fewer when that would split a surrogate pair.
QString head(QStringView text, qsizetype length)
{
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    return text.first(length).toString();
}

QString head(QLatin1StringView text, qsizetype length)
{
    return QString(text.first(length));
}

QString whole(QStringView text) { return text.toString(); }
QString whole(QLatin1StringView text) { return QString(text); }

template<typename View>
QString shownOf(View text)
{
    if (text.size() <= CellText::shownLimit)
        return whole(text);
    return head(text, CellText::shownLimit) + u'…';
}

template<typename View>
QString toolTipOf(View text)
{
    if (text.size() <= CellText::wholeTipLimit)
        return whole(text);
    // Group separators make a length of millions readable at a glance.
    const QString length = QLocale(QLocale::Chinese, QLocale::China).toString(text.size());
    return head(text, CellText::tipHeadLength) + u"…\n（共 %1 个字符）"_s.arg(length);
}

} // namespace

namespace CellText {

QString shown(QStringView text) { return shownOf(text); }
QString shown(QLatin1StringView text) { return shownOf(text); }
QString toolTip(QStringView text) { return toolTipOf(text); }
QString toolTip(QLatin1StringView text) { return toolTipOf(text); }

} // namespace CellText
