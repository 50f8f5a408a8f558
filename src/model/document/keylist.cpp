#include "keylist.h"

#include "textencoding.h"

#include <algorithm>
#include <cstring>
#include <limits>

KeyList &KeyList::operator=(KeyList &&other) noexcept
{
    if (this == &other)
        return *this;
    m_rows = std::exchange(other.m_rows, {});
    m_text = std::exchange(other.m_text, {});
    m_used = std::exchange(other.m_used, 0);
    m_unused = std::exchange(other.m_unused, 0);
    m_current = std::exchange(other.m_current, -1);
    m_currentSelected = std::exchange(other.m_currentSelected, false);
    m_sorted = std::exchange(other.m_sorted, false);
    m_sortOrder = std::exchange(other.m_sortOrder, Qt::AscendingOrder);
    return *this;
}

// --- storage ---

quint32 KeyList::checkedLength(qsizetype length)
{
    // A longer text would need a line of over 4 GB and a string of over 8 GB.
    Q_ASSERT(length >= 0 && quint64(length) <= std::numeric_limits<quint32>::max());
    return quint32(std::min<quint64>(quint64(length), std::numeric_limits<quint32>::max()));
}

char *KeyList::reserveBytes(qsizetype bytes, bool even)
{
    // The buffer's size runs ahead of m_used, doubling, so that most rows cost no call.
    const qsizetype pad = (even && (m_used & 1)) ? 1 : 0;
    const qsizetype need = m_used + pad + bytes;
    if (need > m_text.size())
        m_text.resize(std::max({need, 2 * m_text.size(), qsizetype(64)}));
    char *d = m_text.data();
    if (pad)
        d[m_used++] = 0;
    return d + m_used;
}

quint64 KeyList::store(QLatin1StringView text, quint64 asciiFlag, quint64 *flags)
{
    char *d = reserveBytes(text.size(), false);
    if (!text.isEmpty())
        std::memcpy(d, text.data(), size_t(text.size()));
    if (isAscii(QByteArrayView(text.data(), text.size())))
        *flags |= asciiFlag;
    const quint64 offset = quint64(m_used);
    m_used += text.size();
    return offset;
}

quint64 KeyList::store(QStringView text, quint64 wideFlag, quint64 asciiFlag, quint64 *flags)
{
    char16_t widest = 0;
    for (const QChar c : text)
        widest = std::max(widest, c.unicode());
    if (widest >= 0x100) {
        char *d = reserveBytes(text.size() * 2, true);
        std::memcpy(d, text.utf16(), size_t(text.size()) * 2);
        *flags |= wideFlag;
        const quint64 offset = quint64(m_used);
        m_used += text.size() * 2;
        return offset;
    }
    char *d = reserveBytes(text.size(), false);
    for (qsizetype i = 0; i < text.size(); ++i)
        d[i] = char(text[i].unicode());
    if (widest < 0x80)
        *flags |= asciiFlag;
    const quint64 offset = quint64(m_used);
    m_used += text.size();
    return offset;
}

quint64 KeyList::storeCopy(quint64 offset, qsizetype bytes, bool even)
{
    // reserveBytes() may move the buffer: the source is found after it.
    char *d = reserveBytes(bytes, even);
    if (bytes > 0)
        std::memcpy(d, m_text.constData() + offset, size_t(bytes));
    const quint64 copied = quint64(m_used);
    m_used += bytes;
    return copied;
}

KeyList::StoredRow KeyList::pack(const KeyRow &row)
{
    // The data follows the name directly (one byte later when it is UTF-16 and the name
    // ends at an odd offset), so a row needs only the name's offset.
    quint64 flags = row.readEmpty() ? quint64(ReadEmpty) : 0;
    const bool isEmptyText = row.writesEmptyData();
    if (isEmptyText)
        flags |= DataIsEmptyText;
    const QStringView name = row.name();
    const QStringView data = isEmptyText ? QStringView() : QStringView(row.data());
    const quint64 offset = store(name, NameWide, NameAscii, &flags);
    store(data, DataWide, DataAscii, &flags);
    StoredRow stored;
    stored.offsetAndFlags = (offset << kFlagBits) | flags;
    stored.nameLength = checkedLength(name.size());
    stored.dataLength = checkedLength(data.size());
    return stored;
}

qsizetype KeyList::rowBytes(const StoredRow &r) const
{
    const quint64 flags = flagsOf(r);
    const quint64 nameEnd = offsetOf(r) + quint64(byteSize(r.nameLength, flags & NameWide));
    const quint64 dataEnd = dataStart(nameEnd, flags & DataWide)
        + quint64(byteSize(r.dataLength, flags & DataWide));
    return qsizetype(dataEnd - offsetOf(r));
}

