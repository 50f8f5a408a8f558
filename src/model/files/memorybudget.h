#pragma once

#include <QString>
#include <QtGlobal>

// How much memory a read may count on, and the messages for a read or save that lacks it.

// The peak memory of a read as a multiple of the file's size, measured on large UTF-8,
// ASCII and legacy (GB18030) files (bench_memory: 1.4 to 2.2 times). A UTF-16 file, or a
// file in a single-byte code page, is decoded whole and peaks higher; an allocation
// failure during its read is caught and reported too.
constexpr double kReadPeakFactor = 2.5;

// Bytes this process can still allocate: the smaller of what the system reports as
// available (MemAvailable on Linux, free physical memory and some of the page file on
// Windows) and the room left under the address-space limit
// (RLIMIT_AS). -1 when neither is known.
qint64 availableMemory();

// Empty when a read of a file of fileSize bytes fits in availableMemory(); otherwise the
// reason, beginning "内存不足", with the file's size, what the read needs and what is
// available.
QString memoryShortForRead(qint64 fileSize);

// The reason when a read of a file of fileSize bytes failed to allocate memory.
QString outOfMemoryWhileReading(qint64 fileSize);
// The reason when a save failed to allocate memory (nothing was written).
QString outOfMemoryWhileSaving();
