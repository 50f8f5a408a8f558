#include "keycollation.h"

#include <QCollator>
#include <QLocale>

namespace {
// One collator for the whole run: building one per comparison would dominate a sort.
const QCollator &collator()
{
    static const QCollator instance = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return instance;
}
} // namespace

int KeyCollation::compare(QStringView a, QStringView b)
{
    return collator().compare(a, b);
}

QCollatorSortKey KeyCollation::sortKey(const QString &name)
{
    // In the C locale a sort key is the text's bytes and ignores the case setting, so
    // fold the case here; otherwise a sort would disagree with compare().
    static const bool cLocale = collator().locale().language() == QLocale::C;
    return collator().sortKey(cLocale ? name.toCaseFolded() : name);
}
