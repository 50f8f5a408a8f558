#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The command line: "tarnwick [FILE]", with --help and --version. FILE may be a file:
// URL, as file managers hand them over (file:///path, file://localhost/path); one
// naming another machine's file is an error. An unknown option or a second file is an
// error too (exit code 2). Qt's own options (-platform, -style and the
// like) are accepted and left to QApplication. Texts come out in the user interface's
// language once Qt's Chinese translations are installed.
struct StartOptions
{
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    QString file;     // the file to open at start, empty for none
    // False when the file's name, as the system gave it, holds bytes that are not valid
    // in the system's encoding: file then names another file or none.
    bool fileNameBytesSurvive = true;
    QString message;  // what Help, Version and Error print
    int exitCode = 0; // for Help, Version and Error

    // arguments as QCoreApplication::arguments() gives them, program name first;
    // nativeArguments the command line as the system gave it (argv), to judge the file's
    // name by its bytes.
    static StartOptions parse(const QStringList &arguments,
                              const QList<QByteArray> &nativeArguments = {});
    // True when the arguments ask for help or the version or are wrong: the answer is
    // given before any window system is opened.
    static bool answersWithoutWindow(const QStringList &arguments);
    // Prints message to standard output (Help, Version) or standard error (Error).
    void print() const;
};
