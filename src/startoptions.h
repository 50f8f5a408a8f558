#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "textencoding.h"

#include <optional>

// The command line: "tarnwick [--encoding NAME] [FILE]", with --help and --version. FILE
// may be a file: URL, as file managers hand them over (file:///path,
// file://localhost/path). An unknown option, a second file, an encoding this program does
// not know or one given without a file, or a URL naming another machine's file is an
// error (exit code 2). Qt's own options (-platform, -style and the
// like) are accepted and left to QApplication. Texts come out in the user interface's
// language once Qt's Chinese translations are installed.
struct StartOptions
{
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    QString file;     // the file to open at start, empty for none
    // The encoding to read (and save) the file in, instead of the one worked out from it.
    std::optional<TextEncoding> encoding;
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
