#pragma once

#include "keyrow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QStringView>
#include <QtGlobal>
#include <vector>

// The rows of one key list and the list's own view state: its current row (the
// focused one, which need not be selected), whether that row is selected, and its
// sorting switch. Row positions are 0-based here; -1 means "no row".
//
// While the sorting switch is on, the rows stay ordered by name (KeyCollation, stable
// for equal names): the list decides where an inserted or renamed row goes
// (insertPosition(), renamedPosition()). The document owns every list and is the only
// one that changes it, so that views hear of each change; read access is free for
// anyone.
//
// Storage. A list keeps its rows compact, for files of millions of keys: every name
// and data text lives in one buffer of the list, one byte a character when the text
// is Latin-1 and UTF-16 otherwise, and a row is 16 bytes pointing into it. row(),
// name() and data() therefore hand out owning copies; storedName()/storedData() give
// views that stay valid only until the list next changes.
class KeyList
{
public:
    KeyList() = default;
    KeyList(const KeyList &other) = default;
    KeyList &operator=(const KeyList &other) = default;
    // A list moved from is empty.
    KeyList(KeyList &&other) noexcept { *this = std::move(other); }
    KeyList &operator=(KeyList &&other) noexcept;
    ~KeyList() = default;

    qsizetype count() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    // A copy of the row at pos (0..count()-1).
    KeyRow row(qsizetype pos) const;
    QString name(qsizetype pos) const;
    QString data(qsizetype pos) const;
    // KeyRow::writesEmptyData() of the row at pos, without copying it.
    bool writesEmptyData(qsizetype pos) const;
    // Copies of all rows in list order (for tools and tests: O(count) each call).
    std::vector<KeyRow> rows() const;

    // A stored text without a copy: latin1 when !wide, else utf16; `ascii` when every
    // character is below 0x80. Valid until the list next changes.
    struct StoredText
    {
        QLatin1StringView latin1;
        QStringView utf16;
        bool wide = false;
        bool ascii = false;
        qsizetype size() const { return wide ? utf16.size() : latin1.size(); }
    };
    StoredText storedName(qsizetype pos) const
    {
        const StoredRow &r = m_rows[size_t(pos)];
        const quint64 flags = flagsOf(r);
        return text(offsetOf(r), r.nameLength, flags & NameWide, flags & NameAscii);
    }
    StoredText storedData(qsizetype pos) const
    {
        const StoredRow &r = m_rows[size_t(pos)];
        const quint64 flags = flagsOf(r);
        if (flags & DataIsEmptyText) {
            StoredText t;
            t.latin1 = KeyRow::emptyText();
            t.ascii = true;
            return t;
        }
        const quint64 nameEnd = offsetOf(r) + quint64(byteSize(r.nameLength, flags & NameWide));
        return text(dataStart(nameEnd, flags & DataWide), r.dataLength, flags & DataWide,
                    flags & DataAscii);
    }

    // Where a row goes. insertPosition(): a new row named `name` asked for at pos (pos
    // out of 0..count() means the end). renamedPosition(): the row at pos once it is named
    // `name`. While the sorting switch is on both give the sorted place, after every other
    // row that sorts before or equal to the name; otherwise the position asked. The
    // changes below take the position these give, so a sorted list stays sorted.
    qsizetype insertPosition(qsizetype pos, const QString &name) const;
    qsizetype renamedPosition(qsizetype pos, const QString &name) const;

    qsizetype current() const { return m_current; }
    bool currentSelected() const { return m_current >= 0 && m_currentSelected; }

