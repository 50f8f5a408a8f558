#include "valuekind.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The locale is C here (CTest sets LC_ALL=C.UTF-8), so "." is the decimal separator.
class TestValueKind : public QObject
{
    Q_OBJECT
private slots:
    void kind_data();
    void kind();
    void digitFilter_data();
    void digitFilter();
};

void TestValueKind::kind_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<ValueKind>("expected");

    QTest::newRow("True") << u"True"_s << ValueKind::Boolean;
    QTest::newRow("False") << u"False"_s << ValueKind::Boolean;
    QTest::newRow("lower-case true") << u"true"_s << ValueKind::Text;
    QTest::newRow("upper-case TRUE") << u"TRUE"_s << ValueKind::Text;
    QTest::newRow("blank before True") << u" True"_s << ValueKind::Text;

    QTest::newRow("integer") << u"123"_s << ValueKind::Number;
    QTest::newRow("negative") << u"-5"_s << ValueKind::Number;
    QTest::newRow("plus sign") << u"+5"_s << ValueKind::Number;
    QTest::newRow("decimal") << u"3.5"_s << ValueKind::Number;
    QTest::newRow("exponent") << u"1e3"_s << ValueKind::Number;
    QTest::newRow("blanks around") << u" 7 "_s << ValueKind::Number;
    QTest::newRow("empty") << QString() << ValueKind::Text;
    QTest::newRow("blank only") << u" "_s << ValueKind::Text;
    QTest::newRow("digits then letters") << u"12ab"_s << ValueKind::Text;
    QTest::newRow("hexadecimal") << u"0x10"_s << ValueKind::Text;
    QTest::newRow("inf") << u"inf"_s << ValueKind::Text;
    QTest::newRow("nan") << u"nan"_s << ValueKind::Text;
    QTest::newRow("overflow") << u"1e999"_s << ValueKind::Text;

    QTest::newRow("C:\\x") << u"C:\\x"_s << ValueKind::Path;
    QTest::newRow("A:\\ alone") << u"A:\\"_s << ValueKind::Path;
    QTest::newRow("Z:\\x") << u"Z:\\x"_s << ValueKind::Path;
    QTest::newRow("I:\\x") << u"I:\\x"_s << ValueKind::Path;
    QTest::newRow("J:\\x") << u"J:\\x"_s << ValueKind::Path;
    QTest::newRow("lower-case c:\\x") << u"c:\\x"_s << ValueKind::Text;
    QTest::newRow("C:/x") << u"C:/x"_s << ValueKind::Text;
    QTest::newRow("C: alone") << u"C:"_s << ValueKind::Text;
    QTest::newRow("blank before C:\\") << u" C:\\x"_s << ValueKind::Text;
    QTest::newRow("digit drive 1:\\") << u"1:\\x"_s << ValueKind::Text;
    QTest::newRow("full-width Ｃ:\\") << u"Ｃ:\\x"_s << ValueKind::Text;

    QTest::newRow("(Empty)") << u"(Empty)"_s << ValueKind::Text;
}

void TestValueKind::kind()
{
    QFETCH(QString, data);
    QFETCH(ValueKind, expected);

    ValueEditRequest edit{u"name"_s, u"stale"_s, ValueKind(-1)};
    QCOMPARE(GetValueKind(data, edit), expected);
    QCOMPARE(edit.EditValueKind, expected);
    QCOMPARE(edit.EditKeyData, data);
}

void TestValueKind::digitFilter_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("passes");

    QTest::newRow("0") << QChar(u'0') << true;
    QTest::newRow("9") << QChar(u'9') << true;
    QTest::newRow("Backspace") << QChar(8) << true;
    QTest::newRow("minus") << QChar(u'-') << false;
    QTest::newRow("point") << QChar(u'.') << false;
    QTest::newRow("blank") << QChar(u' ') << false;
    QTest::newRow("Enter") << QChar(13) << false;
    QTest::newRow("letter") << QChar(u'a') << false;
    QTest::newRow("Ctrl+V") << QChar(22) << false;
    QTest::newRow("Ctrl+C") << QChar(3) << false;
    QTest::newRow("Ctrl+X") << QChar(24) << false;
    QTest::newRow("full-width digit") << QChar(u'５') << false;
    QTest::newRow("Arabic-Indic digit") << QChar(u'\u0665') << false;
    QTest::newRow("Chinese") << QChar(u'数') << false;
}

void TestValueKind::digitFilter()
{
    QFETCH(QChar, c);
    QFETCH(bool, passes);
    QCOMPARE(passesDigitFilter(c), passes);
}

QTEST_GUILESS_MAIN(TestValueKind)
#include "tst_valuekind.moc"
