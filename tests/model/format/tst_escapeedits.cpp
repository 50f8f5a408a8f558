#include "inidocument.h"
#include "inifile.h"
#include "iniwriter.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Bytes that did not decode are kept as escapes and written back as they were. An edit
// can put such a byte next to bytes it forms a character with; saved, the file would
// read back as other text, so the save is refused instead and the file stays.
class TestEscapeEdits : public QObject
{
    Q_OBJECT

private slots:
    void editNextToEscape_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("editName");
        QTest::addColumn<QString>("remove"); // taken out of the text, or
        QTest::addColumn<QString>("append"); // added at its end
        QTest::addColumn<QString>("blamed"); // the key the message names
        // 81 3D is no sequence, so 81 stays an escape; 81 40 would be one.
        QTest::newRow("gb18030: ASCII typed after an escape")
            << u"gb18030_escape_then_ascii"_s << true << QString() << u"@"_s << u"节“S”的键“�@”"_s;
        // 81 30 78 is no sequence; without the x, 81 30 81 30 is U+0080.
        QTest::newRow("gb18030: text between escapes deleted")
            << u"gb18030_escapes_around_text"_s << false << u"x"_s << QString() << u"节“S”的键“k”"_s;
        // E4 78 BD A0 has three stray bytes; without the x, E4 BD A0 is a character.
        QTest::newRow("utf-8: text between escapes deleted")
            << u"utf8_escapes_apart"_s << false << u"x"_s << QString() << u"节“S”的键“k”"_s;
    }

    void editNextToEscape()
    {
        QFETCH(QString, file);
        QFETCH(bool, editName);
        QFETCH(QString, remove);
        QFETCH(QString, append);
        QFETCH(QString, blamed);
        const QByteArray original =
                TestFiles::readBytes(QStringLiteral(TARNWICK_TEST_DATA "/escapes/") + file + u".ini"_s);
        QVERIFY(!original.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.ini"_s);
        QVERIFY(TestFiles::writeBytes(path, original));
        IniDocument doc;
        QCOMPARE(ReadIniFile(doc, path), ReadResult::Ok);

        // Unedited, the escapes go back as the bytes they were.
        QByteArray unedited;
        QVERIFY(encodeIniDocument(doc.content(), &unedited));
        QCOMPARE(unedited, original);

        const KeyRow &row = doc.list(2)->row(0);
        QString text = editName ? row.name() : row.data();
        QVERIFY(remove.isEmpty() || text.contains(remove));
        text.remove(remove).append(append);
        if (editName)
            QCOMPARE(doc.setRowName(2, 0, text), 0);
        else
            QVERIFY(doc.setRowData(2, 0, text));

        QString error;
        QVERIFY(!WriteIniFile(doc, path, &error));
        // The message names the key, says what the U+FFFD shown there are and what to do.
        QVERIFY2(error.contains(u"第 2 行"_s) && error.contains(blamed) && error.contains(u"无法读取的字节（显示为 �）"_s)
                         && error.contains(u"请删除这些 �"_s) && !error.contains(u"U+DC"_s),
                 qPrintable(error));
        QCOMPARE(TestFiles::readBytes(path), original);
        QCOMPARE(TestFiles::entries(dir.path()), QStringList{u"target.ini"_s});
    }
};

QTEST_GUILESS_MAIN(TestEscapeEdits)
#include "tst_escapeedits.moc"
