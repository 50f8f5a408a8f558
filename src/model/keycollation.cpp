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
    return collator().sortKey(name);
}
