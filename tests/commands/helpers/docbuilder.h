#pragma once

#include <QString>
#include <QStringList>

class IniDocument;

// Fills doc with sections written compactly: "name:k1=v1,k2=v2" (a section without
// keys is "name:"). Data "(Empty)" is marked as read empty, as the reader marks it.
// No node is selected afterwards and member 0 is in front, as after a read.
void buildDocument(IniDocument &doc, const QStringList &sections);

// The document's sections in the same notation, one per member in member order; a
// sorted list gets a trailing " sorted", a list with a current row " @row" (and "*"
// when that row is selected). Lets a test compare every list member by member.
QStringList dumpSections(const IniDocument &doc);
