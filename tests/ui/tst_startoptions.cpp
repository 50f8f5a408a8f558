#include "inifile.h"
#include "namefilters.h"
#include "startoptions.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartOptions : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void nativeFileName_data();
    void nativeFileName();
    void nameFilters_data();
    void nameFilters();
};

void TestStartOptions::parse_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program name
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("encoding"); // the name of the one given
    using A = StartOptions::Action;
    QTest::newRow("nothing") << QStringList() << int(A::Run) << QString() << 0 << QString();
    QTest::newRow("one file") << QStringList{u"a.ini"_s} << int(A::Run) << u"a.ini"_s << 0 << QString();
    QTest::newRow("file named like an option")
        << QStringList{u"--"_s, u"--help"_s} << int(A::Run) << u"--help"_s << 0 << QString();
    QTest::newRow("help") << QStringList{u"--help"_s} << int(A::Help) << QString() << 0 << QString();
    QTest::newRow("short help") << QStringList{u"-h"_s} << int(A::Help) << QString() << 0 << QString();
    QTest::newRow("version") << QStringList{u"--version"_s} << int(A::Version) << QString() << 0 << QString();
    QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("unknown short option")
        << QStringList{u"-x"_s, u"a.ini"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("unknown option with help")
        << QStringList{u"--bogus"_s, u"--help"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("two files") << QStringList{u"a.ini"_s, u"b.ini"_s} << int(A::Error) << QString() << 2 << QString();
    // Qt's own options, as they reach the program before QApplication takes them out.
    QTest::newRow("Qt option and its value before the file")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"a.ini"_s} << int(A::Run) << u"a.ini"_s << 0 << QString();
    QTest::newRow("Qt options after the file")
        << QStringList{u"a.ini"_s, u"--style=fusion"_s, u"-reverse"_s} << int(A::Run) << u"a.ini"_s << 0 << QString();
    QTest::newRow("Qt option without its value")
        << QStringList{u"-platform"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("two files beside a Qt option")
        << QStringList{u"-reverse"_s, u"a.ini"_s, u"b.ini"_s} << int(A::Error) << QString() << 2 << QString();
    // An encoding to open the file in, by any of its usual names.
    QTest::newRow("encoding")
        << QStringList{u"--encoding"_s, u"windows-1251"_s, u"a.ini"_s} << int(A::Run) << u"a.ini"_s << 0
        << u"Windows-1251"_s;
    QTest::newRow("encoding in other words")
        << QStringList{u"a.ini"_s, u"--encoding=cp866"_s} << int(A::Run) << u"a.ini"_s << 0 << u"CP866"_s;
    QTest::newRow("GBK is GB18030") << QStringList{u"--encoding"_s, u"gbk"_s, u"a.ini"_s} << int(A::Run)
                                    << u"a.ini"_s << 0 << EncodingShownAs(TextEncoding::Legacy);
    QTest::newRow("UTF-32") << QStringList{u"--encoding"_s, u"utf32le"_s, u"a.ini"_s} << int(A::Run)
                            << u"a.ini"_s << 0 << u"UTF-32LE"_s;
    QTest::newRow("unknown encoding")
        << QStringList{u"--encoding"_s, u"klingon"_s, u"a.ini"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("encoding without a file")
        << QStringList{u"--encoding"_s, u"utf-8"_s} << int(A::Error) << QString() << 2 << QString();
    // As file managers and desktops hand files over.
    QTest::newRow("file URL")
        << QStringList{u"file:///tmp/a.ini"_s} << int(A::Run) << u"/tmp/a.ini"_s << 0 << QString();
    QTest::newRow("file URL, Chinese and a blank percent-encoded")
        << QStringList{u"file:///tmp/%E9%85%8D%E7%BD%AE%20a.ini"_s} << int(A::Run) << u"/tmp/配置 a.ini"_s << 0
        << QString();
    QTest::newRow("file URL of localhost, in an encoding")
        << QStringList{u"--encoding=gbk"_s, u"FILE://localhost/tmp/a.ini"_s} << int(A::Run) << u"/tmp/a.ini"_s
        << 0 << EncodingShownAs(TextEncoding::Legacy);
    QTest::newRow("file URL of another machine")
        << QStringList{u"file://server/share/a.ini"_s} << int(A::Error) << QString() << 2 << QString();
    QTest::newRow("a file named like a URL of no file")
        << QStringList{u"file:"_s} << int(A::Error) << QString() << 2 << QString();
}

void TestStartOptions::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, encoding);
    arguments.prepend(u"tarnwick"_s);

    const StartOptions options = StartOptions::parse(arguments);

    QCOMPARE(int(options.action), action);
    QCOMPARE(options.file, file);
    QCOMPARE(options.exitCode, exitCode);
    QCOMPARE(options.encoding ? EncodingShownAs(*options.encoding) : QString(), encoding);
    if (options.action == StartOptions::Action::Error && arguments.contains(u"klingon"_s))
        QVERIFY(options.message.contains(u"klingon"_s) && options.message.contains(u"Windows-1251"_s));
    // Everything but a start is answered without a display.
    QCOMPARE(StartOptions::answersWithoutWindow(arguments), options.action != StartOptions::Action::Run);
    if (options.action != StartOptions::Action::Run)
        QVERIFY(!options.message.isEmpty());
    if (options.action == StartOptions::Action::Error)
        QVERIFY(options.message.contains(u"--help"_s)); // says where to look
}