    bool sorted() const { return m_sorted; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // --- changes; the document calls these and tells the views ---

    // Inserts at pos (out of 0..count() means the end). The current row keeps pointing
    // at its row.
    void insert(qsizetype pos, KeyRow row);
    // Removes the row at pos; a current row after it moves up with it, and removing the
    // current row leaves the list without one.
    void remove(qsizetype pos);
    // Moves the row at from to position to (both 0..count()-1); the current row stays on
    // its key.
    void move(qsizetype from, qsizetype to);
    // Change one text of the row at pos, which stays where it is; the other text, or
    // both when the new one equals the old, is kept as it is stored.
    void setName(qsizetype pos, const QString &name);
    void setData(qsizetype pos, const QString &data);
    void setCurrent(qsizetype pos, bool selected);
    // Turning the switch on sorts the rows (stable); turning it off keeps their order.
    void setSorting(bool on, Qt::SortOrder order = Qt::AscendingOrder);
    // Whether setSorting(on, order) would reorder the rows: the switch goes on, or the
    // order changes while it is on.
    bool sortingReorders(bool on, Qt::SortOrder order) const
    {
        return on && (!m_sorted || order != m_sortOrder);
    }
    void clear();

    // Bulk building for readers: rows in the order given, sorting off.
    void assign(std::vector<KeyRow> rows, qsizetype current, bool currentSelected);

    // Faster bulk building for readers, without a KeyRow per line, on a scratch list:
    // appendRead() adds a row as a key line "name=data" reads (empty data becomes the
    // "(Empty)" that stands for it). finishRead() returns the list a read gives, with
    // no spare capacity: the rows in reverse order, the first one current and selected,
    // sorting off. The scratch list is then empty but keeps its capacity for the next.
    void appendRead(QStringView name, QStringView data);
    void appendRead(QLatin1StringView name, QLatin1StringView data);
    KeyList finishRead();
    // Turns the list into the one a read of its own written lines gives: the rows in
    // reverse order, a row whose line has empty data marked read empty (shown as
    // "(Empty)"), every other row not, the first row current and selected, sorting off.
    // Rows keep their texts where they are; nothing is copied.
    void settleAsReadBack();

private:
    friend class DocumentTesting;

    // A row: offset and flags packed in one word, lengths in characters.
    struct StoredRow
    {
        quint64 offsetAndFlags = 0;
        quint32 nameLength = 0;
        quint32 dataLength = 0;
    };
    enum Flag : quint64 {
        NameWide = 1,        // the name is UTF-16, else Latin-1
        DataWide = 2,
        NameAscii = 4,       // the name's characters are all below 0x80
        DataAscii = 8,
        ReadEmpty = 16,      // KeyRow::readEmpty()
        DataIsEmptyText = 32 // the data is KeyRow::emptyText(), not stored
    };
    static constexpr int kFlagBits = 6;

    static quint64 flagsOf(const StoredRow &r) { return r.offsetAndFlags & ((1u << kFlagBits) - 1); }
    static quint64 offsetOf(const StoredRow &r) { return r.offsetAndFlags >> kFlagBits; }
    static qsizetype byteSize(quint32 length, bool wide) { return qsizetype(length) * (wide ? 2 : 1); }
    qsizetype rowBytes(const StoredRow &r) const;

    // UTF-16 data starts at the next even offset after the name.
    static quint64 dataStart(quint64 nameEnd, bool dataWide)
    {
        return dataWide ? (nameEnd + 1) & ~quint64(1) : nameEnd;
    }
    StoredText text(quint64 offset, quint32 length, bool wide, bool ascii) const
    {
        StoredText t;
        t.wide = wide;
        t.ascii = ascii;
        if (wide)
            t.utf16 = QStringView(reinterpret_cast<const char16_t *>(m_text.constData() + offset),
                                  qsizetype(length));
        else
            t.latin1 = QLatin1StringView(m_text.constData() + offset, qsizetype(length));
        return t;
    }
    QString copy(quint64 offset, quint32 length, bool wide) const;
    // Appends a text to the buffer; returns its offset and sets *flags to `wideFlag`
    // and/or `asciiFlag` as they apply.
    quint64 store(QStringView text, quint64 wideFlag, quint64 asciiFlag, quint64 *flags);
    quint64 store(QLatin1StringView text, quint64 asciiFlag, quint64 *flags);
    // Appends a copy of stored bytes of this list's buffer; returns the copy's offset.
    quint64 storeCopy(quint64 offset, qsizetype bytes, bool even);
    StoredRow pack(const KeyRow &row);
    static quint32 checkedLength(qsizetype length);
    // Makes room for `bytes` more bytes at m_used, first moving m_used to an even offset
    // (for UTF-16) when `even`; returns where they go.
    char *reserveBytes(qsizetype bytes, bool even);
    // Counts a row's texts as unused and drops unused text once it is half the buffer.
    void release(const StoredRow &row);
    void compact();
    // The sorted place of a row named `name`, leaving out the row at `skip` (or none: -1).
    qsizetype sortedPosition(const QString &name, qsizetype skip) const;
    void sortRows();

    std::vector<StoredRow> m_rows;
    // The text buffer, of which the first m_used bytes are in use. UTF-16 texts start at even offsets and are
    // read in place; QByteArray grows and shrinks with realloc, which moves no bytes
    // for the large buffers of lists with a million keys.
    QByteArray m_text;
    qsizetype m_used = 0;
    qsizetype m_unused = 0;
    qsizetype m_current = -1;
    bool m_currentSelected = false;
    bool m_sorted = false;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
