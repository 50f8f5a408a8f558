#include "valuekind.h"

#include <QLocale>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

bool isNumber(const QString &data)
{
    bool ok = false;
    const double value = QLocale::system().toDouble(data, &ok);
    // QLocale reads "inf" and "nan" as numbers; nobody types those as a number, and the
    // digit filter would make such data impossible to edit.
    return ok && std::isfinite(value);
}

bool hasDrivePrefix(const QString &data)
{
    // Every drive letter counts, I and J included: data on those drives is a path too.
    return data.size() >= 3 && data[0] >= u'A' && data[0] <= u'Z' && data[1] == u':'
        && data[2] == u'\\';
}

} // namespace

ValueKind GetValueKind(const QString &data, ValueEditRequest &edit)
{
    edit.EditKeyData = data;
    ValueKind kind = ValueKind::Text;
    if (isNumber(data))
        kind = ValueKind::Number;
    if (data == u"True"_s || data == u"False"_s)
        kind = ValueKind::Boolean;
    if (hasDrivePrefix(data))
        kind = ValueKind::Path;
    edit.EditValueKind = kind;
    return kind;
}

bool passesDigitFilter(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == QChar(8);
}
