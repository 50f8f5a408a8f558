#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// What the views show of a name or data of any length. The views stay quick whatever
// a text's length: a cell draws at most shownLimit characters, and a tooltip holds the
// whole text up to wholeTipLimit characters, else its start and its length. The
// document, the value editor and the saved file always keep the whole text. Each
// function copies at most a few thousand characters, whatever the text's length.
namespace CellText {

inline constexpr qsizetype shownLimit = 4000;
inline constexpr qsizetype wholeTipLimit = 1000;
inline constexpr qsizetype tipHeadLength = 300;

// text itself when it has at most shownLimit characters; else its first shownLimit
// characters (never half a surrogate pair) followed by "…".
QString shown(QStringView text);
QString shown(QLatin1StringView text);

// The cell's tooltip: text itself up to wholeTipLimit characters; else its first
// tipHeadLength characters, "…" and a line "（共 N 个字符）" with the whole length.
// Empty for an empty text.
QString toolTip(QStringView text);
QString toolTip(QLatin1StringView text);

} // namespace CellText
