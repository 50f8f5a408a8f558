#include "frmproperties.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class tst_frmProperties : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void greyTitleOverWhiteShadow();
    void longPathWidensDialog();
    void closes_data();
    void closes();
};

void tst_frmProperties::texts_data()
{
    QTest::addColumn<PropertiesInfo>("info");

    QTest::newRow("new document")
        << PropertiesInfo{u"Untitled.ini"_s, u"无法获取"_s, u"0个"_s, u"0个"_s, u"配置设置文件"_s};
    QTest::newRow("file on disk")
        << PropertiesInfo{u"app.ini"_s, u"D:\\cfg\\app.ini"_s, u"3个"_s, u"7个"_s, u"文件保存到硬盘"_s};
    // Names are shown as they are, never read as markup.
    QTest::newRow("markup in the name")
        << PropertiesInfo{u"<b>x</b>&amp;.ini"_s, u"/tmp/<b>x</b>&amp;.ini"_s, u"1个"_s, u"0个"_s,
                          u"文件保存到硬盘"_s};
}

void tst_frmProperties::texts()
{
    QFETCH(PropertiesInfo, info);

    frmProperties dialog(nullptr, info);
    QCOMPARE(dialog.objectName(), u"frmProperties"_s);
    QCOMPARE(dialog.windowTitle(), u"属性"_s);
    QVERIFY(dialog.isModal());
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(dialog.size(), QSize(481, 288));

    const QList<std::pair<QString, QString>> expected = {
        {u"lblApp"_s, info.title},       {u"lblShadow"_s, info.title},
        {u"Label3"_s, u"路径："_s},      {u"lblPath"_s, info.path},
        {u"Label1"_s, u"项："_s},        {u"lblSections"_s, info.sections},
        {u"Label2"_s, u"名称："_s},      {u"lblKeys"_s, info.keys},
        {u"Label4"_s, u"状态："_s},      {u"lblStatus"_s, info.status},
    };
    for (const auto &[name, text] : expected) {
        auto *label = dialog.findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), text);
        // Sized to the text as shown, on one line.
        QCOMPARE(label->width(), label->sizeHint().width());
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    // Caption and value share a line.
    QCOMPARE(dialog.findChild<QLabel *>(u"lblKeys"_s)->y(), dialog.findChild<QLabel *>(u"Label2"_s)->y());
    QCOMPARE(dialog.findChild<QLabel *>(u"lblPath"_s)->pos(), QPoint(136, 120));

    auto *picture = dialog.findChild<QLabel *>(u"Image1"_s);
    QCOMPARE(picture->geometry(), QRect(16, 40, 42, 47));
    QVERIFY(!picture->pixmap().isNull());
    auto *ok = dialog.findChild<QPushButton *>(u"cmdOK"_s);
    QCOMPARE(ok->text(), u"确定"_s);
    QCOMPARE(ok->geometry(), QRect(160, 240, 73, 25));
    for (const QString &rule : {u"Line1"_s, u"Line2"_s})
        QCOMPARE(dialog.findChild<QWidget *>(rule)->width(), 432);
}

void tst_frmProperties::greyTitleOverWhiteShadow()
{
    frmProperties dialog(nullptr, PropertiesInfo{u"app.ini"_s, u"/a/app.ini"_s, u"0个"_s, u"0个"_s, u""_s});
    auto *title = dialog.findChild<QLabel *>(u"lblApp"_s);
    auto *shadow = dialog.findChild<QLabel *>(u"lblShadow"_s);

    // A later sibling is drawn over an earlier one.
    const QObjectList stack = dialog.children();
    QVERIFY(stack.indexOf(title) > stack.indexOf(shadow));
    QCOMPARE(shadow->pos() - title->pos(), QPoint(2, 2));
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
    QCOMPARE(shadow->palette().color(QPalette::WindowText), QColor(Qt::white));
    QVERIFY(title->font().bold());
    QCOMPARE(title->font().pointSizeF(), 21.75);
    QCOMPARE(shadow->font(), title->font());
}

void tst_frmProperties::longPathWidensDialog()
{
    const QString path = u"/home/user/"_s + QString(60, u'd') + u"/settings.ini"_s;
    frmProperties dialog(nullptr, PropertiesInfo{u"settings.ini"_s, path, u"0个"_s, u"0个"_s, u""_s});
    auto *label = dialog.findChild<QLabel *>(u"lblPath"_s);
    QCOMPARE(label->height(), label->sizeHint().height());
    QCOMPARE(label->width(), label->sizeHint().width());
    QVERIFY(!label->wordWrap());
    QVERIFY(dialog.width() > 481);
    QVERIFY(label->geometry().right() < dialog.width());
    QCOMPARE(dialog.findChild<QWidget *>(u"Line2"_s)->geometry().right() + 1, dialog.width() - 25);
}

void tst_frmProperties::closes_data()
{
    QTest::addColumn<bool>("useCloseBox");
    QTest::newRow("OK") << false;
    QTest::newRow("close box") << true;
}

void tst_frmProperties::closes()
{
    QFETCH(bool, useCloseBox);

    frmProperties dialog(nullptr, PropertiesInfo{});
    bool answered = false;
    QTimer::singleShot(0, &dialog, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        answered = true;
        if (useCloseBox)
            modal->close();
        else
            modal->findChild<QPushButton *>(u"cmdOK"_s)->click();
    });
    dialog.exec();
    QVERIFY(answered);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(tst_frmProperties)
#include "tst_frmproperties.moc"
