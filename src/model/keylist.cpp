#include "keylist.h"

#include "keycollation.h"

#include <algorithm>

qsizetype KeyList::insert(qsizetype pos, KeyRow row)
{
    if (m_sorted) {
        pos = sortedPosition(row.name(), -1);
    } else if (pos < 0 || pos > count()) {
        pos = count();
    }
    m_rows.insert(m_rows.begin() + pos, std::move(row));
    if (m_current >= pos)
        ++m_current;
    return pos;
}

void KeyList::remove(qsizetype pos)
{
    if (pos < 0 || pos >= count())
        return;
    m_rows.erase(m_rows.begin() + pos);
    if (m_current == pos) {
        m_current = -1;
        m_currentSelected = false;
    } else if (m_current > pos) {
        --m_current;
    }
}

qsizetype KeyList::setName(qsizetype pos, const QString &name)
{
    if (pos < 0 || pos >= count())
        return -1;
    m_rows[size_t(pos)].setName(name);
    if (!m_sorted)
        return pos;
    const qsizetype to = sortedPosition(name, pos);
    if (to == pos)
        return pos;
    KeyRow moving = std::move(m_rows[size_t(pos)]);
    m_rows.erase(m_rows.begin() + pos);
    m_rows.insert(m_rows.begin() + to, std::move(moving));
    // Keep the current row on the same key while the rows between shift by one.
    if (m_current == pos)
        m_current = to;
    else if (pos < to && m_current > pos && m_current <= to)
        --m_current;
    else if (to < pos && m_current >= to && m_current < pos)
        ++m_current;
    return to;
}

void KeyList::setData(qsizetype pos, const QString &data)
{
    if (pos >= 0 && pos < count())
        m_rows[size_t(pos)].setData(data);
}

void KeyList::setCurrent(qsizetype pos, bool selected)
{
    if (pos < 0 || pos >= count()) {
        m_current = -1;
        m_currentSelected = false;
        return;
    }
    m_current = pos;
    m_currentSelected = selected;
}

void KeyList::setSorting(bool on, Qt::SortOrder order)
{
    const bool resort = on && (!m_sorted || order != m_sortOrder);
    m_sorted = on;
    m_sortOrder = order;
    if (resort)
        sortRows();
}

void KeyList::clear()
{
    m_rows.clear();
    m_current = -1;
    m_currentSelected = false;
}

void KeyList::assign(std::vector<KeyRow> rows, qsizetype current, bool currentSelected)
{
    m_rows = std::move(rows);
    m_sorted = false;
    m_sortOrder = Qt::AscendingOrder;
    setCurrent(current, currentSelected);
}

std::vector<KeyRow> KeyList::takeRows()
{
    std::vector<KeyRow> rows = std::move(m_rows);
    m_rows.clear();
    m_current = -1;
    m_currentSelected = false;
    return rows;
}

qsizetype KeyList::sortedPosition(const QString &name, qsizetype skip) const
{
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    auto goesAfter = [&](const KeyRow &other) {
        const int order = KeyCollation::compare(other.name(), name);
        return ascending ? order <= 0 : order >= 0;
    };
    // Binary search over the rows without `skip`, which are sorted.
    qsizetype lo = 0;
    qsizetype hi = count() - (skip >= 0 ? 1 : 0);
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        const qsizetype index = (skip >= 0 && mid >= skip) ? mid + 1 : mid;
        if (goesAfter(m_rows[size_t(index)]))
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
    std::vector<QStringView> names;
    names.reserve(size_t(n));
    for (const KeyRow &row : m_rows)
        names.emplace_back(row.name());
    const std::vector<qsizetype> order = KeyCollation::sortedOrder(names, m_sortOrder);
    std::vector<KeyRow> sorted;
    sorted.reserve(size_t(n));
    qsizetype newCurrent = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype from = order[size_t(i)];
        if (from == m_current)
            newCurrent = i;
        sorted.push_back(std::move(m_rows[size_t(from)]));
    }
    m_rows = std::move(sorted);
    m_current = newCurrent;
}
