#include "encodingdetector.h"
#include "inidocument.h"
#include "inifile.h"
#include "inireader.h"
#include "testfiles.h"
#include "textcodec.h"

#include <QDir>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#ifdef Q_OS_UNIX
#  include <unistd.h>
#endif

using namespace Qt::StringLiterals;

class TestIniReader : public QObject
{
    Q_OBJECT

private:
    static QString readDir() { return QStringLiteral(TARNWICK_TEST_DATA "/read"); }
    static QString encodingsDir() { return QStringLiteral(TARNWICK_TEST_DATA "/encodings"); }

    // A document with some content and status texts, to see that a failed read keeps it.
    static void fillDocument(IniDocument &doc, const QTemporaryDir &dir)
    {
        const QString path = dir.filePath(u"before.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, "[Kept]\r\nk=v\r\n"));
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);
        doc.setFrontList(2);
    }

    // Key lines of 64 bytes up to exactly `size` bytes (size >= 16).
    static QByteArray filler(qsizetype size)
    {
        QByteArray bytes;
        while (size - bytes.size() > 80)
            bytes += "k=" + QByteArray(60, 'x') + "\r\n";
        return bytes + "k=" + QByteArray(size - bytes.size() - 4, 'y') + "\r\n";
    }


    // The sections and rows of text as the line rules read it, written out plainly: a
    // line "[...]" is a header, else a line with "=" a key split at its first "=".
    static QStringList plainRead(QString text)
    {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        QStringList out{u"root"_s};
        QStringList rows;
        const auto flush = [&] {
            std::reverse(rows.begin(), rows.end()); // each list shows its last key on top
            out += rows;
            rows.clear();
        };
        text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
        for (const QString &line : text.split(u'\n')) {
            if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
                flush();
                out += u"[%1]"_s.arg(line.mid(1, line.size() - 2));
            } else if (const qsizetype eq = line.indexOf(u'='); eq >= 0) {
                const QString data = line.mid(eq + 1);
                rows += line.left(eq) + u" = "_s + (data.isEmpty() ? u"(Empty)"_s : data);
            }
        }
        flush();
        return out;
    }

    static QStringList documentRead(const IniDocument &doc)
    {
        QStringList out{u"root"_s};
        for (int node = 1; node <= doc.nodeCount(); ++node) {
            if (node > 1)
                out += u"[%1]"_s.arg(doc.nodeText(node));
            for (const KeyRow &row : doc.list(IniDocument::memberOfNode(node))->rows())
                out += row.name() + u" = "_s + row.data();
        }
        return out;
    }

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList cases = TestFiles::iniCases(readDir());
        QVERIFY(!cases.isEmpty());
        for (const QString &name : cases)
            QTest::newRow(qPrintable(name)) << name;
    }

    // Each corpus file read into a fresh document matches its description file.
    void corpus()
    {
        QFETCH(QString, name);
        const QString path = readDir() + u'/' + name + u".ini"_s;
        IniDocument doc;
        QString error;
        QCOMPARE(ReadIniFile(doc, path, &error), ReadResult::Ok);
        QVERIFY(error.isEmpty());

        const QString actual = TestFiles::describe(doc);
        const QString expectedPath = readDir() + u'/' + name + u".expected"_s;
        // Set TARNWICK_WRITE_EXPECTED=1 to write a new case's description (then read it!).
        if (qEnvironmentVariableIsSet("TARNWICK_WRITE_EXPECTED") && !QFile::exists(expectedPath))
            TestFiles::writeBytes(expectedPath, actual.toUtf8());
        const QString expected = QString::fromUtf8(TestFiles::readBytes(expectedPath));
        if (actual != expected)
            qWarning().noquote() << "Document read from" << name << "is:\n" << actual;
        QCOMPARE(actual, expected);

        QCOMPARE(doc.path(), QDir::toNativeSeparators(path));
        QCOMPARE(doc.statusPath(), QDir::toNativeSeparators(path));
        QCOMPARE(doc.statusCount(), u"%1 项目"_s.arg(doc.sectionCount()));
    }

    void encodings_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("encoding");
        QFile index(encodingsDir() + u"/index.tsv"_s);
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = index.readAll().split('\n');
        for (const QByteArray &line : lines.mid(1)) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() >= 2)
                QTest::newRow(fields[0].constData()) << QString::fromUtf8(fields[0]) << fields[1];
        }
        QVERIFY(lines.size() > 40);
    }

    // Real files from public repositories, each in the encoding its source declares:
    // every section name and every row shows as the file's own encoding reads it.
    void encodings()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, encoding);
        const QString path = encodingsDir() + u'/' + file;
        QStringDecoder truth(encoding.constData(), QStringConverter::Flag::Stateless);
        QVERIFY2(truth.isValid(), encoding.constData());
        const QString text = truth.decode(TestFiles::readBytes(path));
        QVERIFY(!truth.hasError());
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);
        const QStringList expected = plainRead(text);
        const QStringList actual = documentRead(doc);
        QCOMPARE(actual.size(), expected.size());
        for (qsizetype i = 0; i < actual.size(); ++i)
            QVERIFY2(actual[i] == expected[i], qPrintable(u"read in %1: %2 instead of %3"_s.arg(
                    TextCodec::encodingName(doc.encoding()), actual[i], expected[i])));
    }

    void fileNameFromPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows path") << u"C:\\dir\\a.ini"_s << u"a.ini"_s;
        QTest::newRow("bare name") << u"a.ini"_s << u"a.ini"_s;
        QTest::newRow("ends in backslash") << u"C:\\dir\\"_s << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("unc") << u"\\\\server\\share\\配置.ini"_s << u"配置.ini"_s;
        if (QDir::separator() == u'/') {
            QTest::newRow("unix path") << u"/home/user/a.ini"_s << u"a.ini"_s;
            QTest::newRow("mixed") << u"C:\\dir/sub\\x/b.ini"_s << u"b.ini"_s;
            QTest::newRow("ends in slash") << u"/tmp/"_s << QString();
        } else {
            QTest::newRow("slash is no separator") << u"dir/a.ini"_s << u"dir/a.ini"_s;
        }
    }

    void fileNameFromPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(FileNameFromPath(path), name);
    }

    // Reading replaces the whole document in one reset and leaves it in a known state.
    void readIsOneReset()
    {
        QTemporaryDir dir;
        IniDocument doc;
        fillDocument(doc, dir);
        const QString path = dir.filePath(u"two.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, "[A]\r\na=1\r\n[B]\r\nb=1\r\n"));

        QSignalSpy resets(&doc, &IniDocument::resetDone);
        QSignalSpy inserts(&doc, &IniDocument::sectionInserted);
        QSignalSpy rows(&doc, &IniDocument::rowInserted);
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(rows.count(), 0);
        QCOMPARE(doc.selectedNode(), 1);
        QCOMPARE(doc.frontList(), 0);
        QCOMPARE(doc.statusCount(), u"2 项目"_s);
    }

    // No file at the path: an empty document named after it, status texts untouched.
    void missingFile()
    {
        QTemporaryDir dir;
        IniDocument doc;
        fillDocument(doc, dir);
        doc.setSelectedNode(2);
        const QString statusPath = doc.statusPath();
        const QString path = dir.filePath(u"新文件.ini"_s);

        QCOMPARE(ReadIniFile(doc, path), ReadResult::Missing);
        QCOMPARE(doc.nodeCount(), 1);
        QCOMPARE(doc.rootText(), u"新文件.ini"_s);
        QCOMPARE(doc.path(), QDir::toNativeSeparators(path));
        QCOMPARE(doc.statusPath(), statusPath);
        QCOMPARE(doc.statusCount(), u"1 项目"_s);
        QCOMPARE(doc.list(0)->count(), 0);
        QCOMPARE(doc.encoding(), defaultNewFileEncoding());
        QVERIFY(!QFile::exists(path));
    }

    void failedRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << u"folder"_s;
        QTest::newRow("device") << u"device"_s;
#ifdef Q_OS_UNIX
        QTest::newRow("no permission") << u"no permission"_s;
#endif
    }

    // A path that exists but cannot be read changes nothing and says why.
    void failedRead()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        IniDocument doc;
        fillDocument(doc, dir);
        QString path;
        if (kind == u"folder") {
            path = dir.filePath(u"folder.ini"_s);
            QVERIFY(QDir(dir.path()).mkdir(u"folder.ini"_s));
        } else if (kind == u"device") {
            path = u"/dev/null"_s;
            if (!QFile::exists(path))
                QSKIP("no /dev/null here");
        } else {
#ifdef Q_OS_UNIX
            if (geteuid() == 0)
                QSKIP("permissions do not stop root from reading");
#endif
            path = dir.filePath(u"locked.ini"_s);
            QVERIFY(TestFiles::writeBytes(path, "[X]\r\n"));
            QVERIFY(QFile::setPermissions(path, {}));
        }
        const QString before = TestFiles::describe(doc);
        const QString oldPath = doc.path();
        const QString statusPath = doc.statusPath();
        const QString statusCount = doc.statusCount();
        QSignalSpy resets(&doc, &IniDocument::aboutToReset);

        QString error;
        QCOMPARE(ReadIniFile(doc, path, &error), ReadResult::Failed);
        QVERIFY(!error.isEmpty());
        QCOMPARE(resets.count(), 0);
        QCOMPARE(TestFiles::describe(doc), before);
        QCOMPARE(doc.path(), oldPath);
        QCOMPARE(doc.statusPath(), statusPath);
        QCOMPARE(doc.statusCount(), statusCount);
    }

    void largeFilesReadAsOneText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // The reader takes the file a megabyte at a time: byte `piece` starts the second.
        const qsizetype piece = 1024 * 1024;
        QTest::newRow("CR LF split across a megabyte")
            << filler(piece - 4) + "a=1\r\nb=2\r\n[S]\r\nc=3";
        QTest::newRow("lone CR at a megabyte, then a header")
            << filler(piece - 4) + "a=1\r[S]\rb=2\r";
        QTest::newRow("line longer than a megabyte")
            << "[S]\r\nlong=" + QByteArray(3 * piece, 'z') + "\r\n[T]\nk=v\n";
        QTest::newRow("UTF-8 character across a megabyte")
            << filler(piece - 4) + "k=\xe4\xb8\xad\xe6\x96\x87\r\n[\xe8\xae\xbe]\r\n";
        QTest::newRow("GB18030 line after two megabytes")
            << filler(2 * piece) + "[\xb2\xe2\xca\xd4]\r\n\xc3\xfb=\xd6\xb5]\r\n";
        QTest::newRow("UTF-8 mark, invalid byte after a megabyte")
            << "\xef\xbb\xbf" + filler(piece) + "k=\xff\xfe\xe4\xb8\r\n";
        QTest::newRow("ASCII only, no end on the last line") << filler(piece + 100) + "[end]";
        // Legacy text is read a piece at a time too, and falls back to the whole file
        // where a later piece shows that the detector chooses another encoding.
        const QByteArray chinese = QByteArray("[\xd6\xd0]\r\n\xd6\xd0=\xce\xc4\r\n").repeated(piece / 12 + 1);
        QTest::newRow("GB18030, four-byte and undecodable sequences across a megabyte")
            << chinese + "k=\x81\x30\x81\x30\x80\xd6\xd0]\r\n[\xc4\xe3]\r\n" + chinese;
        QTest::newRow("GB18030, a line lost after a megabyte")
            << chinese + "[\xd6]\r\n" + chinese;
        QTest::newRow("GB18030, too many undecodable bytes after a megabyte")
            << chinese + "k=" + QByteArray(piece / 2, '\xff') + "\r\n";
    }

    // A file of several megabytes gives the document that its whole text gives, wherever
    // a line, a CR LF or a multi-byte character falls, and whatever encoding it turns
    // out to have after the first megabyte.
    void largeFilesReadAsOneText()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"large.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, bytes));
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);

        DocumentContent content;
        const DecodedText decoded = EncodingDetector::decodeFile(bytes);
        content.encoding = decoded.encoding;
        parseIniText(decoded.text, content);
        IniDocument whole;
        whole.reset(doc.path(), doc.rootText(), std::move(content));
        whole.setSelectedNode(1);
        QCOMPARE(TestFiles::describe(doc), TestFiles::describe(whole));
    }

    // Wide counts: far more sections and keys than 16-bit numbers allow.
    void hundredThousandSections()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"big.ini"_s);
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "[S" + QByteArray::number(i) + "]\r\nk=" + QByteArray::number(i) + "\r\n";
        QVERIFY(TestFiles::writeBytes(path, bytes));

        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);
        QCOMPARE(doc.nodeCount(), 100001);
        QCOMPARE(doc.statusCount(), u"100000 项目"_s);
        QCOMPARE(doc.nodeText(2), u"S0"_s);
        QCOMPARE(doc.nodeText(100001), u"S99999"_s);
        QCOMPARE(doc.list(100001)->row(0).data(), u"99999"_s);
        QCOMPARE(doc.list(40000)->row(0).data(), u"39998"_s);
    }
};

QTEST_GUILESS_MAIN(TestIniReader)
#include "tst_inireader.moc"
