#pragma once

#include "filereplace.h"

struct FileStamp;

#ifdef Q_OS_UNIX
// Gives the existing regular file target (its links already followed) the content that
// produce makes by writing it into the file itself, so that it stays the same file:
//
// 1. the old content is copied into a synced backup (filebackup.h), unless it is empty;
// 2. the content is made and written from the start, the file cut to its size and
//    synced;
// 3. only then does the backup go.
// Any failure after step 1 (a content the writer refuses, a full disk, a size limit, a
// failing sync, a failed allocation) puts the old bytes back from the backup and syncs
// them, so the file is as it was (*stamp then describes it); if even that fails, the
// backup stays and the reason names it. On success *stamp (when given) describes the
// written file. The content is made only once: checking it in a pass of its own first
// would double the cost of every save of a large file.
bool writeInPlace(const QString &target, const ContentProducer &produce, QString *error,
                  FileStamp *stamp);
#endif
