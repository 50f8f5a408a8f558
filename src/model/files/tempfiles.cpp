#include "tempfiles.h"

#ifdef Q_OS_UNIX
#  include "diskcalls.h"

#  include <QByteArrayList>
#  include <QRandomGenerator>

#  include <algorithm>
#  include <cerrno>
#  include <dirent.h>
#  include <fcntl.h>

namespace {

constexpr int kDigits = 8;

QByteArray prefixFor(const QByteArray &name)
{
    return '.' + name + ".tarnwick-";
}

bool isLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

bool createTemp(const QByteArray &folder, const QByteArray &name, mode_t mode, Descriptor *file,
                QByteArray *path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray digits =
            QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(kDigits, '0');
        *path = folder + '/' + prefixFor(name) + digits;
        file->fd = diskCalls().open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (file->fd >= 0 || errno != EEXIST)
            return file->fd >= 0;
    }
    return false;
}

void removeLeftoverTemps(const QByteArray &folder, const QByteArray &name)
{
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return;
    const QByteArray prefix = prefixFor(name);
    QByteArrayList leftovers;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArrayView entryName(entry->d_name);
        if (entryName.size() != prefix.size() + kDigits || !entryName.startsWith(prefix))
            continue;
        const QByteArrayView digits = entryName.sliced(prefix.size());
        if (std::all_of(digits.begin(), digits.end(), isLowerHex))
            leftovers << folder + '/' + entryName.toByteArray();
    }
    ::closedir(listing);
    for (const QByteArray &leftover : std::as_const(leftovers))
        diskCalls().unlink(leftover.constData());
}
#endif
