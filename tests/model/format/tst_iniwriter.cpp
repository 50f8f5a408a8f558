#include "encodingdetector.h"
#include "inidocument.h"
#include "inifile.h"
#include "inireader.h"
#include "iniwriter.h"
#include "testfiles.h"
#include "textcodec.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>


using namespace Qt::StringLiterals;

class TestIniWriter : public QObject
{
    Q_OBJECT

private:
    static QString roundTripDir() { return QStringLiteral(TARNWICK_TEST_DATA "/roundtrip"); }

    // Reads bytes as a file, writes the document and returns the written bytes.
    static QByteArray readThenWrite(const QByteArray &bytes, const QTemporaryDir &dir)
    {
        const QString in = dir.filePath(u"in.ini"_s);
        const QString out = dir.filePath(u"out.ini"_s);
        TestFiles::writeBytes(in, bytes);
        IniDocument doc;
        if (ReadIniFile(doc, in) != ReadResult::Ok || !WriteIniFile(doc, out))
            return "(failed)";
        return TestFiles::readBytes(out);
    }

    // The same in memory: decode, parse, encode.
    static QByteArray parseThenEncode(const QByteArray &bytes)
    {
        const DecodedText decoded = EncodingDetector::decodeFile(bytes);
        DocumentContent content;
        content.encoding = decoded.encoding;
        parseIniText(decoded.text, content);
        IniDocument doc;
        doc.reset(u"x.ini"_s, u"x.ini"_s, std::move(content));
        QByteArray out;
        if (!encodeIniDocument(doc.content(), &out))
            return "(failed)";
        return out;
    }

