#pragma once

#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

// The order in which a sorted key list shows its rows: case-insensitive and
// locale-aware, as a platform list control orders its labels. Equal names keep their
// relative order (sorting is stable); that part is up to the caller.
class KeyCollation
{
public:
    // Negative, zero or positive as a sorts before, with or after b.
    static int compare(QStringView a, QStringView b);
    static bool lessThan(QStringView a, QStringView b) { return compare(a, b) < 0; }
    // A key that compares as compare() does; cheaper than compare() when one name takes
    // part in many comparisons, as in a sort.
    static QCollatorSortKey sortKey(const QString &name);
};
