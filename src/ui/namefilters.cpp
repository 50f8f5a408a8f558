#include "namefilters.h"

using namespace Qt::StringLiterals;

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == u"*.*"_s)
                pattern = u"*"_s; // on Windows "*.*" also lists names without a dot
        }
        // Qt reads the patterns from the last parentheses of the text, so a description
        // that already shows its patterns gets them replaced rather than repeated.
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        result << u"%1 (%2)"_s.arg(description, patterns.join(u' '));
    }
    return result;
}
