#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class IniDocument;

// Small file and document helpers shared by the tests of every layer.
namespace TestFiles {

// The native path of a file of the test corpus (tests/data).
QString dataFile(const QString &name);
// A file's bytes, or `unreadable` when it cannot be opened.
QByteArray readBytes(const QString &path, const QByteArray &unreadable = {});
bool writeBytes(const QString &path, const QByteArray &bytes);
// The bytes of the file that a refused or failed save must leave as they were.
QByteArray oldBytes();
// Names of the entries in a folder (hidden ones included), sorted.
QStringList entries(const QString &dir);
// Base names (without ".ini") of the *.ini files in dir, sorted.
QStringList iniCases(const QString &dir);

// A readable account of the whole document, one line per item, for comparison with
// the expected files of the reader corpus:
//   encoding <name>
//   root "<text>" expanded|collapsed, selected <node>, front <member>
//   node <i> "<name>" member <i>, current <pos>[ selected][ sorted]
//     "<key>" = "<data>"[ (read empty)]
// The root's own list comes first as node 1 with member 0. Texts are quoted with
// \", \\, \r, \n, \t and \uXXXX for other control characters and surrogates.
QString describe(const IniDocument &doc);

// When two byte strings differ, a short note of where (for failure messages).
QByteArray firstDifference(const QByteArray &actual, const QByteArray &expected);

} // namespace TestFiles
