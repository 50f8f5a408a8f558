#pragma once

#include "inifile.h"

#include <QByteArray>
#include <QByteArrayView>

class QFile;
class QIODevice;

// How the files part stamps a file (FileStamp, in inifile.h) as it reads or writes it.

// A hash of a file's bytes that does not depend on how they were cut into pieces: the
// same for the pieces a writer wrote and the blocks a later read gets. It only has to
// tell a change apart, not resist one made on purpose.
class ContentHash
{
public:
    void add(QByteArrayView bytes);
    quint64 value() const;

private:
    void addBlock(const char *data, qsizetype size);

    QByteArray m_block;
    quint64 m_value = 0;
    qint64 m_total = 0;
};

// The stamp of the open file (Present, no hash yet) as it is now.
FileStamp stampOfOpenFile(QFile &file, const QString &nativePath);
#ifdef Q_OS_UNIX
FileStamp stampOfDescriptor(int fd, const QString &nativePath);
#endif

// Size, times and identity the same (hashes aside).
bool sameFileState(const FileStamp &a, const FileStamp &b);

// True when the stamp's times are recent enough that a change made to the file right
// now could leave them as they are (file systems whose clock ticks in milliseconds or,
// like FAT, in seconds): then only a hash of the bytes tells.
bool timesMayHideChange(const FileStamp &stamp);

// Hashes all the device gives from its current position; false when a read fails.
bool hashDevice(QIODevice &device, quint64 *hash);

// Completes a stamp taken of file before reading it, now that it was read: Unsure when
// the file changed meanwhile, and hashed (by reading it once more) when its times cannot
// be trusted.
void finishReadStamp(FileStamp *stamp, QFile &file);
