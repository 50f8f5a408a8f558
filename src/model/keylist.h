#pragma once

#include "keyrow.h"

#include <QtGlobal>
#include <vector>

// The rows of one key list and the list's own view state: its current row (the
// focused one, which need not be selected), whether that row is selected, and its
// sorting switch. Row positions are 0-based here; -1 means "no row".
//
// While the sorting switch is on, the rows stay ordered by name (KeyCollation, stable
// for equal names): inserting or renaming a row puts it in its sorted place. The
// document owns every list and is the only one that changes it, so that views hear
// of each change; read access is free for anyone.
class KeyList
{
public:
    qsizetype count() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    const KeyRow &row(qsizetype pos) const { return m_rows[size_t(pos)]; }
    const std::vector<KeyRow> &rows() const { return m_rows; }

    // Where a row named `name` would stand while the list is sorted: after every row
    // that sorts before or equal to it. `skip` is the row's own position when it is in
    // the list already, else -1. Only meaningful while sorted().
    qsizetype sortedPosition(const QString &name, qsizetype skip) const;

    qsizetype current() const { return m_current; }
    bool currentSelected() const { return m_current >= 0 && m_currentSelected; }

    bool sorted() const { return m_sorted; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // --- changes; the document calls these and tells the views ---

    // Inserts at pos (clamped to 0..count) or, while sorted, at the sorted place.
    // Returns the position the row took. The current row keeps pointing at its row.
    qsizetype insert(qsizetype pos, KeyRow row);
    // Removes the row at pos; a current row after it moves up with it, and removing the
    // current row leaves the list without one.
    void remove(qsizetype pos);
    // Renames the row at pos; while sorted, the row moves to its new sorted place.
    // Returns the row's new position.
    qsizetype setName(qsizetype pos, const QString &name);
    void setData(qsizetype pos, const QString &data);
    void setCurrent(qsizetype pos, bool selected);
    // Turning the switch on sorts the rows (stable); turning it off keeps their order.
    void setSorting(bool on, Qt::SortOrder order = Qt::AscendingOrder);
    void clear();

    // Bulk building for readers: rows in the order given, sorting off.
    void assign(std::vector<KeyRow> rows, qsizetype current, bool currentSelected);
    std::vector<KeyRow> takeRows();

private:
    void sortRows();

    std::vector<KeyRow> m_rows;
    qsizetype m_current = -1;
    bool m_currentSelected = false;
    bool m_sorted = false;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
