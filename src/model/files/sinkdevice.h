#pragma once

#include "filestamp.h"

#include <QByteArrayView>
#include <QIODevice>

#include <functional>

#ifdef Q_OS_UNIX
#  include "diskcalls.h"

#  include <cerrno>
#endif

// Receives the bytes of a file in order, a piece at a time; false stops the writer.
using ByteSink = std::function<bool(QByteArrayView)>;

// A device that hands every piece written to it to a sink: how the save routes count,
// hash and place the bytes a producer writes.
class SinkDevice : public QIODevice
{
public:
    explicit SinkDevice(ByteSink sink) : m_sink(std::move(sink)) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        return m_sink(QByteArrayView(data, qsizetype(size))) ? size : -1;
    }

private:
    ByteSink m_sink;
};

#ifdef Q_OS_UNIX
// What a save wrote into a file from its start: how much, a hash of it, whether a write
// was tried at all, and the errno of the one that failed (0 for none).
struct WrittenBytes
{
    ContentHash hash;
    qint64 size = 0;
    bool touched = false;
    int code = 0;
};

// A sink that writes the pieces one after the other from the start of the file open as
// fd, keeping account in *written.
inline ByteSink writeFromStart(int fd, WrittenBytes *written)
{
    return [fd, written](QByteArrayView piece) {
        written->touched = true;
        if (!writeAt(fd, piece.data(), piece.size(), off_t(written->size))) {
            written->code = errno;
            return false;
        }
        written->hash.add(piece);
        written->size += piece.size();
        return true;
    };
}
#endif
