#pragma once

#include <QString>

// How this part says why something failed: *error (when given) gets the reason, and the
// caller returns false.
inline bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}
