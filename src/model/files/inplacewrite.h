#pragma once

#include "filereplace.h"

struct FileStamp;

#ifdef Q_OS_UNIX
// Gives the existing regular file target (its links already followed) the content that
// produce makes by writing it into the file itself, so that it stays the same file:
//
// 1. the content is made once to check it and learn its size, and a size limit is
//    checked, before the file is touched;
// 2. the old content is copied into a synced backup (filebackup.h), unless it is empty;
// 3. the space for the part beyond the old size is reserved (a full disk fails here);
// 4. the content is written from the start, the file cut to its size and synced;
// 5. only then does the backup go.
// A failure after step 2 puts the old bytes back from the backup and syncs them, so the
// file is as it was (*stamp then describes it); if even that fails, the backup stays and
// the reason names it. On success *stamp (when given) describes the written file.
bool writeInPlace(const QString &target, const ContentProducer &produce, QString *error,
                  FileStamp *stamp);
#endif
