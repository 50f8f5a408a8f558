#include "appstart.h"
#include "frmini.h"
#include "startoptions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    // Taken before QApplication removes its own options from argv.
    QList<QByteArray> nativeArguments;
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        nativeArguments << QByteArray(argv[i]);
        arguments << QString::fromLocal8Bit(argv[i]);
    }

    // --help, --version and a wrong command line answer without opening the window
    // system, so they work where no display is at hand.
    if (StartOptions::answersWithoutWindow(arguments)) {
        QCoreApplication app(argc, argv);
        installQtTranslations(app);
        const StartOptions options = StartOptions::parse(arguments);
        options.print();
        return options.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    keepNoSettings();
    installQtTranslations(app);
    // QApplication has taken out its own options (-platform and the like) by now.
    const StartOptions options = StartOptions::parse(QApplication::arguments(), nativeArguments);
    if (options.action != StartOptions::Action::Run) {
        options.print();
        return options.exitCode;
    }

    frmINI window;
    window.show();
    // A full path, so that Save and Properties name the file wherever it was given from.
    if (!options.file.isEmpty())
        window.openPath(QDir::toNativeSeparators(QFileInfo(options.file).absoluteFilePath()),
                        options.fileNameBytesSurvive, options.encoding);
    return app.exec();
}
