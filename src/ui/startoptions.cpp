#include "startoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
const QString programVersion = u"0.1.0"_s;
}

bool StartOptions::answersWithoutWindow(const QStringList &arguments)
{
    static const QStringList asking = {u"-h"_s, u"--help"_s, u"-?"_s, u"--help-all"_s,
                                       u"-v"_s, u"--version"_s};
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != u"--"_s; ++i) {
        if (asking.contains(arguments[i]))
            return true;
    }
    return false;
}

StartOptions StartOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Tarnwick：INI 配置文件编辑器"_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(u"文件"_s, u"启动时打开的 INI 文件"_s, u"[文件]"_s);

    StartOptions options;
    const QString program = u"tarnwick"_s;
    if (!parser.parse(arguments)) {
        options.action = Action::Error;
        options.exitCode = 2;
        options.message = u"%1: %2\n请运行 \"%1 --help\" 查看用法。\n"_s.arg(program, parser.errorText());
        return options;
    }
    if (parser.isSet(help)) {
        options.action = Action::Help;
        options.message = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.action = Action::Version;
        options.message = u"%1 %2\n"_s.arg(program, programVersion);
        return options;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        options.action = Action::Error;
        options.exitCode = 2;
        options.message = u"%1: 只能打开一个文件，却给出了 %2 个。\n请运行 \"%1 --help\" 查看用法。\n"_s
                              .arg(program)
                              .arg(files.size());
        return options;
    }
    if (!files.isEmpty())
        options.file = files.constFirst();
    return options;
}

void StartOptions::print() const
{
    std::FILE *out = action == Action::Error ? stderr : stdout;
    std::fputs(message.toLocal8Bit().constData(), out);
    std::fflush(out);
}

void InstallQtTranslations(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
