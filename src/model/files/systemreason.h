#pragma once

#include <QString>

class QFileDevice;

// Why the system refused a file operation, in the user interface's language. The common
// reasons (no space left, no permission, a read-only file system, a file too large, an
// input/output error, a name too long, no such file or folder, not a folder, too many
// links, a busy file, and a few more) have a Chinese text of their own; any other is
// called a system error, with the system's own text in brackets after it. No reason the
// system gave ever comes out as "未知错误".

// The system's last error code for the calling thread: errno, or GetLastError() on
// Windows. Read it right after the call that failed, before anything else can change it.
int lastSystemError();

// The reason for code, a value of lastSystemError(). Empty for 0.
QString systemReason(int code);

// The reason device failed with. Qt gives the system's reason in the C library's words
// (English in most locales), or none at all where it lost it (QSaveFile after a refused
// write says "Unknown error"). A text that is the system's text for an error code gives
// that code's reason; a device without a reason of its own gives code's, the caller's
// lastSystemError() right after the failing call (0 when not known); any other text
// (one of Qt's own) is returned as it is.
QString deviceReason(const QFileDevice &device, int code);
