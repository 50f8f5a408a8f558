#pragma once

#include <QByteArrayView>
#include <QIODevice>

#include <functional>

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
