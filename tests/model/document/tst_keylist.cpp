#include "documenttesting.h"
#include "keycollation.h"
#include "keylist.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestKeyList : public QObject
{
    Q_OBJECT

private:
    static void compareRows(const KeyList &list, const std::vector<KeyRow> &expected)
    {
        QCOMPARE(list.count(), qsizetype(expected.size()));
        for (qsizetype i = 0; i < list.count(); ++i) {
            const KeyRow &want = expected[size_t(i)];
            QCOMPARE(list.row(i), want);
            QCOMPARE(list.name(i), want.name());
            QCOMPARE(list.data(i), want.data());
            QCOMPARE(list.writesEmptyData(i), want.writesEmptyData());
        }
    }

private slots:
    void textsKeepEveryCharacter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("data");
        QTest::addColumn<bool>("readEmpty");
        QTest::newRow("ASCII") << u"Path"_s << u"C:\\Tarn\\a.dat"_s << false;
        QTest::newRow("Latin-1 beyond ASCII") << u"caf\u00e9"_s << u"\u00ff\u0080"_s << false;
        QTest::newRow("Chinese") << u"名称"_s << u"数据 1"_s << false;
        QTest::newRow("ASCII name, Chinese data") << u"k"_s << u"值"_s << false;
        QTest::newRow("odd-length Latin-1 name, UTF-16 data") << u"abc"_s << u"\u4e2d"_s << false;
        QTest::newRow("surrogate pair") << u"\U0001F600"_s << u"x\U0001F600"_s << false;
        QTest::newRow("byte escapes") << QString(QChar(0xDC80)) << QString(QChar(0xDCFF)) << false;
        QTest::newRow("empty name and data") << QString() << QString() << false;
        QTest::newRow("read empty") << u"k"_s << QString(KeyRow::emptyText()) << true;
        QTest::newRow("read empty, data since changed") << u"k"_s << u"v"_s << true;
        QTest::newRow("(Empty) typed, not read") << u"k"_s << QString(KeyRow::emptyText()) << false;
    }

    // Every kind of text comes back as it went in, next to texts of the other kinds,
    // through insert, rename, a data change and a copy of the list.
    void textsKeepEveryCharacter()
    {
        QFETCH(QString, name);
        QFETCH(QString, data);
        QFETCH(bool, readEmpty);
        const KeyRow row(name, data, readEmpty);
        std::vector<KeyRow> expected = {KeyRow(u"a"_s, u"\u4e00"_s), row, KeyRow(u"\u00e9"_s, u"b"_s)};
        KeyList list;
        list.assign(expected, -1, false);
        compareRows(list, expected);

        list.insert(0, row);
        expected.insert(expected.begin(), row);
        compareRows(list, expected);

        KeyList copy = list;
        list.setName(1, name);
        expected[1].setName(name);
        list.setData(3, data);
        expected[3].setData(data);
        compareRows(list, expected);
        compareRows(copy, {row, KeyRow(u"a"_s, u"\u4e00"_s), row, KeyRow(u"\u00e9"_s, u"b"_s)});
    }

    // Many edits (which drop unused text from time to time) leave every row as a plain
    // vector of rows has it.
    void editsMatchAPlainVector()
    {
        QRandomGenerator random(7);
        const QStringList texts = {u"a"_s, u"key"_s, u"caf\u00e9"_s, u"名称"_s, QString(),
                                   KeyRow::emptyText(), QString(5000, u'x'), QString(3001, u'\u4e2d')};
        auto pick = [&] { return texts[int(random.bounded(int(texts.size())))]; };
        KeyList list;
        std::vector<KeyRow> expected;
        for (int step = 0; step < 4000; ++step) {
            const qsizetype n = qsizetype(expected.size());
            const int op = n < 5 ? 0 : int(random.bounded(4));
            const qsizetype pos = n == 0 ? 0 : qsizetype(random.bounded(int(n)));
            if (op == 0) {
                const KeyRow row(pick(), pick(), random.bounded(2) == 0);
                list.insert(pos, row);
                expected.insert(expected.begin() + pos, row);
            } else if (op == 1) {
                list.remove(pos);
                expected.erase(expected.begin() + pos);
            } else if (op == 2) {
                const QString name = pick();
                list.setName(pos, name);
                expected[size_t(pos)].setName(name);
            } else {
                const QString data = pick();
                list.setData(pos, data);
                expected[size_t(pos)].setData(data);
            }
        }
        compareRows(list, expected);
        QVERIFY(DocumentTesting::storedBytes(list) < 4 * 1024 * 1024);
    }

    // What a read builds: the rows in reverse, the top one current and selected.
    // Both ways to collate, ICU's directly and Qt's QCollator (the route of builds
    // without ICU), give one order in the C locale and in Chinese: case is ignored and
    // equal names keep their order; Chinese names go by code point after Latin ones in
    // the C locale, and by pinyin before them in zh_CN.
    void collationRoutesAgree_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("ascending");
        QTest::addColumn<QStringList>("descending");
        QTest::newRow("C") << u"C"_s
                           << QStringList{u"a1"_s, u"A1"_s, u"a2"_s, u"b"_s, u"Z"_s, u"中"_s, u"北"_s, u"阿"_s}
                           << QStringList{u"阿"_s, u"北"_s, u"中"_s, u"Z"_s, u"b"_s, u"a2"_s, u"a1"_s, u"A1"_s};
        QTest::newRow("zh_CN") << u"zh_CN"_s
                               << QStringList{u"阿"_s, u"北"_s, u"中"_s, u"a1"_s, u"A1"_s, u"a2"_s, u"b"_s, u"Z"_s}
                               << QStringList{u"Z"_s, u"b"_s, u"a2"_s, u"a1"_s, u"A1"_s, u"中"_s, u"北"_s, u"阿"_s};
    }

    void collationRoutesAgree()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, ascending);
        QFETCH(QStringList, descending);
        const QStringList given{u"中"_s, u"b"_s, u"a1"_s, u"阿"_s, u"Z"_s, u"a2"_s, u"A1"_s, u"北"_s};
        const std::vector<QStringView> names(given.begin(), given.end());
        QVERIFY(KeyCollation::hasIcu());
        for (const auto route : {KeyCollation::Route::Icu, KeyCollation::Route::Qt}) {
            for (const auto order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                QStringList got;
                for (const qsizetype i : KeyCollation::sortedOrder(names, order, route, QLocale(locale)))
                    got.append(given[i]);
                QCOMPARE(got, order == Qt::AscendingOrder ? ascending : descending);
            }
        }
    }

    void readRowsComeInReverse()
    {
        KeyList scratch;
        scratch.appendRead(QLatin1StringView("a"), QLatin1StringView("1"));
        scratch.appendRead(u"名", QStringView());
        KeyList list = scratch.finishRead();
        compareRows(list, {KeyRow(u"名"_s, KeyRow::emptyText(), true), KeyRow(u"a"_s, u"1"_s)});
        QCOMPARE(list.current(), 0);
        QVERIFY(list.currentSelected());
        QVERIFY(scratch.isEmpty());
        scratch.appendRead(QLatin1StringView("b"), QLatin1StringView("2"));
        compareRows(scratch.finishRead(), {KeyRow(u"b"_s, u"2"_s)});
    }
};

QTEST_GUILESS_MAIN(TestKeyList)
#include "tst_keylist.moc"
