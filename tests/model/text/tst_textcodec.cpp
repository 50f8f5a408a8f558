#include "encodingdetector.h"
#include "escapes.h"
#include "legacycodec.h"
#include "textcodec.h"
#include "texttesting.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TextEncoding)

class TestTextCodec : public QObject
{
    Q_OBJECT

private slots:
    void detect_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << defaultNewFileEncoding() << QString();
        QTest::newRow("ascii") << QByteArray("[a]\r\n") << defaultNewFileEncoding() << u"[a]\r\n"_s;
        QTest::newRow("utf-8") << u"键=值"_s.toUtf8() << TextEncoding::Utf8 << u"键=值"_s;
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[a]") << TextEncoding::Utf8Bom << u"[a]"_s;
        QTest::newRow("utf-8 mark only") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8Bom << QString();
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE[\0a\0]\0", 8) << TextEncoding::Utf16LeBom << u"[a]"_s;
        QTest::newRow("utf-16be mark") << QByteArray("\xFE\xFF\0[\0a\0]", 8) << TextEncoding::Utf16BeBom << u"[a]"_s;
        QTest::newRow("gbk") << QByteArray("\xC4\xE3=\xBA\xC3") << TextEncoding::Legacy << u"你=好"_s;
        QTest::newRow("gb18030 four bytes") << QByteArray("\x95\x32\x8F\x34") << TextEncoding::Legacy
                                             << QString::fromUcs4(U"\U00020080", 1);
        const QByteArray chinese = QStringEncoder("GB18030").encode(u"[设置]\r\n说明=这是一个测试文件，名称是中文数据\r\n"_s);
        const QString chineseText = u"[设置]\r\n说明=这是一个测试文件，名称是中文数据\r\n"_s;
        QTest::newRow("overlong utf-8 is not utf-8") << chinese + "k=\xC0\xAF\r\n" << TextEncoding::Legacy
                                                      << chineseText + u"k=蜡\r\n"_s;
        QTest::newRow("utf-16 odd byte, little endian")
            << QByteArray("\xFF\xFEk\0=\0v\0\x42", 9) << TextEncoding::Utf16LeBom << u"k=vB"_s;
        QTest::newRow("utf-16 odd byte, big endian")
            << QByteArray("\xFE\xFF\0k\0=\0v\x42", 9) << TextEncoding::Utf16BeBom
            << u"k=v"_s + QChar(0x4200);
        QTest::newRow("utf-16le without mark") << QByteArray("k\0=\0\x7D\x59", 6) << TextEncoding::Utf16Le
                                                << u"k=好"_s;
        QTest::newRow("utf-16be without mark, odd byte")
            << QByteArray("\0[\0a\0]\0\r\0\n\x42", 11) << TextEncoding::Utf16Be << u"[a]\r\n"_s + QChar(0x4200);
        QTest::newRow("a zero byte is no utf-16") << QByteArray("[a]\r\nk=\0v\r\n", 11)
                                                  << defaultNewFileEncoding() << u"[a]\r\nk=\0v\r\n"_s;
        QTest::newRow("utf-8, a stray byte beside eight characters")
            << u"[中文字符]\r\n测试=八个"_s.toUtf8() + "\xE9" << TextEncoding::Utf8
            << u"[中文字符]\r\n测试=八个\xDCE9"_s;
        QTest::newRow("gbk that holds a valid utf-8 sequence")
            << QByteArray("\xC2\xBC=\xC4\xE3\xBA\xC3") << TextEncoding::Legacy << u"录=你好"_s;
        QTest::newRow("more than a few undecodable bytes: single-byte")
            << QByteArray("a=\x80\n").repeated(9) << TextEncoding::Windows1252 << u"a=€\n"_s.repeated(9);
        QTest::newRow("Chinese text with a few undecodable bytes: legacy")
            << chinese + "a=\x80\r\nb=\xFF\r\n" << TextEncoding::Legacy << chineseText + u"a=\xDC80\r\nb=\xDCFF\r\n"_s;
        QTest::newRow("a header's ] taken by the code page: single-byte")
            << QByteArray("[Caf\xE9]\r\n") << TextEncoding::Windows1252 << u"[Café]\r\n"_s;
        QTest::newRow("a header's ] after a lead byte: the lead byte kept")
            << "[\xD6\xD0\x95]\r\n" + chinese << TextEncoding::Legacy << u"[中\xDC95]\r\n"_s + chineseText;
        QTest::newRow("utf-8, one stray byte beside six characters")
            << u"[设置]\r\n[其他]\r\n名=值\r\n"_s.toUtf8() + "user=Ren\xE9\r\n" << TextEncoding::Utf8
            << u"[设置]\r\n[其他]\r\n名=值\r\nuser=Ren\xDCE9\r\n"_s;
        QTest::newRow("utf-32le mark") << QByteArray("\xFF\xFE\0\0[\0\0\0a\0\0\0]\0\0\0", 16)
                                       << TextEncoding::Utf32LeBom << u"[a]"_s;
        QTest::newRow("utf-32be without mark")
            << QByteArray("\0\0\0[\0\0\x4E\x2D\0\0\0]\0\0\0\r\0\0\0\n", 20) << TextEncoding::Utf32Be
            << u"[中]\r\n"_s;
        QTest::newRow("utf-32le mark, then a first key named U+FEFF")
            << QByteArray("\xFF\xFE\0\0\xFF\xFE\0\0=\0\0\0", 12) << TextEncoding::Utf32LeBom
            << QString(QChar(0xFEFF)) + u"="_s;
        QTest::newRow("utf-16le mark and a zero character: no utf-32")
            << QByteArray("\xFF\xFE\0\0k\0=\0", 8) << TextEncoding::Utf16LeBom << QString(QChar(0)) + u"k="_s;
        QTest::newRow("utf-32le mark before a unit that is no character: utf-16")
            << QByteArray("\xFF\xFE\0\0k\0\0\0\0\0\x11\0", 12) << TextEncoding::Utf16LeBom
            << QString(QChar(0)) + u"k"_s + QChar(0) + QChar(0) + QChar(0x11);
    }

    // The encoding is worked out from the bytes, and the mark is not part of the text.
    void detect()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        const DecodedText decoded = EncodingDetector::decodeFile(bytes);
        QCOMPARE(decoded.encoding, encoding);
        QCOMPARE(decoded.text, text);
        QByteArray back;
        QVERIFY(TextCodec::encode(decoded.text, decoded.encoding, &back, nullptr));
        if (!isUtf16(encoding) || bytes.size() % 2 == 0)
            QCOMPARE(back, bytes);
        else // the odd byte is kept, followed by the zero byte that completed it
            QCOMPARE(back, bytes + '\0');
    }

    void bytesSurvive_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("utf-8") << TextEncoding::Utf8;
        QTest::newRow("legacy") << TextEncoding::Legacy;
        QTest::newRow("utf-16le") << TextEncoding::Utf16LeBom;
        QTest::newRow("utf-16be without mark") << TextEncoding::Utf16Be;
        QTest::newRow("windows-1252") << TextEncoding::Windows1252;
        QTest::newRow("windows-1251") << TextEncoding::Windows1251;
        QTest::newRow("koi8-r") << TextEncoding::Koi8R;
        QTest::newRow("cp866") << TextEncoding::Cp866;
        QTest::newRow("windows-1253, three bytes unassigned") << TextEncoding::Windows1253;
    }

    // Whatever the bytes, decoding and encoding again gives them back: bytes the
    // encoding cannot decode travel as escapes.
    void bytesSurvive()
    {
        QFETCH(TextEncoding, encoding);
        QRandomGenerator random(20240607);
        const QByteArray pieces[] = {"\xC4\xE3", "\x81[", "\x95]", "\x84\x31\xA5\x30", "\x90\x30\x81\x30",
                                     "\xE9\x94\xAE", "\xF0\x9F\x98\x80", "\xED\xA0\x80", "=", "[", "\r\n"};
        for (int round = 0; round < 500; ++round) {
            QByteArray bytes;
            const int length = int(random.bounded(40));
            for (int i = 0; i < length; ++i) {
                if (random.bounded(2))
                    bytes += pieces[random.bounded(int(std::size(pieces)))];
                else
                    bytes += char(random.bounded(256));
            }
            if (isUtf16(encoding) && bytes.size() % 2)
                bytes.chop(1);
            const QString text = TextCodec::decode(bytes, encoding);
            QByteArray back;
            QString error;
            QVERIFY2(TextCodec::encode(text, encoding, &back, &error), qPrintable(error));
            QVERIFY2(back == TextCodec::byteOrderMark(encoding) + bytes, bytes.toHex(' ').constData());
        }
    }

    // On valid UTF-8 (characters of one to four bytes, at every offset) the decoder
    // gives what QString::fromUtf8 gives.
    void utf8DecodesAsQtDoes()
    {
        QRandomGenerator random(20261207);
        const quint32 firsts[] = {0x20, 0x80, 0x800, 0xE000, 0x10000};
        const quint32 lasts[] = {0x7E, 0x7FF, 0xD7FF, 0xFFFD, 0x10FFFF};
        for (int round = 0; round < 300; ++round) {
            std::u32string codes;
            const int length = int(random.bounded(1, 300));
            for (int i = 0; i < length; ++i) {
                const int range = int(random.bounded(int(std::size(firsts))));
                codes += char32_t(random.bounded(firsts[range], lasts[range] + 1));
            }
            const QByteArray bytes = QString::fromStdU32String(codes).toUtf8();
            QCOMPARE(TextCodec::decode(bytes, TextEncoding::Utf8), QString::fromUtf8(bytes));
        }
    }

    void escapesOnlyForHighBytes()
    {
        const QString text = TextCodec::decode(QByteArray("\x84\x31\xA5\x30 \x80"), TextEncoding::Legacy);
        QCOMPARE(text, u"\xDC84" "1\xDCA5" "0 \xDC80"_s);
    }

    void unrepresentable_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("badPos");
        const QString loneHigh = u"ab"_s + QChar(0xD83D) + u"c"_s;
        const QString loneLow = u"a"_s + QChar(0xDC10);
        QTest::newRow("utf-8, lone high surrogate") << TextEncoding::Utf8 << loneHigh << qsizetype(2);
        QTest::newRow("utf-8, lone low surrogate") << TextEncoding::Utf8Bom << loneLow << qsizetype(1);
        QTest::newRow("legacy, lone high surrogate") << TextEncoding::Legacy << loneHigh << qsizetype(2);
        QTest::newRow("legacy, lone low surrogate") << TextEncoding::Legacy << loneLow << qsizetype(1);
        // An escape whose byte an edit has put next to bytes it forms a character with.
        QTest::newRow("legacy, escape and the ASCII trail byte after it")
            << TextEncoding::Legacy << u"x\xDC81@"_s << qsizetype(1);
        QTest::newRow("legacy, escapes around digits make a four-byte sequence")
            << TextEncoding::Legacy << u"\xDC81" "0\xDC81" "0"_s << qsizetype(0);
        QTest::newRow("legacy, escape before a two-byte character")
            << TextEncoding::Legacy << u"\xDCF5\x6120"_s << qsizetype(0);
        QTest::newRow("utf-8, escapes brought together")
            << TextEncoding::Utf8 << u"k\xDCE4\xDCBD\xDCA0"_s << qsizetype(1);
    }

    // A character the encoding cannot hold fails with its position and a reason that
    // names it (or says what the undecodable bytes are); nothing is appended.
    void unrepresentable()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        QFETCH(qsizetype, badPos);
        QByteArray out("kept");
        QString error;
        qsizetype pos = -1;
        QVERIFY(!TextCodec::encode(text, encoding, &out, &error, &pos));
        QCOMPARE(out, QByteArray("kept"));
        QCOMPARE(pos, badPos);
        // Escapes that would join text are what the user sees as U+FFFD, not codes.
        const bool escapes = std::any_of(text.begin(), text.end(),
                                         [](QChar c) { return Escapes::isEscape(c.unicode()); });
        const QString named = escapes ? u"无法读取的字节（显示为 �）"_s
                                      : u"U+%1"_s.arg(text[badPos].unicode(), 4, 16).toUpper();
        QVERIFY2(error.contains(named), qPrintable(error));
    }

    // The legacy code page is an input of the codec: the Windows ANSI code pages are
    // read and written here through the same converters (ICU), lead and trail bytes
    // by their own rules.
    void legacyCodePages_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("foreign"); // a character it cannot hold
        const QString thai = u"\x0E01"_s;
        const QChar esc(0xDCD6);
        QTest::newRow("936, the euro sign in one byte")
            << 936 << QByteArray("[\xD6\xD0]\r\nk=\x80\xCE\xC4") << u"[中]\r\nk=€文"_s << thai;
        QTest::newRow("936, a lead byte before a line end")
            << 936 << QByteArray("k=\xD6\r\nx=\xD6") << u"k=%1\r\nx=%1"_s.arg(esc) << thai;
        QTest::newRow("950, a backslash as trail byte")
            << 950 << QByteArray("[\xA4\xA4\xB3\x5C]") << u"[中許]"_s << thai;
        QTest::newRow("950, the closing bracket of a header is no trail byte")
            << 950 << QByteArray("[\xA4\x5D") << u"[\xDCA4]"_s << thai;
        QTest::newRow("950, a closing bracket as trail byte in a key")
            << 950 << QByteArray("k=\xA4\x5D") << u"k=也"_s << thai;
        QTest::newRow("950, a lead byte before a digit")
            << 950 << QByteArray("k=\xA4" "0") << u"k=\xDCA4" "0"_s << thai;
        QTest::newRow("932, katakana of one byte")
            << 932 << QByteArray("k=\x93\xFA\x83\x5C\xB1") << u"k=日ソｱ"_s << thai;
        QTest::newRow("932, the closing bracket of a header is no trail byte")
            << 932 << QByteArray("[\x83\x5D\r\n[\x83\x5D") << u"[\xDC83]\r\n[\xDC83]"_s << thai;
        // The converter's substitute for an unassigned pair is U+FFFD, which 932 writes
        // as FC FC: the second error must be seen as well as the first.
        QTest::newRow("932, unassigned pairs one after another")
            << 932 << QByteArray("k=\xFC\xFA\xFC\xFC") << u"k=\xDCFC\xDCFA\xDCFC\xDCFC"_s << thai;
        QTest::newRow("949, Hangul") << 949 << QByteArray("[\xC7\xD1\xB1\xB9]") << u"[한국]"_s << thai;
        QTest::newRow("1252, one byte a character")
            << 1252 << QByteArray("[\xE9]\r\n\x80=]") << u"[é]\r\n€=]"_s << u"中"_s;
        QTest::newRow("GB18030, trail bytes [ \\ ] in a key")
            << 54936 << QByteArray("k=\x81[\x95\\\x95]") << u"k=乕昞昡"_s << QString(QChar(0xD800));
        QTest::newRow("GB18030, four bytes")
            << 54936 << QByteArray("k=\x81\x30\x81\x30\xD6\xD0") << u"k=\x0080中"_s 
            << QString(QChar(0xD800));
    }

    void legacyCodePages()
    {
        QFETCH(int, codePage);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, foreign);
        LegacyCodec codec(codePage);
        qsizetype escaped = -1;
        QCOMPARE(codec.decode(bytes, &escaped), text);
        QCOMPARE(escaped, qsizetype(std::count_if(text.begin(), text.end(),
                                                  [](QChar c) { return Escapes::isEscape(c.unicode()); })));
        QCOMPARE(TextTesting::decodeEachSequence(codec, bytes), text);
        QByteArray back;
        qsizetype bad = -1;
        QVERIFY(codec.encode(text, &back, &bad));
        QCOMPARE(back, bytes);
        QVERIFY(!codec.encode(u"k="_s + foreign, &back, &bad));
        QCOMPARE(bad, qsizetype(2));
    }

    // Valid UTF-8 of every length decodes as Qt decodes it, checked or trusted.
    void validUtf8DecodesAsQt()
    {
        QRandomGenerator random(17);
        for (int round = 0; round < 200; ++round) {
            QString text;
            for (int i = 0; i < 50; ++i) {
                static constexpr char32_t tops[] = {0x80, 0x800, 0x10000, 0x110000};
                char32_t cp = random.bounded(tops[random.bounded(4)]);
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    cp = u'[';
                text.append(QString::fromUcs4(&cp, 1));
            }
            const QByteArray bytes = text.toUtf8();
            bool ascii = true;
            QVERIFY(TextCodec::isValidUtf8(bytes, &ascii));
            QString checked;
            QString trusted;
            QCOMPARE(TextCodec::decodeUtf8(bytes, &checked), qsizetype(0));
            TextCodec::decodeValidUtf8(bytes, &trusted);
            QCOMPARE(checked, QString::fromUtf8(bytes));
            QCOMPARE(trusted, QString::fromUtf8(bytes));
        }
    }

    // UTF-16 copies code units: a lone surrogate read from such a file goes back as is.
    void utf16KeepsLoneSurrogates()
    {
        const QString text = u"a"_s + QChar(0xDC80) + QChar(0xD800);
        QByteArray out;
        QVERIFY(TextCodec::encode(text, TextEncoding::Utf16BeBom, &out, nullptr));
        QCOMPARE(out, QByteArray("\xFE\xFF\0a\xDC\x80\xD8\x00", 8));
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
