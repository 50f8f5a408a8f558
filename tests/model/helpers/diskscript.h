#pragma once

#include <QString>
#include <QStringList>

#ifdef Q_OS_UNIX
// Test versions of the save's system calls (DiskCalls), in place while a DiskScript
// lives. Every call is logged as "<call> <what>", what being target, temp, backup,
// folder or other, and run for real unless the script says otherwise:
// - the call numbered killAt (from 1) stops the process with SIGKILL before it runs,
//   or, with half set and a call that writes, halfway through its bytes (with
//   stopInstead, SIGSTOP there first, so that its parent can look at the disk);
// - the fsync numbered failSync (from 1) fails with EIO without running, and with
//   keepFailing so does every later one.
// A forked child that is to be killed hands its log to its parent through logFd.
class DiskScript
{
public:
    // target: the file the save writes (its links followed).
    explicit DiskScript(const QString &target);
    ~DiskScript();
    DiskScript(const DiskScript &) = delete;
    DiskScript &operator=(const DiskScript &) = delete;

    int killAt = 0;
    bool half = false;
    bool stopInstead = false;
    int failSync = 0;
    bool keepFailing = false;
    int logFd = -1;

    QStringList log() const { return m_log; }

    // For the calls themselves.
    static DiskScript *current();
    QString classify(const QByteArray &path) const;
    QString classifyDescriptor(int fd) const;
    // Logs the call; true when it is the one to kill at.
    bool count(const QString &entry);
    bool failThisSync();

private:
    QByteArray m_target;
    QStringList m_log;
    int m_calls = 0;
    int m_syncs = 0;
};

// Reads the lines a child wrote to a log file.
QStringList readDiskLog(const QString &path);
#endif
