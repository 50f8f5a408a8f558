#pragma once

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#  include <sys/types.h>

struct Descriptor;

// The program's temporary files: hidden, beside the file they are for, named after it
// with the program's mark and eight hex digits (".name.ini.tarnwick-0123abcd"), so that
// a user can tell whose they are and a later save can find the ones a process that died
// left behind. Nothing else the program makes has a name of that shape.

// Creates a new temporary file for name in folder (O_EXCL: never one that exists) with
// the given mode; false with errno set when it cannot.
bool createTemp(const QByteArray &folder, const QByteArray &name, mode_t mode, Descriptor *file,
                QByteArray *path);

// Removes the temporary files for name in folder that an earlier save left behind.
void removeLeftoverTemps(const QByteArray &folder, const QByteArray &name);
#endif
