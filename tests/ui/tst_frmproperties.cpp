#include "frmproperties.h"
#include "looks.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
// A file read from disk: a Latin path beside Chinese captions and values.
PropertiesInfo fileOnDisk()
{
    return {u"app.ini"_s, u"/tmp/cfg/app.ini"_s, u"3个"_s, u"7个"_s, u"文件保存到硬盘"_s, u"GB18030"_s};
}
} // namespace

class tst_frmProperties : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void greyTitleOverWhiteShadow();
    void longTextsCutInTheMiddle_data();
    void longTextsCutInTheMiddle();
    void valuesOnTheirCaptionsBaseline();
    void readableOnLightAndDarkDesktops_data();
    void readableOnLightAndDarkDesktops();
    void growsWithTheFont_data();
    void growsWithTheFont();
    void minimisedComesBack();
    void closes_data();
    void closes();
};

void tst_frmProperties::texts_data()
{
    QTest::addColumn<PropertiesInfo>("info");

    QTest::newRow("new document")
        << PropertiesInfo{u"Untitled.ini"_s, u"无法获取"_s, u"0个"_s, u"0个"_s, u"配置设置文件"_s, u"UTF-8"_s};
    QTest::newRow("file on disk")
        << PropertiesInfo{u"app.ini"_s, u"D:\\cfg\\app.ini"_s, u"3个"_s, u"7个"_s, u"文件保存到硬盘"_s,
                          u"UTF-8（带 BOM）"_s};
    // Names are shown as they are, never read as markup.
    QTest::newRow("markup in the name")
        << PropertiesInfo{u"<b>x</b>&amp;.ini"_s, u"/tmp/<b>x</b>&amp;.ini"_s, u"1个"_s, u"0个"_s,
                          u"文件保存到硬盘"_s, u"Windows-1251"_s};
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
    QCOMPARE(dialog.size(), QSize(481, 312));
    QCOMPARE(dialog.minimumSize(), dialog.size());
    QCOMPARE(dialog.maximumSize(), dialog.size());

    const QList<std::pair<QString, QString>> expected = {
        {u"lblApp"_s, info.title},       {u"lblShadow"_s, info.title},
        {u"Label3"_s, u"路径："_s},      {u"lblPath"_s, info.path},
        {u"Label1"_s, u"项："_s},        {u"lblSections"_s, info.sections},
        {u"Label2"_s, u"名称："_s},      {u"lblKeys"_s, info.keys},
        {u"Label4"_s, u"状态："_s},      {u"lblStatus"_s, info.status},
        {u"Label5"_s, u"编码："_s},      {u"lblEncoding"_s, info.encoding},
    };
    for (const auto &[name, text] : expected) {
        auto *label = dialog.findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), text);
        // Sized to the text as shown, on one line.
        QCOMPARE(label->width(), label->sizeHint().width());
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    // A screen reader reads the title once, no picture, and each value after its caption
    // (whole where the label cuts it).
    QAccessibleInterface *self = QAccessible::queryAccessibleInterface(&dialog);
    QStringList read;
    for (int i = 0; i < self->childCount(); ++i)
        read << self->child(i)->object()->objectName();
    QCOMPARE(read, QStringList({u"lblApp"_s, u"Line1"_s, u"Label3"_s, u"lblPath"_s, u"Label1"_s,
                                u"lblSections"_s, u"Label2"_s, u"lblKeys"_s, u"Label4"_s,
                                u"lblStatus"_s, u"Label5"_s, u"lblEncoding"_s, u"Line2"_s,
                                u"cmdOK"_s}));
    for (qsizetype i = 2; i < expected.size(); i += 2) {
        QAccessibleInterface *value =
            QAccessible::queryAccessibleInterface(dialog.findChild<QLabel *>(expected[i + 1].first));
        QCOMPARE(value->text(QAccessible::Name), expected[i].second + expected[i + 1].second);
        const auto labels = value->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.constFirst().first->object()->objectName(), expected[i].first);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog.findChild<QLabel *>(u"lblApp"_s))
                 ->text(QAccessible::Name),
             info.title);
    // Caption and value share a line.
    QCOMPARE(dialog.findChild<QLabel *>(u"lblKeys"_s)->y(), dialog.findChild<QLabel *>(u"Label2"_s)->y());
    QCOMPARE(dialog.findChild<QLabel *>(u"lblPath"_s)->pos(), QPoint(136, 120));

    auto *picture = dialog.findChild<QLabel *>(u"Image1"_s);
    QCOMPARE(picture->geometry(), QRect(16, 40, 42, 47));
    QVERIFY(!picture->pixmap().isNull());
    auto *ok = dialog.findChild<QPushButton *>(u"cmdOK"_s);
    QCOMPARE(ok->text(), u"确定"_s);
    QCOMPARE(ok->geometry(), QRect(160, 264, 73, 25));
    for (const QString &rule : {u"Line1"_s, u"Line2"_s})
        QCOMPARE(dialog.findChild<QWidget *>(rule)->width(), 432);
}

