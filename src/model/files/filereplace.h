#pragma once

#include <QString>

#include <functional>

// Why the file system object at path cannot be read or written as a file ("这是一个文件夹，
// 不是文件", "这不是一个普通文件": a FIFO, a socket, a device, a loop of symbolic links),
// or an empty text for a regular file, a link to one, and a name where nothing is yet.
QString notARegularFileReason(const QString &path);

class QIODevice;

// Makes a file's new content: writes its bytes to the device (open for writing) in order
// and returns true, or returns false with the reason (then the content cannot be
// written, or the device refused a write and its errorString() says why). It may be
// called more than once and must give the same bytes each time; a device may also stop
// it early on purpose by refusing a write.
using ContentProducer = std::function<bool(QIODevice &device, QString *error)>;

// Gives the file at path the content that produce makes, keeping what the file is on
// disk, in the way of the careful desktop save routines (GLib's file replace):
//
// - A symbolic link is followed: the file it points to gets the content.
// - A target that exists but is no regular file (a folder, a FIFO, a socket, a device,
//   a loop of symbolic links) is refused with the reason Open gives for it, and nothing is touched.
// - A new file, or a regular file with a single link whose owner and group a new file
//   can take (root gives them to it), is replaced in one step: the content goes into a
//   temporary file beside it, which takes the old file's permissions, owner and group
//   and is renamed over it. On any failure the old file stays byte for byte and no
//   temporary file remains.
// - Otherwise (a second hard link, an owner or group the new file cannot take, a folder
//   where no file can be created) the file is written in place, so that it stays the
//   same file: the content is made once to check it and learn its size, the space for
//   the part beyond the old size is taken first (a full disk fails here, the old bytes
//   kept), then the rest is written, the file cut to size and flushed to disk. A failure
//   after that point is reported and says that the file may be incomplete.
// Windows keeps the one-step replacement throughout.
//
// False with the reason in *error (when given) on failure.
bool replaceFileContent(const QString &path, const ContentProducer &produce, QString *error);
