#include "startoptions.h"

#include "filenamecheck.h"
#include "inifile.h"
#include "tarnwickversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
// The options QGuiApplication, QApplication and the X11 platform take from the command line.
const QStringList qtValueOptions = {
    u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s, u"qmljsdebugger"_s,
    u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"session"_s, u"style"_s,
    u"stylesheet"_s, u"display"_s, u"geometry"_s, u"title"_s, u"icon"_s, u"name"_s, u"visual"_s};
const QStringList qtSwitches = {u"reverse"_s, u"widgetcount"_s, u"testability"_s, u"nograb"_s,
                                u"dograb"_s};

QCommandLineOption hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Makes options.file, a file: URL, the path it names; a file on another machine is an
// error rather than a local path that looks like it.
void takeFileUrl(StartOptions &options, const QString &program)
{
    QUrl url(options.file);
    if (url.host().compare(u"localhost"_s, Qt::CaseInsensitive) == 0)
        url.setHost(QString());
    if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty() || url.path().isEmpty()) {
        const QString given = options.file;
        options = StartOptions();
        options.action = StartOptions::Action::Error;
        options.exitCode = 2;
        options.message = u"%1: 只能打开本机上的文件，\"%2\" 不是。\n请运行 \"%1 --help\" 查看用法。\n"_s.arg(
            program, given);
        return;
    }
    options.file = url.toLocalFile();
    options.fileNameBytesSurvive = options.fileNameBytesSurvive && urlNameBytesSurvive(url);
}
}

bool StartOptions::answersWithoutWindow(const QStringList &arguments)
{
    // Help, the version and every mistake are answered on the terminal, so that they work
    // where no display can be opened (over ssh, in a script).
    return parse(arguments).action != Action::Run;
}

StartOptions StartOptions::parse(const QStringList &arguments,
                                 const QList<QByteArray> &nativeArguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Tarnwick：INI 配置文件编辑器"_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(u"文件"_s, u"启动时打开的 INI 文件"_s, u"[文件]"_s);
    const QCommandLineOption encoding(u"encoding"_s,
                                      u"用指定的编码打开文件并按它保存，不再自动判断。可用的编码：%1"_s.arg(
                                              EncodingNames().join(u", "_s)),
                                      u"编码"_s);
    parser.addOption(encoding);
    // Qt's own options ("-platform offscreen", "-style fusion") are taken out by
    // QApplication; known here as well, so that the arguments can be judged before it
    // exists and a value such as "offscreen" does not count as a second file.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString &name : qtValueOptions)
        parser.addOption(hidden(QCommandLineOption(name, QString(), u"value"_s)));
    for (const QString &name : qtSwitches)
        parser.addOption(hidden(QCommandLineOption(name)));

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
        options.message = u"%1 %2\n"_s.arg(program, QStringLiteral(TARNWICK_VERSION));
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
    if (parser.isSet(encoding)) {
        const QString name = parser.value(encoding);
        options.encoding = EncodingNamed(name);
        if (!options.encoding || options.file.isEmpty()) {
            const bool known = options.encoding.has_value();
            options = StartOptions();
            options.action = Action::Error;
            options.exitCode = 2;
            options.message = !known
                                   ? u"%1: 不认识编码“%2”。可用的编码：%3\n"_s.arg(program, name,
                                                                                EncodingNames().join(u", "_s))
                                   : u"%1: --encoding 需要同时给出要打开的文件。\n"_s.arg(program);
            options.message += u"请运行 \"%1 --help\" 查看用法。\n"_s.arg(program);
            return options;
        }
    }
    // Bytes that are not valid in the system's encoding are gone from the text; only
    // the argument as the system gave it still shows them.
    for (const QByteArray &native : nativeArguments) {
        if (!options.file.isEmpty() && QFile::decodeName(native) == options.file
            && !::fileNameBytesSurvive(native))
            options.fileNameBytesSurvive = false;
    }
    // File managers and some desktops hand over a file: URL.
    if (options.file.startsWith(u"file:"_s, Qt::CaseInsensitive))
        takeFileUrl(options, program);
    return options;
}

void StartOptions::print() const
{
    std::FILE *out = action == Action::Error ? stderr : stdout;
    std::fputs(message.toLocal8Bit().constData(), out);
    std::fflush(out);
}
