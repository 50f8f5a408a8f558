#pragma once

#include <QString>

#include <functional>

// Why the file system object at path cannot be read or written as a file ("这是一个文件夹，
// 不是文件", "这不是一个普通文件": a FIFO, a socket, a device, a loop of symbolic links),
// or an empty text for a regular file, a link to one, and a name where nothing is yet.
QString notARegularFileReason(const QString &path);

class QIODevice;
struct FileStamp;

// Makes a file's new content: writes its bytes to the device (open for writing) in order
// and returns true, or returns false with the reason (then the content cannot be
// written, or the device refused a write and its errorString() says why). It may be
// called more than once and must give the same bytes each time; a device may also stop
// it early on purpose by refusing a write.
using ContentProducer = std::function<bool(QIODevice &device, QString *error)>;

// Gives the file at path the content that produce makes, keeping what the file is on
// disk, in the way of the careful desktop save routines (GLib's file replace), and so
// that at every instant (a kill, a power cut, a failing sync) the file holds its old
// content or its new one, or the old content is in a synced backup:
//
// - A symbolic link is followed: the file it points to gets the content.
// - A target that exists but is no regular file (a folder, a FIFO, a socket, a device,
//   a loop of symbolic links) is refused with the reason Open gives for it, and nothing is touched.
// - A new file, or a regular file with a single link whose owner and group a new file
//   can take (root gives them to it), is replaced in one step: the content goes into a
//   hidden temporary file beside it (".name.ini.tarnwick-" and eight hex digits), which
//   takes the old file's permissions, owner and group, is synced (a failing sync refuses
//   the save) and renamed over it; then the folder is synced. On any failure before the
//   rename the old file stays byte for byte and no temporary file remains; a temporary
//   file of the same target left by a process that died is removed by the next save.
// - Otherwise (a second hard link, an owner or group the new file cannot take, a folder
//   where no file can be created) the file is written in place behind a backup, so that
//   it stays the same file: see writeInPlace (inplacewrite.h).
// Windows keeps the one-step replacement throughout (QSaveFile).
//
// False with the reason in *error (when given) on failure. *stamp (when given) gets the
// stamp of the written file, or, after a failure that put the old bytes back in place,
// of the file as it is again; it stays Unknown otherwise.
bool replaceFileContent(const QString &path, const ContentProducer &produce, QString *error,
                        FileStamp *stamp = nullptr);
