// The sorting part of KeyList.
#include "keylist.h"

#include "keycollation.h"

#include <algorithm>

// --- sorting ---

qsizetype KeyList::insertPosition(qsizetype pos, const QString &name) const
{
    if (m_sorted)
        return sortedPosition(name, -1);
    return pos < 0 || pos > count() ? count() : pos;
}

qsizetype KeyList::renamedPosition(qsizetype pos, const QString &name) const
{
    return m_sorted ? sortedPosition(name, pos) : pos;
}

qsizetype KeyList::sortedPosition(const QString &name, qsizetype skip) const
{
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    QString other;
    auto goesAfter = [&](qsizetype index) {
        const StoredText t = storedName(index);
        int order;
        if (t.wide) {
            order = KeyCollation::compare(t.utf16, name);
        } else {
            other = t.latin1;
            order = KeyCollation::compare(other, name);
        }
        return ascending ? order <= 0 : order >= 0;
    };
    // Binary search over the rows without `skip`, which are sorted.
    qsizetype lo = 0;
    qsizetype hi = count() - (skip >= 0 ? 1 : 0);
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        const qsizetype index = (skip >= 0 && mid >= skip) ? mid + 1 : mid;
        if (goesAfter(index))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void KeyList::sortRows()
{
    const qsizetype n = count();
    if (n < 2)
        return;
    // All names as UTF-16 in one buffer: the collation works on UTF-16 views.
    qsizetype units = 0;
    for (const StoredRow &r : m_rows)
        units += r.nameLength;
    std::vector<char16_t> all(static_cast<size_t>(units));
    std::vector<QStringView> names;
    names.reserve(size_t(n));
    char16_t *d = all.data();
    for (qsizetype i = 0; i < n; ++i) {
        const StoredText t = storedName(i);
        if (t.wide) {
            std::copy(t.utf16.utf16(), t.utf16.utf16() + t.utf16.size(), d);
        } else {
            const auto *s = reinterpret_cast<const unsigned char *>(t.latin1.data());
            std::copy(s, s + t.latin1.size(), d);
        }
        names.emplace_back(d, t.size());
        d += t.size();
    }
    const std::vector<qsizetype> order = KeyCollation::sortedOrder(names, m_sortOrder);
    std::vector<StoredRow> sorted;
    sorted.reserve(size_t(n));
    qsizetype newCurrent = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype from = order[size_t(i)];
        if (from == m_current)
            newCurrent = i;
        sorted.push_back(m_rows[size_t(from)]);
    }
    m_rows = std::move(sorted);
    m_current = newCurrent;
}
