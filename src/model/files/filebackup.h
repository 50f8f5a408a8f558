#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The backup copy of a file's old content that a save in place keeps, synced, for as
// long as the old bytes are being overwritten, as vim's writebackup does: if the
// program dies or the power goes meanwhile, the old content is still there, and the next
// open of the file names it (leftoverBackups, in inifile.h).
//
// A backup of /d/name.ini is /d/.name.ini.tarnwick-backup when the folder d can take a
// file, otherwise .name.ini.<hash of the path>.tarnwick-backup in the program's own data
// folder (QStandardPaths::AppLocalDataLocation). A name that is taken (a backup left
// behind before) is never overwritten: the next free "-2", "-3"... is used instead.
// Backups are readable by their owner alone.

#ifdef Q_OS_UNIX
struct FileBackup
{
    QByteArray path;
    QByteArray folder;
    qint64 size = 0; // the bytes copied: the old content
};

// Copies the file open for reading as fd, from its start to its end, into a new backup
// of target (a file's path with its links followed), then syncs the copy and its
// folder. The copy is the file system's (copy_file_range), not another encoding. False
// with the reason when any step fails; no backup is left then.
bool makeBackup(int fd, const QString &target, FileBackup *backup, QString *error);

// Puts the backup's bytes back into the file open for writing as fd, cuts it to their
// size and syncs it; false with *code set on failure (the backup then stays).
bool restoreBackup(int fd, const FileBackup &backup, int *code);

// Removes the backup once it is no longer needed and syncs its folder. A removal that
// does not reach the disk only means that the next open names a backup of content that
// was saved whole, so its failure is not a failed save.
void removeBackup(const FileBackup &backup);
#endif