void TestStartOptions::nativeFileName_data()
{
    QTest::addColumn<QByteArrayList>("arguments"); // as the system gives them, after the program name
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("bytesSurvive");
    // Windows and macOS keep names as text; only where names are bytes can they be lost.
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
    QTest::newRow("valid UTF-8")
        << QByteArrayList{"caf\xC3\xA9.ini"} << u"caf\u00E9.ini"_s << true;
    QTest::newRow("a byte not valid in UTF-8")
        << QByteArrayList{"bad\xFFname.ini"} << u"bad\uFFFDname.ini"_s << false;
    QTest::newRow("a replacement character spelt as such")
        << QByteArrayList{"bad\xEF\xBF\xBDname.ini"} << u"bad\uFFFDname.ini"_s << true;
    QTest::newRow("an overlong slash")
        << QByteArrayList{"a\xC0\xAF.ini"} << u"a\uFFFD\uFFFD.ini"_s << false;
    QTest::newRow("a surrogate spelt in UTF-8")
        << QByteArrayList{"\xED\xA0\x80.ini"} << u"\uFFFD\uFFFD\uFFFD.ini"_s << false;
    QTest::newRow("cut off inside a character")
        << QByteArrayList{"a\xE4\xB8"} << u"a\uFFFD\uFFFD"_s << false;
    // A URL keeps the bytes percent-encoded.
    QTest::newRow("file URL of a name not valid in UTF-8")
        << QByteArrayList{"file:///tmp/bad%FFname.ini"} << u"/tmp/bad\uFFFDname.ini"_s << false;
#endif
    QTest::newRow("file URL of a valid name")
        << QByteArrayList{"file:///tmp/caf%C3%A9.ini"} << u"/tmp/caf\u00E9.ini"_s << true;
    // Only the file's own bytes count, not those of a Qt option's value.
    QTest::newRow("bad bytes in a Qt option's value")
        << QByteArrayList{"-title", "bad\xFF", "a.ini"} << u"a.ini"_s << true;
}

void TestStartOptions::nativeFileName()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QString, file);
    QFETCH(bool, bytesSurvive);
    arguments.prepend("tarnwick");
    QStringList decoded;
    for (const QByteArray &argument : arguments)
        decoded << QFile::decodeName(argument);

    const StartOptions options = StartOptions::parse(decoded, arguments);

    QCOMPARE(int(options.action), int(StartOptions::Action::Run));
    QCOMPARE(options.file, file);
    QCOMPARE(options.fileNameBytesSurvive, bytesSurvive);
}

void TestStartOptions::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the file dialog's")
        << u"配置设置 (*.ini)|*.ini|全部文件 (*.*)|*.*"_s
        << QStringList{u"配置设置 (*.ini)"_s, u"全部文件 (*)"_s};
    QTest::newRow("browse") << u"全部文件 (*.*)|*.*"_s << QStringList{u"全部文件 (*)"_s};
    QTest::newRow("description without patterns")
        << u"Text|*.txt;*.log"_s << QStringList{u"Text (*.txt *.log)"_s};
    QTest::newRow("odd piece left over") << u"A|*.a|B"_s << QStringList{u"A (*.a)"_s};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestStartOptions::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(qtNameFilters(filter), expected);
}

QTEST_GUILESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
