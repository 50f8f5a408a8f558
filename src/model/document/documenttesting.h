#pragma once

#include "keylist.h"

#include <QCollatorSortKey>
#include <QString>

// What tests and benchmarks look at inside the document's types; the program itself
// never uses it.
class DocumentTesting
{
public:
    // The bytes a list's texts take in its buffer: at least the characters of all names
    // and data, in storage (which may hold texts no longer in use).
    static qsizetype storedBytes(const KeyList &list) { return list.m_used; }
    // A key that compares as KeyCollation::compare() does along Qt's route.
    static QCollatorSortKey sortKey(const QString &name);
};
