#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaEnum>
#include <QString>

// The application, timing each event it delivers from the event loop itself (not the
// ones sent from inside another event's handler).
class TimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0 || !m_timing)
            return QApplication::notify(receiver, event);
        // The event may delete its receiver (a deferred delete): name it first.
        const char *receiverClass = receiver->metaObject()->className();
        const int type = int(event->type());
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        --m_depth;
        if (ns > m_longestNs) {
            m_longestNs = ns;
            m_longestType = type;
            m_longestReceiver = QString::fromLatin1(receiverClass);
        }
        return result;
    }

    // Runs the event loop until a quiet stretch of quietMs without any event longer
    // than 1 ms; returns the longest event seen, in milliseconds.
    double drain(int quietMs = 250)
    {
        m_timing = true;
        m_longestNs = 0;
        QElapsedTimer quiet;
        quiet.start();
        qint64 seen = 0;
        while (quiet.elapsed() < quietMs) {
            processEvents(QEventLoop::AllEvents, 10);
            if (m_longestNs > seen && m_longestNs > 1000000) {
                seen = m_longestNs;
                quiet.restart();
            }
        }
        m_timing = false;
        return double(m_longestNs) / 1e6;
    }
    // The longest event's type and receiver class, e.g. "LayoutRequest on frmINI".
    QString longestWhat() const
    {
        const char *type = QMetaEnum::fromType<QEvent::Type>().valueToKey(m_longestType);
        return QStringLiteral("%1 on %2")
            .arg(type ? QString::fromLatin1(type) : QString::number(m_longestType), m_longestReceiver);
    }

private:
    int m_depth = 0;
    bool m_timing = false;
    qint64 m_longestNs = 0;
    int m_longestType = 0;
    QString m_longestReceiver;
};
