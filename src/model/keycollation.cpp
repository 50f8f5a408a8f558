#include "keycollation.h"

#include <QCollator>
#include <QLocale>

int KeyCollation::compare(QStringView a, QStringView b)
{
    // One collator for the whole run: building one per comparison would dominate a sort.
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}
