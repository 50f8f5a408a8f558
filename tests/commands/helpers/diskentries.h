#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <functional>

// File system objects for the file commands' tests, named in the system's bytes, which
// need not be valid text.
namespace DiskEntries {

// Makes a file, or a folder for a name ending in "/", under dir. A file holds its own
// name. A name "KIND:NAME" makes a special file NAME of a kind that makeSpecial knows.
bool makeEntry(const QString &dir, const QByteArray &name);

// Every name under dir as the system spells it, folders with a trailing "/", special
// files with their kind, regular files followed by their bytes: shows a file of another
// name and a changed file alike.
QByteArrayList diskState(const QByteArray &dir, const QByteArray &prefix = {});

// Empties dir, names that are not valid text included: Qt's own listing, and with it
// QTemporaryDir's clean-up, leaves those out.
void emptyFolder(const QString &dir);

#ifdef Q_OS_LINUX
// Makes a file system object that is no regular file at path: "fifo", "socket",
// "device" (a node with the numbers of /dev/null) or "loop" (a link to itself). False
// when this system or user cannot make it.
bool makeSpecial(const QString &kind, const QString &path);

// Runs command in a child process whose address space may grow only `room` bytes beyond
// what it uses now, then check with the limit lifted again; returns check's result, or
// -1 when the child died.
int withAddressSpaceRoom(qint64 room, const std::function<void()> &command,
                         const std::function<int()> &check);
#endif

} // namespace DiskEntries