namespace {
QString owningCopy(const KeyList::StoredText &t)
{
    return t.wide ? t.utf16.toString() : QString(t.latin1);
}

bool equals(const KeyList::StoredText &t, QStringView text)
{
    return t.wide ? t.utf16 == text : t.latin1 == text;
}
} // namespace

QString KeyList::name(qsizetype pos) const
{
    return owningCopy(storedName(pos));
}

QString KeyList::data(qsizetype pos) const
{
    return owningCopy(storedData(pos));
}

bool KeyList::writesEmptyData(qsizetype pos) const
{
    return flagsOf(m_rows[size_t(pos)]) & DataIsEmptyText;
}

KeyRow KeyList::row(qsizetype pos) const
{
    return KeyRow(name(pos), data(pos), flagsOf(m_rows[size_t(pos)]) & ReadEmpty);
}

std::vector<KeyRow> KeyList::rows() const
{
    std::vector<KeyRow> all;
    all.reserve(m_rows.size());
    for (qsizetype i = 0; i < count(); ++i)
        all.push_back(row(i));
    return all;
}

void KeyList::release(const StoredRow &row)
{
    m_unused += rowBytes(row);
    if (m_unused > 4096 && m_unused * 2 > m_used)
        compact();
}

void KeyList::compact()
{
    // Rebuilds the buffer with the texts still in use, in row order.
    KeyList fresh;
    fresh.m_text.reserve(m_used - m_unused + qsizetype(m_rows.size()) + 16);
    fresh.m_rows.reserve(m_rows.size());
    for (qsizetype i = 0; i < count(); ++i)
        fresh.m_rows.push_back(fresh.pack(row(i)));
    m_rows = std::move(fresh.m_rows);
    m_text = std::move(fresh.m_text);
    m_used = fresh.m_used;
    m_unused = 0;
}

// --- changes ---

void KeyList::insert(qsizetype pos, KeyRow row)
{
    if (pos < 0 || pos > count())
        pos = count();
    const StoredRow stored = pack(row);
    m_rows.insert(m_rows.begin() + pos, stored);
    if (m_current >= pos)
        ++m_current;
}

void KeyList::remove(qsizetype pos)
{
    if (pos < 0 || pos >= count())
        return;
    const StoredRow gone = m_rows[size_t(pos)];
    m_rows.erase(m_rows.begin() + pos);
    if (m_current == pos) {
        m_current = -1;
        m_currentSelected = false;
    } else if (m_current > pos) {
        --m_current;
    }
    release(gone);
}

void KeyList::move(qsizetype from, qsizetype to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    const StoredRow moving = m_rows[size_t(from)];
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, moving);
    // Keep the current row on the same key while the rows between shift by one.
    if (m_current == from)
        m_current = to;
    else if (from < to && m_current > from && m_current <= to)
        --m_current;
    else if (to < from && m_current >= to && m_current < from)
        ++m_current;
}

// A text set to what it already is stays as it is stored. A row's data follows its name
// in the buffer, so a changed text is stored with a copy of the other one's bytes next
// to it; the unchanged text is neither decoded nor scanned.
void KeyList::setName(qsizetype pos, const QString &name)
{
    if (pos < 0 || pos >= count() || equals(storedName(pos), name))
        return;
    const StoredRow old = m_rows[size_t(pos)];
    const quint64 oldFlags = flagsOf(old);
    quint64 flags = oldFlags & (DataWide | DataAscii | ReadEmpty | DataIsEmptyText);
    const quint64 offset = store(name, NameWide, NameAscii, &flags);
    const quint64 oldNameEnd = offsetOf(old) + quint64(byteSize(old.nameLength, oldFlags & NameWide));
    storeCopy(dataStart(oldNameEnd, oldFlags & DataWide), byteSize(old.dataLength, oldFlags & DataWide),
              oldFlags & DataWide);
    m_rows[size_t(pos)] = {(offset << kFlagBits) | flags, checkedLength(name.size()), old.dataLength};
    release(old);
}

