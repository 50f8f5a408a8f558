#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <vector>

// The order in which a sorted key list shows its rows: case-insensitive and
// locale-aware (the user's locale; the root collation under the C locale), as a
// platform list control orders its labels.
class KeyCollation
{
public:
    // Negative, zero or positive as a sorts before, with or after b.
    static int compare(QStringView a, QStringView b);
    // The stable sorting permutation of names: result[i] is the index of the name that
    // goes to place i. Equal names keep their relative order in either direction.
    static std::vector<qsizetype> sortedOrder(const std::vector<QStringView> &names,
                                              Qt::SortOrder order);

    // The two ways to the same order: ICU's collator directly (its sort keys are plain
    // bytes), where the program is built with ICU, and Qt's QCollator otherwise.
    enum class Route { Icu, Qt };
    static bool hasIcu();
    // sortedOrder() along the given route and for the given locale (Icu without ICU
    // falls back to Qt).
    static std::vector<qsizetype> sortedOrder(const std::vector<QStringView> &names,
                                              Qt::SortOrder order, Route route, const QLocale &locale);
};
