#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// Whether a file name reaches the file it was taken from. Qt turns a name's bytes into
// text with QFile::decodeName (UTF-8 on Linux, whatever the locale) and the text back
// into bytes with QFile::encodeName. Bytes that are not valid in that encoding become
// U+FFFD on the way in and come back as other bytes, so the text names another file or
// none: reading it finds nothing, and saving to it creates a second file beside the
// first. Qt's own directory listings leave such names out altogether. Both checks
// below concern systems whose names are bytes (Linux and the like); on Windows and
// macOS, where names are text, they always pass.

// True when name, as the system spells it (a command-line argument, the path of a
// dropped URL), comes back unchanged from decodeName followed by encodeName.
bool fileNameBytesSurvive(const QByteArray &name);

// The same for a local file's URL (a dropped file, a file: URL on the command line):
// the URL keeps the name's bytes percent-encoded, its toLocalFile() text may have lost
// some.
bool urlNameBytesSurvive(const QUrl &url);

// True when path, as text, can stand for the file it reads as: its text comes back from
// the bytes it encodes to, and, if it holds U+FFFD, the path up to the last part that
// holds one exists under exactly those bytes. A missing name with U+FFFD is taken to be
// made from bytes that were not valid, and refused rather than created.
bool filePathSurvives(const QString &path);

// The reason given to the user when either check fails.
QString undecodableNameReason();
