#pragma once

#include "iniwriter.h"

#include <QString>

#include <functional>

// Makes a file's new content: hands its bytes to the sink in order and returns true, or
// returns false with the reason (then the content cannot be written). It may be called
// more than once and must give the same bytes each time.
using ContentProducer = std::function<bool(const ByteSink &sink, QString *error)>;

// Gives the file at path the content that produce makes, keeping what the file is on
// disk, in the way of the careful desktop save routines (GLib's file replace):
//
// - A symbolic link is followed: the file it points to gets the content.
// - A target that exists but is no regular file (a folder, a FIFO, a socket, a device)
//   is refused with the reason Open gives for it, and nothing is touched.
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
