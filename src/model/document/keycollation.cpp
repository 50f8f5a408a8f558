#include "keycollation.h"

#include "documenttesting.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

#ifdef TARNWICK_HAVE_ICU
#include <unicode/ucol.h>
#endif

namespace {

#ifdef TARNWICK_HAVE_ICU
// ICU directly where it is at hand: its sort keys are plain bytes, which lets a sort of
// a million names compare contiguous memory instead of calling the collator 20 million
// times. Secondary strength ignores case, as the list control does.
class IcuCollator
{
public:
    explicit IcuCollator(const QLocale &locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        const QByteArray name = locale.language() == QLocale::C ? QByteArray() : locale.name().toLatin1();
        m_collator = ucol_open(name.constData(), &status);
        if (U_FAILURE(status)) {
            status = U_ZERO_ERROR;
            m_collator = ucol_open("", &status);
        }
        if (m_collator)
            ucol_setStrength(m_collator, UCOL_SECONDARY);
    }
    ~IcuCollator() { ucol_close(m_collator); }
    IcuCollator(const IcuCollator &) = delete;
    IcuCollator &operator=(const IcuCollator &) = delete;

    bool isValid() const { return m_collator != nullptr; }

    int compare(QStringView a, QStringView b) const
    {
        return ucol_strcoll(m_collator, reinterpret_cast<const UChar *>(a.utf16()), int32_t(a.size()),
                            reinterpret_cast<const UChar *>(b.utf16()), int32_t(b.size()));
    }

    // Appends the name's sort key to buffer; returns its length.
    uint32_t appendKey(QStringView name, std::vector<uint8_t> &buffer) const
    {
        const size_t start = buffer.size();
        const auto *text = reinterpret_cast<const UChar *>(name.utf16());
        const auto length = int32_t(name.size());
        buffer.resize(start + 64);
        int32_t needed = ucol_getSortKey(m_collator, text, length, buffer.data() + start, 64);
        if (needed > 64) {
            buffer.resize(start + size_t(needed));
            needed = ucol_getSortKey(m_collator, text, length, buffer.data() + start, needed);
        }
        buffer.resize(start + size_t(needed));
        return uint32_t(needed);
    }

private:
    UCollator *m_collator = nullptr;
};

const IcuCollator &icuCollator()
{
    static const IcuCollator instance{QLocale()};
    return instance;
}
#endif

QCollator makeCollator(const QLocale &locale)
{
    QCollator c{locale};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

// One collator for the whole run: building one per comparison would dominate a sort.
const QCollator &collator()
{
    static const QCollator instance = makeCollator(QLocale());
    return instance;
}

QCollatorSortKey qtSortKey(const QCollator &c, const QString &name)
{
    // In the C locale Qt's sort key is the text itself and ignores the case setting.
    return c.sortKey(c.locale().language() == QLocale::C ? name.toCaseFolded() : name);
}

} // namespace

int KeyCollation::compare(QStringView a, QStringView b)
{
#ifdef TARNWICK_HAVE_ICU
    if (icuCollator().isValid())
        return icuCollator().compare(a, b);
#endif
    return collator().compare(a, b);
}

QCollatorSortKey DocumentTesting::sortKey(const QString &name)
{
    return qtSortKey(collator(), name);
}

bool KeyCollation::hasIcu()
{
#ifdef TARNWICK_HAVE_ICU
    return icuCollator().isValid();
#else
    return false;
#endif
}

std::vector<qsizetype> KeyCollation::sortedOrder(const std::vector<QStringView> &names,
                                                 Qt::SortOrder order)
{
    return sortedOrder(names, order, hasIcu() ? Route::Icu : Route::Qt, QLocale());
}

std::vector<qsizetype> KeyCollation::sortedOrder(const std::vector<QStringView> &names,
                                                 Qt::SortOrder order, Route route,
                                                 const QLocale &locale)
{
    const size_t n = names.size();
    std::vector<qsizetype> result(n);
    std::iota(result.begin(), result.end(), qsizetype(0));
    const bool ascending = order == Qt::AscendingOrder;
    const bool current = locale == QLocale();
#ifdef TARNWICK_HAVE_ICU
    std::optional<IcuCollator> ownIcu;
    if (route == Route::Icu && !current)
        ownIcu.emplace(locale);
    const IcuCollator &icu = ownIcu ? *ownIcu : icuCollator();
    if (route == Route::Icu && icu.isValid()) {
        // Each entry carries the first eight key bytes, so most comparisons touch no
        // other memory; the index breaks ties, which makes the order stable.
        struct Entry { uint64_t prefix; size_t offset; uint32_t length; uint32_t index; };
        std::vector<uint8_t> bytes;
        bytes.reserve(n * 48);
        std::vector<Entry> entries(n);
        for (size_t i = 0; i < n; ++i) {
            const size_t offset = bytes.size();
            const uint32_t length = icu.appendKey(names[i], bytes);
            entries[i] = {0, offset, length, uint32_t(i)};
        }
        for (Entry &e : entries) {
            uint64_t prefix = 0;
            for (uint32_t k = 0; k < 8; ++k)
                prefix = (prefix << 8) | (k < e.length ? bytes[e.offset + k] : 0);
            e.prefix = prefix;
        }
        auto keyOrder = [&](const Entry &a, const Entry &b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix ? -1 : 1;
            const uint32_t common = std::min(a.length, b.length);
            if (common > 8) {
                const int c = std::memcmp(bytes.data() + a.offset + 8, bytes.data() + b.offset + 8, common - 8);
                if (c != 0)
                    return c;
            }
            return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
        };
        std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
            const int c = keyOrder(a, b);
            if (c != 0)
                return ascending ? c < 0 : c > 0;
            return a.index < b.index;
        });
        for (size_t i = 0; i < n; ++i)
            result[i] = entries[i].index;
        return result;
    }
#else
    Q_UNUSED(route);
#endif
    std::optional<QCollator> own;
    if (!current)
        own = makeCollator(locale);
    const QCollator &qt = own ? *own : collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(n);
    for (QStringView name : names)
        keys.push_back(qtSortKey(qt, name.toString()));
    std::stable_sort(result.begin(), result.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return ascending ? c < 0 : c > 0;
    });
    return result;
}