void KeyList::setData(qsizetype pos, const QString &data)
{
    if (pos < 0 || pos >= count() || equals(storedData(pos), data))
        return;
    const StoredRow old = m_rows[size_t(pos)];
    const quint64 oldFlags = flagsOf(old);
    quint64 flags = oldFlags & (NameWide | NameAscii | ReadEmpty);
    // As pack(): a row read empty whose data is "(Empty)" again writes empty data.
    const bool isEmptyText = (oldFlags & ReadEmpty) && data == KeyRow::emptyText();
    if (isEmptyText)
        flags |= DataIsEmptyText;
    const QStringView stored = isEmptyText ? QStringView() : QStringView(data);
    const quint64 offset = storeCopy(offsetOf(old), byteSize(old.nameLength, oldFlags & NameWide),
                                     oldFlags & NameWide);
    store(stored, DataWide, DataAscii, &flags);
    m_rows[size_t(pos)] = {(offset << kFlagBits) | flags, old.nameLength, checkedLength(stored.size())};
    release(old);
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
    const bool resort = sortingReorders(on, order);
    m_sorted = on;
    m_sortOrder = order;
    if (resort)
        sortRows();
}

void KeyList::clear()
{
    m_rows.clear();
    m_text.clear();
    m_used = 0;
    m_unused = 0;
    m_current = -1;
    m_currentSelected = false;
}

void KeyList::assign(std::vector<KeyRow> rows, qsizetype current, bool currentSelected)
{
    clear();
    m_rows.reserve(rows.size());
    for (const KeyRow &r : rows)
        m_rows.push_back(pack(r));
    m_sorted = false;
    m_sortOrder = Qt::AscendingOrder;
    setCurrent(current, currentSelected);
}

void KeyList::appendRead(QStringView name, QStringView data)
{
    quint64 flags = 0;
    if (data.isEmpty())
        flags |= ReadEmpty | DataIsEmptyText;
    const quint64 offset = store(name, NameWide, NameAscii, &flags);
    store(data, DataWide, DataAscii, &flags);
    m_rows.push_back({(offset << kFlagBits) | flags, checkedLength(name.size()),
                      checkedLength(data.size())});
}

void KeyList::appendRead(QLatin1StringView name, QLatin1StringView data)
{
    // The common row of a large file: one resize and two copies.
    const qsizetype n = name.size() + data.size();
    char *d = reserveBytes(n, false);
    if (!name.isEmpty())
        std::memcpy(d, name.data(), size_t(name.size()));
    if (!data.isEmpty())
        std::memcpy(d + name.size(), data.data(), size_t(data.size()));
    quint64 flags = data.isEmpty() ? quint64(ReadEmpty | DataIsEmptyText) : 0;
    if (isAscii(QByteArrayView(name.data(), name.size())))
        flags |= NameAscii;
    if (isAscii(QByteArrayView(data.data(), data.size())))
        flags |= DataAscii;
    m_rows.push_back({(quint64(m_used) << kFlagBits) | flags, checkedLength(name.size()),
                      checkedLength(data.size())});
    m_used += n;
}

KeyList KeyList::finishRead()
{
    KeyList list;
    // A small list is copied at its exact size and the scratch list keeps its capacity;
    // a large one hands its buffers over (trimmed in place) to avoid a second copy.
    constexpr qsizetype kLarge = 64 * 1024;
    if (m_used > kLarge) {
        list.m_text = std::exchange(m_text, QByteArray());
        list.m_text.truncate(m_used);
        list.m_text.squeeze();
    } else if (m_used > 0) {
        list.m_text = QByteArray(m_text.constData(), m_used);
    }
    list.m_used = m_used;
    if (qsizetype(m_rows.size()) > kLarge / qsizetype(sizeof(StoredRow))) {
        std::reverse(m_rows.begin(), m_rows.end());
        list.m_rows = std::exchange(m_rows, {});
        if (list.m_rows.capacity() > list.m_rows.size() + list.m_rows.size() / 4)
            list.m_rows.shrink_to_fit();
    } else {
        list.m_rows.assign(m_rows.rbegin(), m_rows.rend());
    }
    if (!list.m_rows.empty())
        list.setCurrent(0, true);
    m_rows.clear();
    m_used = 0;
    m_unused = 0;
    return list;
}

void KeyList::settleAsReadBack()
{
    // A read gives each row the empty data flag exactly when its line's data is empty,
    // which is what the writer writes for a row that writes empty data or has none.
    for (StoredRow &r : m_rows) {
        quint64 flags = flagsOf(r);
        const bool emptyLine = (flags & DataIsEmptyText) || r.dataLength == 0;
        const quint64 keep = flags & (NameWide | NameAscii);
        if (emptyLine) {
            flags = keep | ReadEmpty | DataIsEmptyText;
            r.dataLength = 0;
        } else {
            flags = (flags & ~quint64(ReadEmpty | DataIsEmptyText));
        }
        r.offsetAndFlags = (offsetOf(r) << kFlagBits) | flags;
    }
    std::reverse(m_rows.begin(), m_rows.end());
    m_sorted = false;
    m_sortOrder = Qt::AscendingOrder;
    setCurrent(m_rows.empty() ? -1 : 0, true);
}
