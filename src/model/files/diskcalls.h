#pragma once

#include "systemreason.h" // the reasons for the codes these calls leave in errno

#include <QString>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#  include <sys/types.h>

// The system calls through which a save changes the disk or makes it durable, in one
// table that the save routes call through (as SQLite's os_unix keeps its own). The
// program never changes it; a test replaces entries to count the calls, record their
// order, fail one of them, or stop the process at one, and puts the real ones back.
// Opening a file or folder only to read it does not go through here.
struct DiskCalls
{
    int (*open)(const char *path, int flags, mode_t mode); // only calls with O_CREAT
    ssize_t (*pwrite)(int fd, const void *data, size_t size, off_t offset);
    // Copies size bytes from in at *inOffset to out at *outOffset (copy_file_range
    // where the system has it); -1 with errno set, 0 at the end of in.
    ssize_t (*copyRange)(int in, off_t *inOffset, int out, off_t *outOffset, size_t size);
    // Reserves [offset, offset + size) without changing the file's size (fallocate
    // with FALLOC_FL_KEEP_SIZE); -1 with EOPNOTSUPP where the system cannot.
    int (*reserve)(int fd, off_t offset, off_t size);
    int (*ftruncate)(int fd, off_t size);
    int (*fsync)(int fd);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    int (*rename)(const char *from, const char *to);
    // rename() that fails with EEXIST instead of replacing a file at to.
    int (*renameNoReplace)(const char *from, const char *to);
    int (*unlink)(const char *path);
};

// The table in use.
DiskCalls &diskCalls();
// The real system calls.
DiskCalls realDiskCalls();


// fsync() of an open file, its result checked: false with *code set when the system
// reports that the bytes may not be on disk. A file system that cannot sync at all
// (EINVAL, ENOTSUP) counts as synced: nothing more can be done there.
bool syncDescriptor(int fd, int *code);

// Makes the entries of folder (a file created, renamed or removed there) durable, as
// syncDescriptor does for a file; false with *code set on failure.
bool syncFolder(const QByteArray &folder, int *code);

// Writes all of bytes at offset through pwrite, retrying short writes and EINTR; false
// with errno set.
bool writeAt(int fd, const char *data, qint64 size, off_t offset);

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor();
    // Closes now; false with errno set when close() reports an error.
    bool close();
};
#endif