void tst_frmProperties::greyTitleOverWhiteShadow()
{
    frmProperties dialog(nullptr, PropertiesInfo{u"app.ini"_s, u"/a/app.ini"_s, u"0个"_s, u"0个"_s, u""_s, u""_s});
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

void tst_frmProperties::longTextsCutInTheMiddle_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<PropertiesInfo>("info");
    QTest::addColumn<QString>("whole");

    const QString path = u"/home/user/"_s + QString(60, u'd') + u"/settings.ini"_s;
    QTest::newRow("long path")
        << u"lblPath"_s << PropertiesInfo{u"settings.ini"_s, path, u"0个"_s, u"0个"_s, u""_s, u""_s} << path;
    const QString name = QString(80, u'名') + u".ini"_s;
    QTest::newRow("long file name")
        << u"lblApp"_s << PropertiesInfo{name, u"/"_s + name, u"0个"_s, u"0个"_s, u""_s, u""_s} << name;
}

void tst_frmProperties::longTextsCutInTheMiddle()
{
    QFETCH(QString, label);
    QFETCH(PropertiesInfo, info);
    QFETCH(QString, whole);

    frmProperties dialog(nullptr, info);
    // The dialog keeps its designed size and its button in place.
    QCOMPARE(dialog.size(), QSize(481, 312));
    QCOMPARE(dialog.findChild<QWidget *>(u"cmdOK"_s)->geometry(), QRect(160, 264, 73, 25));
    auto *shown = dialog.findChild<QLabel *>(label);
    QVERIFY(!shown->wordWrap());
    QCOMPARE(shown->width(), shown->sizeHint().width());
    QVERIFY(shown->geometry().right() < dialog.width() - 24);
    // Cut in the middle: both ends stay readable, the whole text is the tooltip.
    const QString text = shown->text();
    QVERIFY2(text.contains(u'…'), qPrintable(text));
    QVERIFY(whole.startsWith(text.left(text.indexOf(u'…'))));
    QVERIFY(whole.endsWith(text.mid(text.indexOf(u'…') + 1)));
    QVERIFY(text.endsWith(u".ini"_s));
    QCOMPARE(shown->toolTip(), whole);
}

void tst_frmProperties::valuesOnTheirCaptionsBaseline()
{
    // A Latin path and a Chinese caption come from fonts of different ascent.
    frmProperties dialog(nullptr, fileOnDisk());
    const QList<std::pair<QString, QString>> pairs = {{u"Label3"_s, u"lblPath"_s},
                                                      {u"Label1"_s, u"lblSections"_s},
                                                      {u"Label2"_s, u"lblKeys"_s},
                                                      {u"Label4"_s, u"lblStatus"_s},
                                                      {u"Label5"_s, u"lblEncoding"_s}};
    auto baseline = [](QLabel *label) {
        QTextLayout layout(label->text(), label->font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        return label->y() + label->contentsRect().top() + qRound(line.ascent());
    };
    for (const auto &[caption, value] : pairs) {
        auto *c = dialog.findChild<QLabel *>(caption);
        auto *v = dialog.findChild<QLabel *>(value);
        QVERIFY(c->alignment() & Qt::AlignTop);
        QVERIFY(v->alignment() & Qt::AlignTop);
        QVERIFY2(qAbs(baseline(c) - baseline(v)) <= 1,
                 qPrintable(u"%1: %2 against %3"_s.arg(value).arg(baseline(v)).arg(baseline(c))));
    }
}

void tst_frmProperties::readableOnLightAndDarkDesktops_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light theme") << false;
    QTest::newRow("dark theme") << true;
}