    // A save of doc over an existing file fails with a reason that holds each of
    // `reasons` (given in *error), and the file stays as it was, alone in its folder.
    static void refusedSave(const IniDocument &doc, const QStringList &reasons, QString *error = nullptr)
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
        QString reason;
        QVERIFY(!WriteIniFile(doc, path, &reason));
        if (error)
            *error = reason;
        for (const QString &text : reasons)
            QVERIFY2(reason.contains(text), qPrintable(reason));
        QCOMPARE(TestFiles::readBytes(path), TestFiles::oldBytes());
        QCOMPARE(TestFiles::entries(dir.path()), QStringList{u"target.ini"_s});
    }

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList cases = TestFiles::iniCases(roundTripDir());
        QVERIFY(!cases.isEmpty());
        for (const QString &name : cases)
            QTest::newRow(qPrintable(name)) << name;
    }

    // A file read and written at once gives the expected bytes, and writing the same
    // document twice gives the same bytes.
    void corpus()
    {
        QFETCH(QString, name);
        const QString in = roundTripDir() + u'/' + name + u".ini"_s;
        const QByteArray expected = TestFiles::readBytes(roundTripDir() + u'/' + name + u".out"_s);
        QTemporaryDir dir;
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, in), ReadResult::Ok);
        QString error;
        QVERIFY2(WriteIniFile(doc, dir.filePath(u"1.ini"_s), &error), qPrintable(error));
        QVERIFY(WriteIniFile(doc, dir.filePath(u"2.ini"_s)));
        const QByteArray first = TestFiles::readBytes(dir.filePath(u"1.ini"_s));
        QVERIFY2(first == expected, TestFiles::firstDifference(first, expected).constData());
        QCOMPARE(TestFiles::readBytes(dir.filePath(u"2.ini"_s)), first);

        // What the read of the written file gives, made from the document itself.
        ReadBack readBack;
        QVERIFY(WriteIniFile(doc, dir.filePath(u"1.ini"_s), nullptr, &readBack));
        if (readBack.exact) {
            readBackWritten(doc, dir.filePath(u"1.ini"_s), readBack);
            IniDocument reread;
            QCOMPARE(ReadIniFile(reread, dir.filePath(u"1.ini"_s)), ReadResult::Ok);
            QCOMPARE(TestFiles::describe(doc), TestFiles::describe(reread));
        }
    }

    void readBack_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("exact"); // known without reading
        const auto utf8 = TextEncoding::Utf8;
        QTest::newRow("untouched") << utf8 << QString() << true;
        QTest::newRow("sorted list, current row in the middle") << utf8 << u"sort"_s << true;
        QTest::newRow("data emptied by the user") << utf8 << u"empty data"_s << true;
        QTest::newRow("read-empty row given data") << utf8 << u"fill empty"_s << true;
        QTest::newRow("rows added, sections removed") << utf8 << u"add remove"_s << true;
        QTest::newRow("name holding \"=\"") << utf8 << u"name ="_s << false;
        QTest::newRow("root key line reading as a header") << utf8 << u"root header"_s << false;
        QTest::newRow("section key \"[a\" with data \"b]\"") << utf8 << u"key header"_s << false;
        QTest::newRow("\"[a\" with data \"b\"") << utf8 << u"bracket name"_s << true;
        // 覿 is D3 5D in GB18030: the line's bytes end in "]".
        QTest::newRow("legacy, \"[a\" with data whose last byte is ]") << TextEncoding::Legacy
                                                                     << u"bracket byte"_s << false;
        QTest::newRow("utf-8 holding an escape") << utf8 << u"escape"_s << false;
        QTest::newRow("utf-8 with mark, escape") << TextEncoding::Utf8Bom << u"escape"_s << true;
        QTest::newRow("utf-16le, escape") << TextEncoding::Utf16LeBom << u"escape"_s << true;
        QTest::newRow("utf-16be, sorted") << TextEncoding::Utf16BeBom << u"sort"_s << true;
        QTest::newRow("legacy, ASCII only") << TextEncoding::Legacy << u"ascii"_s << true;
        QTest::newRow("legacy, Chinese") << TextEncoding::Legacy << QString() << true;
        QTest::newRow("legacy, Chinese sorted") << TextEncoding::Legacy << u"sort"_s << true;
        QTest::newRow("legacy, escape") << TextEncoding::Legacy << u"escape"_s << false;
        // "值" is D6 B5 in GB18030, which is also a UTF-8 sequence: the file reads as UTF-8.
        QTest::newRow("legacy bytes that read as UTF-8") << TextEncoding::Legacy << u"utf-8 lookalike"_s << false;
        QTest::newRow("empty document") << utf8 << u"clear"_s << true;
        QTest::newRow("empty document with mark") << TextEncoding::Utf16LeBom << u"clear"_s << true;
        QTest::newRow("empty document, utf-16 without mark") << TextEncoding::Utf16Le << u"clear"_s << true;
        QTest::newRow("utf-16be without mark, sorted") << TextEncoding::Utf16Be << u"sort"_s << true;
        QTest::newRow("windows-1251, ASCII only") << TextEncoding::Windows1251 << u"ascii"_s << true;
        // The writer asks the encoding detector what a read makes of the bytes it wrote.
        QTest::newRow("windows-1252, non-ASCII") << TextEncoding::Windows1252 << u"latin"_s << true;
        QTest::newRow("windows-1251, Cyrillic") << TextEncoding::Windows1251 << u"cyrillic"_s << true;
        QTest::newRow("utf-32le with mark") << TextEncoding::Utf32LeBom << QString() << true;
        QTest::newRow("utf-32be without mark, sorted") << TextEncoding::Utf32Be << u"sort"_s << true;
    }

    // After Save As the document becomes what a read of the written file gives. Where
    // the writer can tell that without reading, the document made from itself must be
    // that read to the last flag; elsewhere the command reads the file.
    void readBack()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, edit);
        QFETCH(bool, exact);
        IniDocument doc;
        doc.setEncoding(encoding);
        doc.appendRow(0, KeyRow(u"top"_s, u"1"_s));
        const int a = doc.addSection(u"节"_s);
        const int b = doc.addSection(u"B"_s);
        doc.addSection(u"C"_s);
        for (const char *name : {"z", "b", "m", "e"})
            doc.appendRow(a, KeyRow(QString::fromLatin1(name), u"值"_s + QString::fromLatin1(name)));
        doc.appendRow(b, KeyRow(u"empty"_s, KeyRow::emptyText(), true));
        doc.appendRow(b, KeyRow(u"literal"_s, KeyRow::emptyText()));
        doc.setCurrentRow(a, 2, false);
        doc.setSelectedNode(a);
        doc.setFrontList(a);
        if (edit == u"sort")
            doc.setSorting(a, true, Qt::DescendingOrder);
        else if (edit == u"empty data")
            doc.setRowData(a, 1, QString());
        else if (edit == u"fill empty")
            doc.setRowData(b, 0, u"x"_s);
        else if (edit == u"add remove")
            doc.insertRow(b, 1, KeyRow(u"new"_s, QString())), doc.removeSection(2);
        else if (edit == u"name =")
            doc.setRowName(a, 0, u"a=b"_s);
        else if (edit == u"root header")
            doc.appendRow(0, KeyRow(u"[x"_s, u"y]"_s));
        else if (edit == u"key header")
            doc.appendRow(b, KeyRow(u"[a"_s, u"b]"_s));
        else if (edit == u"bracket name")
            doc.appendRow(b, KeyRow(u"[a"_s, u"b"_s));
        else if (edit == u"bracket byte")
            doc.appendRow(b, KeyRow(u"[a"_s, u"值覿"_s));
        else if (edit == u"escape")
            doc.setRowData(b, 1, u"x"_s + QChar(0xDCFF));
        else if (edit == u"clear")
            doc.clear(u"x.ini"_s), doc.setEncoding(encoding);
        else if (edit == u"utf-8 lookalike")
            doc.setNodeText(a, u"值"_s);
        if (edit == u"ascii" || edit == u"clear" || edit == u"latin" || edit == u"cyrillic") {
            for (int member = 2; member <= doc.nodeCount(); ++member)
                doc.setNodeText(member, u"S%1"_s.arg(member));
            while (doc.list(a) && doc.list(a)->count() > 0)
                doc.removeRow(a, 0);
        }
        if (edit == u"latin")
            doc.setNodeText(a, u"Café au lait für Müller"_s);
        if (edit == u"cyrillic") {
            doc.setNodeText(a, u"Общие настройки"_s);
            doc.setNodeText(b, u"Окно программы"_s);
        }

        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.ini"_s);
        ReadBack readBack;
        QString error;
        QVERIFY2(WriteIniFile(doc, path, &error, &readBack), qPrintable(error));
        QCOMPARE(readBack.exact, exact);
        IniDocument reread;
        QCOMPARE(ReadIniFile(reread, path), ReadResult::Ok);
        if (exact) {
            readBackWritten(doc, path, readBack);
            QCOMPARE(TestFiles::describe(doc), TestFiles::describe(reread));
            QCOMPARE(doc.statusPath(), reread.statusPath());
            QCOMPARE(doc.statusCount(), reread.statusCount());
            QCOMPARE(doc.path(), reread.path());
        }
    }

    void typedText_data()
    {
        QTest::addColumn<QString>("file");      // under tests/data
        QTest::addColumn<QString>("given");     // the encoding named by the user, or none
        QTest::addColumn<QByteArray>("encoding"); // what the file is read and saved in
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("data");
        QTest::newRow("Windows-1252") << u"encodings/windows-1252-notcpucores-german.ini"_s << QString()
                                      << QByteArray("windows-1252") << u"Benutzer"_s << u"Jürgen Müller"_s;
        QTest::newRow("Windows-1250") << u"encodings/windows-1250-innosetup-polish.ini"_s << QString()
                                      << QByteArray("windows-1250") << u"Miasto"_s << u"Łódź, zażółć gęślą jaźń"_s;
        QTest::newRow("Windows-1251") << u"encodings/windows-1251-teraterm-russian.ini"_s << QString()
                                      << QByteArray("windows-1251") << u"Пользователь"_s << u"Иван Петров"_s;
        QTest::newRow("GBK") << u"encodings/gb18030-mirserver-dbsrc-small.ini"_s << QString()
                             << QByteArray("GB18030") << u"服务器名称"_s << u"兰达尔第二季"_s;
        QTest::newRow("UTF-8 with a stray byte") << u"read/utf8_stray_byte.ini"_s << QString()
                                                 << QByteArray("UTF-8") << u"用户"_s << u"Jürgen 张三"_s;
        QTest::newRow("ISO-8859-15 as given") << u"encodings/iso-8859-1-fbtools-multicfg-latin1.ini"_s
                                              << u"ISO-8859-15"_s << QByteArray("ISO-8859-15") << u"Preis"_s
                                              << u"5 €"_s;
        QTest::newRow("KOI8-R as given") << u"encodings/cp866-kolibrios-games.ini"_s << u"koi8-r"_s
                                         << QByteArray("KOI8-R") << u"Имя"_s << u"Игра"_s;
    }

    // What the user types into a file is saved in the file's own encoding (or the one
    // the user named), and reads back as typed.
    void typedText()
    {
        QFETCH(QString, file);
        QFETCH(QString, given);
        QFETCH(QByteArray, encoding);
        QFETCH(QString, name);
        QFETCH(QString, data);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"typed.ini"_s);
        QVERIFY(QFile::copy(TestFiles::dataFile(file), path));
        const std::optional<TextEncoding> named = given.isEmpty() ? std::nullopt : EncodingNamed(given);
        QVERIFY(given.isEmpty() || named);
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path, nullptr, named), ReadResult::Ok);
        QCOMPARE(TextCodec::encodingName(doc.encoding()).toUpper(), QString::fromLatin1(encoding).toUpper());
        doc.appendRow(2, KeyRow(name, data));
        ReadBack readBack;
        QString error;
        QVERIFY2(WriteIniFile(doc, path, &error, &readBack), qPrintable(error));
        const QByteArray line = QStringEncoder(encoding.constData()).encode(u"\r\n"_s + name + u'=' + data + u"\r\n"_s);
        QVERIFY(TestFiles::readBytes(path).contains(line));
        QCOMPARE(readBackWritten(doc, path, readBack), ReadResult::Ok);
        QCOMPARE(TextCodec::encodingName(doc.encoding()).toUpper(), QString::fromLatin1(encoding).toUpper());
        // A read puts the last key of a section on top.
        QCOMPARE(doc.list(2)->name(0), name);
        QCOMPARE(doc.list(2)->row(0).data(), data);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<int>("member");  // 0: the root's keys, 2: section "S", -2: its name
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QStringList>("named"); // what the message names; empty: saved
        const auto utf8 = TextEncoding::Utf8;
        QTest::newRow("LF in a section name") << utf8 << -2 << u"a\nb"_s << QString()
                                              << QStringList{u"a↵b"_s};
        QTest::newRow("CR in a key name") << utf8 << 2 << u"k\r"_s << u"v"_s
                                          << QStringList{u"S"_s, u"k↵"_s, u"名称"_s};
        QTest::newRow("CR LF in data") << utf8 << 2 << u"键"_s << u"1\r\n[X]"_s
                                       << QStringList{u"S"_s, u"键"_s, u"数据"_s};
        QTest::newRow("LF in a root key's data") << utf8 << 0 << u"top"_s << u"\n"_s
                                                 << QStringList{u"第一个节之前"_s, u"top"_s};
        QTest::newRow("legacy, LF in wide data") << TextEncoding::Legacy << 2 << u"k"_s << u"中\n文"_s
                                                 << QStringList{u"S"_s, u"k"_s, u"数据"_s};
        QTest::newRow("utf-16, CR in a name") << TextEncoding::Utf16LeBom << 2 << u"\r"_s << u"v"_s
                                              << QStringList{u"S"_s, u"名称"_s};
        QTest::newRow("a long name is cut in the message") << utf8 << 2 << QString(5000, u'n') + u'\n'
                                                           << u"v"_s << QStringList{u"nnnn…"_s};
        // Everything else is written exactly as the row holds it.
        QTest::newRow("= [ ] ; and spaces kept") << utf8 << 2 << u" ;[k] "_s << u"=[v]="_s << QStringList();
        QTest::newRow("empty name and data kept") << utf8 << 2 << QString() << QString() << QStringList();
    }

    // A line break in a text would split its line on the next read: the save is refused
    // before anything is written, naming where it is.
    void lineBreaks()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(int, member);
        QFETCH(QString, name);
        QFETCH(QString, data);
        QFETCH(QStringList, named);
        IniDocument doc;
        doc.setEncoding(encoding);
        const int s = doc.addSection(member == -2 ? name : u"S"_s);
        for (int i = 0; i < 3; ++i)
            doc.appendRow(s, KeyRow(u"k%1"_s.arg(i), u"v"_s));
        if (member >= 0)
            doc.insertRow(member, member == 0 ? 0 : 2, KeyRow(name, data));
        QString error;
        QByteArray bytes;
        QCOMPARE(encodeIniDocument(doc.content(), &bytes, &error), named.isEmpty());
        if (named.isEmpty()) {
            QTemporaryDir dir;
            const QString path = dir.filePath(u"target.ini"_s);
            QVERIFY(TestFiles::writeBytes(path, TestFiles::oldBytes()));
            QVERIFY(WriteIniFile(doc, path, &error));
            const QByteArray line = (u"\r\n"_s + name + u'=' + data + u"\r\n"_s).toUtf8();
            QVERIFY(TestFiles::readBytes(path).contains(line));
            return;
        }
        refusedSave(doc, named, &error);
        QVERIFY2(error.size() < 200, qPrintable(error));
    }

    void fixedPoint_data() { corpus_data(); }

    // Each read reverses the keys, so two round trips give back a file of header and
    // key lines ending in CR LF exactly.
    void fixedPoint()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QByteArray out = TestFiles::readBytes(roundTripDir() + u'/' + name + u".out"_s);
        const QByteArray twice = readThenWrite(readThenWrite(out, dir), dir);
        QVERIFY2(twice == out, TestFiles::firstDifference(twice, out).constData());
        if (name.startsWith(u"clean_"_s)) {
            const QByteArray in = TestFiles::readBytes(roundTripDir() + u'/' + name + u".ini"_s);
            const QByteArray again = readThenWrite(readThenWrite(in, dir), dir);
            QVERIFY2(again == in, TestFiles::firstDifference(again, in).constData());
        }
    }

    void anyBytes_data()
    {
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("no mark") << QByteArray();
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE");
    }

    // Whatever a file holds, what the writer makes of it is a fixed point of two round
    // trips, in the encoding it was read in.
    void anyBytes()
    {
        QFETCH(QByteArray, mark);
        QRandomGenerator random(7);
        const QByteArray pieces[] = {"[", "]", "=", "\r\n", "\r", "\n", "\xC4\xE3", "\x95]",
                                     "\xE9\x94\xAE", "\x80", "\xFF", "k", " ", "[S]\r\n"};
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = mark;
            const int length = int(random.bounded(60));
            for (int i = 0; i < length; ++i)
                bytes += pieces[random.bounded(int(std::size(pieces)))];
            const QByteArray once = parseThenEncode(bytes);
            QVERIFY2(once.startsWith(mark), bytes.toHex(' ').constData());
            const QByteArray thrice = parseThenEncode(parseThenEncode(once));
            QVERIFY2(thrice == once, bytes.toHex(' ').constData());
        }
    }

    void emptyData_data()
    {
        QTest::addColumn<bool>("readEmpty");
        QTest::addColumn<QString>("newData");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("read empty, untouched") << true << QString() << QByteArray("k=\r\n");
        QTest::newRow("read empty, set to the same text") << true << u"(Empty)"_s << QByteArray("k=\r\n");
        QTest::newRow("read empty, edited") << true << u"x"_s << QByteArray("k=x\r\n");
        QTest::newRow("literal text, untouched") << false << QString() << QByteArray("k=(Empty)\r\n");
        QTest::newRow("typed by the user") << false << u"(Empty)"_s << QByteArray("k=(Empty)\r\n");
        QTest::newRow("read empty, other case") << true << u"(empty)"_s << QByteArray("k=(empty)\r\n");
    }

    // "(Empty)" stands for empty data only while it is what the reader put there.
    void emptyData()
    {
        QFETCH(bool, readEmpty);
        QFETCH(QString, newData);
        QFETCH(QByteArray, line);
        IniDocument doc;
        const int member = doc.addSection(u"S"_s);
        doc.appendRow(member, KeyRow(u"k"_s, KeyRow::emptyText(), readEmpty));
        if (!newData.isNull())
            QVERIFY(doc.setRowData(member, 0, newData));
        QTemporaryDir dir;
        QVERIFY(WriteIniFile(doc, dir.filePath(u"e.ini"_s)));
        QCOMPARE(TestFiles::readBytes(dir.filePath(u"e.ini"_s)), "[S]\r\n" + line);
    }

    // A document built by hand: root keys first, sections in tree order, rows in list
    // order, UTF-8 without byte-order mark for a new document (outside Windows).
    void builtDocument()
    {
        IniDocument doc;
        const int a = doc.addSection(u"设置"_s);
        doc.addSection(u"空"_s);
        doc.appendRow(a, KeyRow(u"名称"_s, u"值, \"引号\""_s));
        doc.appendRow(a, KeyRow(u" k "_s, u"=x="_s));
        doc.appendRow(0, KeyRow(u"top"_s, u"1"_s));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"new.ini"_s);
        QVERIFY(WriteIniFile(doc, path));
        QByteArray expected = u"top=1\r\n[设置]\r\n名称=值, \"引号\"\r\n k ==x=\r\n[空]\r\n"_s.toUtf8();
        if (defaultNewFileEncoding() == TextEncoding::Utf8)
            QCOMPARE(TestFiles::readBytes(path), expected);

        // An empty document gives an empty file, replacing what was there.
        IniDocument empty;
        QVERIFY(WriteIniFile(empty, path));
        QCOMPARE(TestFiles::readBytes(path), QByteArray());
    }

    void unrepresentable_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("blamed");
        QTest::addColumn<QString>("where");
        const QString surrogate = u"U+D800"_s;
        const QString badKey = u"第 3 行，节“S”的键“bad”"_s;
        QTest::newRow("utf-8") << TextEncoding::Utf8 << u"UTF-8"_s << surrogate << badKey;
        QTest::newRow("utf-8 with mark") << TextEncoding::Utf8Bom << u"UTF-8"_s << surrogate << badKey;
        QTest::newRow("legacy") << TextEncoding::Legacy << u"GB18030"_s << surrogate << badKey;
        QTest::newRow("windows-1252: Chinese") << TextEncoding::Windows1252 << u"Windows-1252"_s
                                               << u"“你”(U+4F60)"_s << u"第 2 行，节“S”的键“ok”"_s;
    }

    // A character the encoding cannot hold fails the save before anything is written.
    void unrepresentable()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, name);
        QFETCH(QString, blamed);
        QFETCH(QString, where);
        IniDocument doc;
        doc.setEncoding(encoding);
        const int member = doc.addSection(u"S"_s);
        doc.appendRow(member, KeyRow(u"ok"_s, u"你好"_s));
        doc.appendRow(member, KeyRow(u"bad"_s, u"a"_s + QChar(0xD800) + u"b"_s));
        refusedSave(doc, {blamed, name, where});
    }

    void byteOrderMarkAtStart_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("firstName");
        QTest::newRow("utf-8, name starts with U+FEFF") << TextEncoding::Utf8 << QString(QChar(0xFEFF)) + u"k"_s;
        QTest::newRow("legacy, undecodable FF FE") << TextEncoding::Legacy
                                                   << QString(QChar(0xDCFF)) + QChar(0xDCFE);
        QTest::newRow("utf-16le without mark, name starts with U+FEFF")
            << TextEncoding::Utf16Le << QString(QChar(0xFEFF)) + u"k"_s;
        QTest::newRow("windows-1252, name starts with ï»¿") << TextEncoding::Windows1252 << u"ï»¿k"_s;

    }

    // A file without byte-order mark must not start with one: it would open as another
    // encoding. The save fails and the old file stays.
    void byteOrderMarkAtStart()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, firstName);
        IniDocument doc;
        doc.setEncoding(encoding);
        doc.appendRow(0, KeyRow(firstName, u"v"_s));
        refusedSave(doc, {u"第 1 行"_s});

        // Further down the file the same text is harmless.
        IniDocument later;
        later.setEncoding(encoding);
        later.appendRow(later.addSection(u"S"_s), KeyRow(firstName, u"v"_s));
        QTemporaryDir dir;
        QString error;
        QVERIFY2(WriteIniFile(later, dir.filePath(u"later.ini"_s), &error), qPrintable(error));
    }

    // FF FE and a first character U+0000 are UTF-32's mark; with every unit after it a
    // character the file would open as UTF-32.
    void utf16MarkBeforeZero()
    {
        IniDocument doc;
        doc.setEncoding(TextEncoding::Utf16LeBom);
        doc.appendRow(0, KeyRow(QString(QChar(0)) + u"k"_s + QChar(0), QString(QChar(0))));
        refusedSave(doc, {u"第 1 行"_s});
    }

    void otherEncodingOnReading_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("data");
        // An INI file is recognised as UTF-16 without mark by its ASCII characters.
        QTest::newRow("utf-16le without mark, nearly all Chinese")
            << TextEncoding::Utf16Le << QString(200, QChar(0x503C));
        QTest::newRow("utf-16be without mark, nearly all Chinese")
            << TextEncoding::Utf16Be << QString(200, QChar(0x503C));
        // Zero bytes at every other place of an 8-bit file would make it UTF-16.
        QTest::newRow("utf-8, zero characters at every other place")
            << TextEncoding::Utf8 << QString::fromLatin1("\0a\0a\0a\0a", 8);
    }

    // A file that would open as another encoding, its lines garbled, is not written.
    void otherEncodingOnReading()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, data);
        IniDocument doc;
        doc.setEncoding(encoding);
        doc.appendRow(doc.addSection(u"值"_s), KeyRow(u"k"_s, data));
        refusedSave(doc, {TextCodec::encodingName(encoding)});

        // With a few keys more of ASCII text the file is recognised again.
        for (int i = 0; i < 4; ++i)
            doc.appendRow(2, KeyRow(u"key%1"_s.arg(i), u"value"_s));
        if (isUtf16(encoding)) {
            QTemporaryDir dir;
            const QString path = dir.filePath(u"target.ini"_s);
            QString error;
            QVERIFY2(WriteIniFile(doc, path, &error), qPrintable(error));
            IniDocument back;
            QCOMPARE(ReadIniFile(back, path), ReadResult::Ok);
            QCOMPARE(back.encoding(), encoding);
            QCOMPARE(back.list(2)->count(), 5);
        }
    }

    // Wide counts: more sections and more keys in one section than 16 bits can number.
    void wideCounts()
    {
        IniDocument doc;
        const int big = doc.addSection(u"Big"_s);
        for (int i = 0; i < 40000; ++i)
            doc.appendRow(big, KeyRow(u"k%1"_s.arg(i), u"v"_s));
        for (int i = 0; i < 100000; ++i)
            doc.addSection(u"S%1"_s.arg(i));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"wide.ini"_s);
        QVERIFY(WriteIniFile(doc, path));

        IniDocument back;
        QCOMPARE(ReadIniFile(back, path), ReadResult::Ok);
        QCOMPARE(back.sectionCount(), 100001);
        QCOMPARE(back.list(2)->count(), 40000);
        QCOMPARE(back.list(2)->row(0).name(), u"k39999"_s);
        QCOMPARE(back.nodeText(back.nodeCount()), u"S99999"_s);
        const QString second = dir.filePath(u"wide2.ini"_s);
        QVERIFY(WriteIniFile(back, second));
        IniDocument third;
        QCOMPARE(ReadIniFile(third, second), ReadResult::Ok);
        QVERIFY(WriteIniFile(third, second));
        QCOMPARE(TestFiles::readBytes(second), TestFiles::readBytes(path));
    }
};

QTEST_GUILESS_MAIN(TestIniWriter)
#include "tst_iniwriter.moc"