// Every caption and value keeps dark text on the dialog's white (WCAG AA: 4.5:1), and
// the large grey title 3:1, whatever the desktop's theme.
void tst_frmProperties::readableOnLightAndDarkDesktops()
{
    QFETCH(bool, dark);
    const Looks::Theme theme(dark);
    frmProperties dialog(nullptr, fileOnDisk());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    const QStringList texts = {u"Label3"_s, u"lblPath"_s, u"Label1"_s, u"lblSections"_s, u"Label2"_s,
                               u"lblKeys"_s, u"Label4"_s, u"lblStatus"_s, u"Label5"_s, u"lblEncoding"_s,
                               u"cmdOK"_s};
    for (const QString &name : texts) {
        // Inside a button's frame: its edge is no text.
        const QWidget *w = dialog.findChild<QWidget *>(name);
        const QRect area = name == u"cmdOK"_s ? w->geometry().adjusted(4, 4, -4, -4) : w->geometry();
        const double ratio = Looks::inkContrast(shot, area);
        QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2:1"_s.arg(name).arg(ratio, 0, 'f', 2)));
    }
    QVERIFY(Looks::inkContrast(shot, dialog.findChild<QWidget *>(u"lblApp"_s)->geometry()) >= 3);
}

void tst_frmProperties::growsWithTheFont_data()
{
    QTest::addColumn<qreal>("points"); // the desktop's font
    for (const qreal points : Looks::fontSizes())
        QTest::addRow("%g pt", points) << points;
}

// At the default font the dialog has its designed size; with a larger one it grows so
// that every text and the button hold their text (their sizeHint), inside the dialog,
// none over another (but the shadow under the title).
void tst_frmProperties::growsWithTheFont()
{
    QFETCH(qreal, points);
    const Looks::AppFont font(points);
    frmProperties dialog(nullptr, fileOnDisk());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (points == 9)
        QCOMPARE(dialog.size(), QSize(481, 312));
    QList<QWidget *> parts = dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    parts.removeOne(dialog.findChild<QWidget *>(u"lblShadow"_s));
    QCOMPARE(parts.size(), 15);
    for (const QWidget *w : std::as_const(parts)) {
        const QString name = w->objectName();
        QVERIFY2(dialog.rect().contains(w->geometry()), qPrintable(name));
        if (points > 9 && (qobject_cast<const QLabel *>(w) || qobject_cast<const QPushButton *>(w))) {
            QVERIFY2(w->width() >= w->sizeHint().width() && w->height() >= w->sizeHint().height(),
                     qPrintable(u"%1: %2x%3 for %4x%5"_s.arg(name).arg(w->width()).arg(w->height())
                                    .arg(w->sizeHint().width()).arg(w->sizeHint().height())));
        }
        for (const QWidget *other : std::as_const(parts))
            QVERIFY2(w == other || !w->geometry().intersects(other->geometry()),
                     qPrintable(name + u" over "_s + other->objectName()));
    }
}

void tst_frmProperties::minimisedComesBack()
{
    // A window manager may offer a minimise button anyway; a minimised modal dialog would
    // leave the program with nothing to click.
    frmProperties dialog(nullptr, PropertiesInfo{});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!(dialog.windowState() & Qt::WindowMinimized));
    QVERIFY(dialog.isVisible());
}

void tst_frmProperties::closes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << u"click"_s;
    QTest::newRow("close box") << u"close"_s;
    // The button has the focus from the start.
    QTest::newRow("Enter") << u"enter"_s;
    QTest::newRow("keypad Enter") << u"keypad"_s;
}

void tst_frmProperties::closes()
{
    QFETCH(QString, how);

    frmProperties dialog(nullptr, PropertiesInfo{});
    bool answered = false;
    QTimer::singleShot(0, &dialog, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        answered = true;
        auto *ok = modal->findChild<QPushButton *>(u"cmdOK"_s);
        if (how == u"close"_s)
            modal->close();
        else if (how == u"click"_s)
            ok->click();
        else if (QTest::qWaitFor([ok] { return ok->hasFocus(); }))
            QTest::keyClick(ok, how == u"enter"_s ? Qt::Key_Return : Qt::Key_Enter,
                            how == u"enter"_s ? Qt::NoModifier : Qt::KeypadModifier);
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject); // rather than hang
    QCOMPARE(dialog.exec(), how == u"close"_s ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QVERIFY(answered);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(tst_frmProperties)
#include "tst_frmproperties.moc"
