#include "frmchangedata.h"
#include "longlineedit.h"
#include "looks.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Key strokes as combined key-and-modifier values, so they fit a data column.
using Strokes = QList<int>;

int stroke(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyCombination(modifiers, key).toCombined();
}

// Data long enough for the long-text editor, digits so that it can be a number too.
const QString longDigits = QString(LongLineEdit::minimumLength + 1000, u'1');

// The boxes are Qt's line edit or, for a long text, the long-text editor; both have the
// properties text, selectedText and cursorPosition.
QString textOf(const QWidget *box)
{
    return box->property("text").toString();
}

struct Editor
{
    explicit Editor(int kind, const QString &data, const QString &name = u"Name"_s)
        : dialog(nullptr, ValueEditRequest{name, data, ValueKind(kind)}, dialogs, [this](FileDialogState &s) {
              ++browseCalls;
              seenTitle = s.title;
              seenFilter = s.filter;
              if (browseAnswer.isNull())
                  return false;
              s.fileName = browseAnswer;
              return true;
          })
    {
    }

    template<typename T> T *find(const QString &name) { return dialog.findChild<T *>(name); }
    QWidget *txtData() { return find<QWidget>(u"txtData"_s); }
    QWidget *txtName() { return find<QWidget>(u"txtName"_s); }
    QComboBox *cmbBoolean() { return find<QComboBox>(u"cmbBoolean"_s); }
    QPushButton *button(const QString &name) { return find<QPushButton>(name); }

    FileDialogState dialogs{u"old title"_s, u"old filter"_s, u"/start/dir"_s, u"keep.ini"_s};
    QString browseAnswer;
    int browseCalls = 0;
    QString seenTitle;
    QString seenFilter;
    frmChangeData dialog;
};

} // namespace

class tst_frmChangeData : public QObject
{
    Q_OBJECT

private slots:
    void window();
    void controlsForKind_data();
    void controlsForKind();
    void readableOnLightAndDarkDesktops_data();
    void readableOnLightAndDarkDesktops();
    void growsWithTheFont_data();
    void growsWithTheFont();
    void typing_data();
    void typing();
    void inputMethod_data();
    void inputMethod();
    void contextMenuPaste_data();
    void contextMenuPaste();
    void dropOnNumber_data();
    void dropOnNumber();
    void browse_data();
    void browse();
    void resultOnOk_data();
    void resultOnOk();
    void cancelAndCloseBox_data();
    void cancelAndCloseBox();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void freshChoicesEachTime();
};

void tst_frmChangeData::window()
{
    Editor e(3, u"x"_s);
    QCOMPARE(e.dialog.objectName(), u"frmChangeData"_s);
    QCOMPARE(e.dialog.windowTitle(), u"查看/修改数值"_s);
    QCOMPARE(e.dialog.size(), QSize(385, 209));
    QVERIFY(e.dialog.isModal());
    const Qt::WindowFlags flags = e.dialog.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    // Fixed size, so a window manager offers no maximise; a minimised editor comes back.
    QCOMPARE(e.dialog.minimumSize(), e.dialog.size());
    QCOMPARE(e.dialog.maximumSize(), e.dialog.size());
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    e.dialog.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!(e.dialog.windowState() & Qt::WindowMinimized));
    e.dialog.hide();
    QCOMPARE(e.dialog.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(e.txtName()->geometry(), QRect(16, 64, 337, 19));
    QCOMPARE(e.button(u"cmdOK"_s)->geometry(), QRect(192, 160, 73, 25));
    QCOMPARE(e.button(u"cmdCancel"_s)->geometry(), QRect(280, 160, 73, 25));
    QCOMPARE(e.button(u"cmdOK"_s)->text(), u"确定"_s);
    QCOMPARE(e.button(u"cmdCancel"_s)->text(), u"取消"_s);
    QCOMPARE(e.find<QWidget>(u"Label1"_s)->pos(), QPoint(16, 40));
    QCOMPARE(e.find<QWidget>(u"Label2"_s)->pos(), QPoint(16, 96));
    for (QPushButton *b : e.dialog.findChildren<QPushButton *>())
        QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->objectName()));
}

void tst_frmChangeData::controlsForKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("dataWidth"); // 0: the text box is hidden
    QTest::addColumn<bool>("browseShown");
    QTest::addColumn<QString>("choice"); // empty: the choice list is hidden

    QTest::newRow("number") << 1 << u"-3.5"_s << 337 << false << QString();
    QTest::newRow("text") << 3 << u"(Empty)"_s << 337 << false << QString();
    QTest::newRow("path") << 4 << u"C:\\Windows\\win.ini"_s << 305 << true << QString();
    QTest::newRow("true") << 2 << u"True"_s << 0 << false << u"True"_s;
    QTest::newRow("false") << 2 << u"False"_s << 0 << false << u"False"_s;
    QTest::newRow("long number") << 1 << longDigits << 337 << false << QString();
    QTest::newRow("long text") << 3 << longDigits + u"x"_s << 337 << false << QString();
    QTest::newRow("long path") << 4 << u"C:\\"_s + longDigits << 305 << true << QString();
}

void tst_frmChangeData::controlsForKind()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(int, dataWidth);
    QFETCH(bool, browseShown);
    QFETCH(QString, choice);

    Editor e(kind, data);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));

    QCOMPARE(e.txtData()->isVisible(), dataWidth != 0);
    QCOMPARE(qobject_cast<LongLineEdit *>(e.txtData()) != nullptr, data.size() >= LongLineEdit::minimumLength);
    QCOMPARE(textOf(e.txtData()), data);
    QCOMPARE(e.txtData()->property("selectedText").toString(), data);
    if (dataWidth != 0) {
        QCOMPARE(e.txtData()->geometry(), QRect(16, 120, dataWidth, 19));
        QCOMPARE(QApplication::focusWidget(), e.txtData());
        // A screen reader reads the whole text from either kind of box.
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(e.txtData());
        QVERIFY(box && box->textInterface() && box->editableTextInterface());
        QCOMPARE(box->role(), QAccessible::EditableText);
        QCOMPARE(box->textInterface()->characterCount(), data.size());
        QCOMPARE(box->text(QAccessible::Value), data);
    }
    QCOMPARE(e.button(u"cmdBrowse"_s)->isVisible(), browseShown);
    if (browseShown)
        QCOMPARE(e.button(u"cmdBrowse"_s)->geometry(), QRect(320, 120, 33, 17));
    QCOMPARE(e.cmbBoolean()->isVisible(), !choice.isEmpty());
    if (!choice.isEmpty()) {
        QCOMPARE(e.cmbBoolean()->currentText(), choice);
        QCOMPARE(e.cmbBoolean()->geometry(), QRect(16, 120, 97, 20));
    }

    // A screen reader names each box by its caption, the data caption whichever control
    // the kind shows, and "..." by what it does.
    const auto accessible = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w); };
    const auto labelledBy = [&](QWidget *w) {
        const auto labels = accessible(w)->relations(QAccessible::Label);
        return labels.size() == 1 ? labels.constFirst().first->object()->objectName() : QString();
    };
    QWidget *dataControl = dataWidth != 0 ? static_cast<QWidget *>(e.txtData()) : e.cmbBoolean();
    QCOMPARE(labelledBy(e.txtName()), u"Label1"_s);
    QCOMPARE(labelledBy(dataControl), u"Label2"_s);
    QCOMPARE(accessible(e.txtName())->text(QAccessible::Name), u"名称"_s);
    // Qt names a choice list by its entry on Linux, where the caption's relation says what
    // it is; the text box by its name.
    if (dataWidth != 0)
        QCOMPARE(accessible(dataControl)->text(QAccessible::Name), u"数值"_s);
    else
        QCOMPARE(accessible(dataControl)->text(QAccessible::Value), choice);
    QCOMPARE(accessible(dataControl)->text(QAccessible::Description).isEmpty(), kind == 3);
    QCOMPARE(accessible(e.button(u"cmdBrowse"_s))->text(QAccessible::Name), u"浏览"_s);
}

void tst_frmChangeData::readableOnLightAndDarkDesktops_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("kind"); // a path shows "...", a boolean the choice list
    QTest::newRow("light theme, path") << false << 4;
    QTest::newRow("light theme, boolean") << false << 2;
    QTest::newRow("dark theme, path") << true << 4;
    QTest::newRow("dark theme, boolean") << true << 2;
    // A long text is edited in a box that paints itself.
    QTest::newRow("dark theme, long text") << true << 3;
}

// The captions, the boxes and the buttons keep dark text on the dialog's white (WCAG AA:
// 4.5:1), whatever the desktop's theme.
void tst_frmChangeData::readableOnLightAndDarkDesktops()
{
    QFETCH(bool, dark);
    QFETCH(int, kind);
    const Looks::Theme theme(dark);
    const QString data = kind == 2   ? u"True"_s
                         : kind == 4 ? u"C:\\Windows\\win.ini"_s
                                     : QString(LongLineEdit::minimumLength, u'长');
    Editor e(kind, data, kind == 3 ? data : u"名称"_s);
    QCOMPARE(qobject_cast<LongLineEdit *>(e.find<QWidget>(u"txtData"_s)) != nullptr, kind == 3);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    const QImage shot = e.dialog.grab().toImage();
    const QStringList texts = {u"Label1"_s, u"Label2"_s, u"txtName"_s, u"txtData"_s, u"cmbBoolean"_s,
                               u"cmdBrowse"_s, u"cmdOK"_s, u"cmdCancel"_s};
    for (const QString &name : texts) {
        const QWidget *w = e.find<QWidget>(name);
        if (!w->isVisible())
            continue;
        // Inside a box's or a button's edge, which is no text.
        const int edge = name.startsWith(u"Label"_s) ? 0 : 3;
        const double ratio = Looks::inkContrast(shot, w->geometry().adjusted(edge, edge, -edge, -edge));
        QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2:1"_s.arg(name).arg(ratio, 0, 'f', 2)));
    }
    if (kind != 2)
        return;
    // The choice list opens in a window of its own, in the dialog's colours: "True"
    // chosen, "False" on white.
    e.cmbBoolean()->showPopup();
    QAbstractItemView *list = e.cmbBoolean()->view();
    QTRY_VERIFY(list->isVisible());
    const QImage choices = list->viewport()->grab().toImage();
    for (int row : {0, 1}) {
        const QRect place = list->visualRect(list->model()->index(row, 0)) & choices.rect();
        QCOMPARE(choices.pixelColor(place.right() - 2, place.center().y()),
                 row == 0 ? e.dialog.palette().color(QPalette::Highlight) : QColor(Qt::white));
        QVERIFY(Looks::inkContrast(choices, place) >= 4.5);
    }
    e.cmbBoolean()->hidePopup();
}

void tst_frmChangeData::growsWithTheFont_data()
{
    QTest::addColumn<qreal>("points"); // the desktop's font
    QTest::addColumn<int>("kind");     // a path shows "...", a boolean the choice list
    for (const qreal points : Looks::fontSizes()) {
        QTest::addRow("%g pt, path", points) << points << 4;
        QTest::addRow("%g pt, boolean", points) << points << 2;
    }
}

// At the default font the dialog has its designed size; with a larger one every control
// grows to hold its text (its sizeHint), inside the dialog, none over another.
void tst_frmChangeData::growsWithTheFont()
{
    QFETCH(qreal, points);
    QFETCH(int, kind);
    const Looks::AppFont font(points);
    Editor e(kind, kind == 2 ? u"False"_s : u"C:\\Windows\\win.ini"_s);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    if (points == 9)
        QCOMPARE(e.dialog.size(), QSize(385, 209));
    QList<QWidget *> shown;
    for (QWidget *w : e.dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible())
            shown << w;
    }
    QCOMPARE(shown.size(), kind == 2 ? 6 : 7);
    for (const QWidget *w : shown) {
        const QString name = w->objectName();
        QVERIFY2(e.dialog.rect().contains(w->geometry()), qPrintable(name));
        if (points > 9) {
            QVERIFY2(w->width() >= w->sizeHint().width() && w->height() >= w->sizeHint().height(),
                     qPrintable(u"%1: %2x%3 for %4x%5"_s.arg(name).arg(w->width()).arg(w->height())
                                    .arg(w->sizeHint().width()).arg(w->sizeHint().height())));
        }
        // The text box and "..." overlap by their edge lines, by design (15 twips).
        for (const QWidget *other : shown) {
            const QRect both = w->geometry() & other->geometry();
            QVERIFY2(w == other || both.width() <= 2 || both.height() <= 2,
                     qPrintable(name + u" over "_s + other->objectName()));
        }
    }
}

void tst_frmChangeData::typing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<Strokes>("keys");
    QTest::addColumn<QString>("expected");

    const int end = stroke(Qt::Key_End);
    QTest::newRow("digits typed") << 1 << u"12"_s << Strokes{end, stroke(Qt::Key_4), stroke(Qt::Key_0)} << u"1240"_s;
    QTest::newRow("digit replaces selection") << 1 << u"-5"_s << Strokes{stroke(Qt::Key_7)} << u"7"_s;
    QTest::newRow("minus, point, blank") << 1 << u"12"_s
        << Strokes{end, stroke(Qt::Key_Minus), stroke(Qt::Key_Period), stroke(Qt::Key_Space)} << u"12"_s;
    QTest::newRow("letters and enter") << 1 << u"12"_s
        << Strokes{end, stroke(Qt::Key_A), stroke(Qt::Key_E), stroke(Qt::Key_Return)} << u"12"_s;
    QTest::newRow("backspace") << 1 << u"123"_s << Strokes{end, stroke(Qt::Key_Backspace)} << u"12"_s;
    QTest::newRow("delete and arrows") << 1 << u"123"_s
        << Strokes{stroke(Qt::Key_Home), stroke(Qt::Key_Right), stroke(Qt::Key_Delete)} << u"13"_s;
    QTest::newRow("ctrl+v") << 1 << u"12"_s << Strokes{end, stroke(Qt::Key_V, Qt::ControlModifier)} << u"12"_s;
    QTest::newRow("shift+insert") << 1 << u"12"_s << Strokes{end, stroke(Qt::Key_Insert, Qt::ShiftModifier)} << u"12"_s;
    QTest::newRow("ctrl+x") << 1 << u"12"_s << Strokes{stroke(Qt::Key_X, Qt::ControlModifier)} << u"12"_s;
    QTest::newRow("ctrl+c") << 1 << u"12"_s << Strokes{stroke(Qt::Key_C, Qt::ControlModifier)} << u"12"_s;
    QTest::newRow("text takes everything") << 3 << u"ab"_s
        << Strokes{end, stroke(Qt::Key_Minus), stroke(Qt::Key_Period), stroke(Qt::Key_V, Qt::ControlModifier)}
        << u"ab-.99"_s;
    QTest::newRow("path takes everything") << 4 << u"C:\\a"_s
        << Strokes{end, stroke(Qt::Key_Space), stroke(Qt::Key_V, Qt::ControlModifier)} << u"C:\\a 99"_s;
    // The same in the long-text editor.
    const QString digits = longDigits;
    QTest::newRow("long: digits typed") << 1 << digits << Strokes{end, stroke(Qt::Key_4), stroke(Qt::Key_0)} << digits + u"40"_s;
    QTest::newRow("long: digit replaces selection") << 1 << digits << Strokes{stroke(Qt::Key_7)} << u"7"_s;
    QTest::newRow("long: minus, point, blank, letters, enter") << 1 << digits
        << Strokes{end, stroke(Qt::Key_Minus), stroke(Qt::Key_Period), stroke(Qt::Key_Space), stroke(Qt::Key_A),
                   stroke(Qt::Key_Return)}
        << digits;
    QTest::newRow("long: backspace") << 1 << digits << Strokes{end, stroke(Qt::Key_Backspace)} << digits.chopped(1);
    QTest::newRow("long: delete and arrows") << 1 << u"23"_s + digits
        << Strokes{stroke(Qt::Key_Home), stroke(Qt::Key_Right), stroke(Qt::Key_Delete)} << u"2"_s + digits;
    QTest::newRow("long: ctrl+v, shift+insert, ctrl+x, ctrl+c") << 1 << digits
        << Strokes{stroke(Qt::Key_V, Qt::ControlModifier), stroke(Qt::Key_Insert, Qt::ShiftModifier),
                   stroke(Qt::Key_X, Qt::ControlModifier), stroke(Qt::Key_C, Qt::ControlModifier)}
        << digits;
    QTest::newRow("long: text takes everything") << 3 << digits + u"ab"_s
        << Strokes{end, stroke(Qt::Key_Minus), stroke(Qt::Key_Period), stroke(Qt::Key_V, Qt::ControlModifier)}
        << digits + u"ab-.99"_s;
}

void tst_frmChangeData::typing()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(Strokes, keys);
    QFETCH(QString, expected);

    QGuiApplication::clipboard()->setText(u"99"_s);
    Editor e(kind, data);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    for (int key : keys) {
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(e.txtData(), combination.key(), combination.keyboardModifiers());
    }
    QCOMPARE(textOf(e.txtData()), expected);
    // Neither a discarded copy nor a discarded cut reaches the clipboard.
    QCOMPARE(QGuiApplication::clipboard()->text(), u"99"_s);
    QVERIFY(e.dialog.isVisible());
}

void tst_frmChangeData::inputMethod_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("expected");

    QTest::newRow("chinese on number") << 1 << u"12"_s << u"中文"_s << u"12"_s;
    QTest::newRow("wide digit on number") << 1 << u"12"_s << u"５"_s << u"12"_s;
    QTest::newRow("minus on number") << 1 << u"12"_s << u"-"_s << u"12"_s;
    QTest::newRow("digit on number") << 1 << u"12"_s << u"5"_s << u"125"_s;
    QTest::newRow("chinese on text") << 3 << u"12"_s << u"中文"_s << u"12中文"_s;
    QTest::newRow("chinese on long number") << 1 << longDigits << u"中文"_s << longDigits;
    QTest::newRow("digit on long number") << 1 << longDigits << u"5"_s << longDigits + u"5"_s;
    QTest::newRow("chinese on long text") << 3 << longDigits << u"中文"_s << longDigits + u"中文"_s;
}

void tst_frmChangeData::inputMethod()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(QString, commit);
    QFETCH(QString, expected);

    Editor e(kind, data);
    e.txtData()->setProperty("cursorPosition", int(data.size())); // the end, nothing selected
    QInputMethodEvent event;
    event.setCommitString(commit);
    QApplication::sendEvent(e.txtData(), &event);
    QCOMPARE(textOf(e.txtData()), expected);
}

void tst_frmChangeData::contextMenuPaste_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("pasteOffered");

    QTest::newRow("number") << 1 << u"12"_s << false;
    QTest::newRow("text") << 3 << u"12"_s << true;
    QTest::newRow("long number") << 1 << longDigits << false;
    QTest::newRow("long text") << 3 << longDigits << true;
}

void tst_frmChangeData::contextMenuPaste()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(bool, pasteOffered);

    QGuiApplication::clipboard()->setText(u"99"_s);
    Editor e(kind, data);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    QWidget *box = e.txtData();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(box, &event);

    auto *menu = box->findChild<QMenu *>();
    QVERIFY(menu);
    const QString pasteCaption = QCoreApplication::translate("QLineEdit", "&Paste");
    bool hasPaste = false;
    for (QAction *action : menu->actions()) {
        hasPaste = hasPaste || action->text().startsWith(pasteCaption);
        if (kind == 1)
            QVERIFY(!action->menu());
    }
    QVERIFY(!menu->actions().isEmpty());
    QCOMPARE(hasPaste, pasteOffered);
    menu->close();
    QCOMPARE(textOf(box), data);
}

void tst_frmChangeData::dropOnNumber_data()
{
    QTest::addColumn<QString>("data");
    QTest::newRow("short") << u"12"_s;
    QTest::newRow("long") << longDigits;
}

void tst_frmChangeData::dropOnNumber()
{
    QFETCH(QString, data);
    Editor e(1, data);
    e.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.dialog));
    auto *mime = new QMimeData;
    mime->setText(u"-1.5"_s);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.txtData(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.txtData(), &drop);
    delete mime;
    QCOMPARE(textOf(e.txtData()), data);
    QVERIFY(!drop.isAccepted());
}

void tst_frmChangeData::browse_data()
{
    QTest::addColumn<QString>("answer"); // null: the user cancels
    QTest::addColumn<QString>("expectedData");
    QTest::addColumn<QString>("expectedFileName");

    const QString chosen = u"/srv/a b/app.ini"_s;
    QTest::newRow("chosen") << chosen << QDir::toNativeSeparators(chosen) << QString();
    QTest::newRow("cancelled") << QString() << u"D:\\old\\data.txt"_s << u"keep.ini"_s;
}

void tst_frmChangeData::browse()
{
    QFETCH(QString, answer);
    QFETCH(QString, expectedData);
    QFETCH(QString, expectedFileName);

    Editor e(4, u"D:\\old\\data.txt"_s);
    e.browseAnswer = answer;
    e.button(u"cmdBrowse"_s)->click();
    QCOMPARE(e.browseCalls, 1);
    QCOMPARE(e.seenTitle, u"浏览..."_s);
    QCOMPARE(e.seenFilter, u"全部文件 (*.*)|*.*"_s);
    QCOMPARE(e.dialogs.initDir, u"/start/dir"_s);
    QCOMPARE(e.dialogs.fileName, expectedFileName);
    QCOMPARE(textOf(e.txtData()), expectedData);
    QCOMPARE(e.dialog.QDialog::result(), 0);
}

void tst_frmChangeData::resultOnOk_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("choose"); // -1: leave the choice alone
    QTest::addColumn<QString>("expectedData");

    QTest::newRow("only the name") << 3 << u"(Empty)"_s << -1 << u"(Empty)"_s;
    QTest::newRow("number kept whole") << 1 << u"-3.5"_s << -1 << u"-3.5"_s;
    QTest::newRow("true to false") << 2 << u"True"_s << 1 << u"False"_s;
    QTest::newRow("false to true") << 2 << u"False"_s << 0 << u"True"_s;
    QTest::newRow("true kept") << 2 << u"True"_s << -1 << u"True"_s;
    // A line edit stops at 32,767 characters unless told otherwise.
    const QString longData = QString(40000, u'x') + u"end"_s;
    QTest::newRow("long data kept whole") << 3 << longData << -1 << longData;
    const QString veryLong = QString(1000000, u'x') + u"end"_s;
    QTest::newRow("very long data kept whole") << 3 << veryLong << -1 << veryLong;
}

void tst_frmChangeData::resultOnOk()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(int, choose);
    QFETCH(QString, expectedData);

    Editor e(kind, data, u"old"_s);
    e.txtName()->setProperty("text", u"renamed"_s);
    if (choose >= 0)
        e.cmbBoolean()->setCurrentIndex(choose);
    e.button(u"cmdOK"_s)->click();
    QCOMPARE(e.dialog.QDialog::result(), int(QDialog::Accepted));
    const ValueEditRequest result = e.dialog.result();
    QCOMPARE(result.EditKeyName, u"renamed"_s);
    QCOMPARE(result.EditKeyData, expectedData);
}

void tst_frmChangeData::cancelAndCloseBox_data()
{
    QTest::addColumn<bool>("useCloseBox");
    QTest::newRow("cancel") << false;
    QTest::newRow("close box") << true;
}

void tst_frmChangeData::cancelAndCloseBox()
{
    QFETCH(bool, useCloseBox);

    Editor e(3, u"data"_s);
    QTimer::singleShot(0, &e.dialog, [&] {
        auto *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QWidget *>(u"txtData"_s)->setProperty("text", u"changed"_s);
        if (useCloseBox)
            dialog->close();
        else
            dialog->findChild<QPushButton *>(u"cmdCancel"_s)->click();
    });
    QCOMPARE(e.dialog.exec(), int(QDialog::Rejected));
}

void tst_frmChangeData::enterAndEscapeDoNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short name") << u"Name"_s;
    QTest::newRow("long name") << longDigits;
}

void tst_frmChangeData::enterAndEscapeDoNothing()
{
    QFETCH(QString, name);
    Editor e(2, u"True"_s, name);
    bool stillOpen = false;
    QTimer::singleShot(0, &e.dialog, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const QStringList targets = {u"txtName"_s, u"cmbBoolean"_s, u"cmdOK"_s, u"cmdCancel"_s};
        for (const QString &name : targets) {
            auto *target = dialog->findChild<QWidget *>(name);
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(target, key);
        }
        stillOpen = dialog->isVisible() && dialog->result() == 0;
        dialog->findChild<QComboBox *>(u"cmbBoolean"_s)->setCurrentIndex(1);
        dialog->findChild<QPushButton *>(u"cmdOK"_s)->click();
    });
    QCOMPARE(e.dialog.exec(), int(QDialog::Accepted));
    QVERIFY(stillOpen);
    QCOMPARE(e.dialog.result().EditKeyData, u"False"_s);
    QCOMPARE(e.dialog.result().EditKeyName, name);
}

void tst_frmChangeData::freshChoicesEachTime()
{
    for (int i = 0; i < 2; ++i) {
        Editor e(2, u"False"_s);
        QComboBox *choices = e.cmbBoolean();
        QCOMPARE(choices->count(), 2);
        QCOMPARE(choices->itemText(0), u"True"_s);
        QCOMPARE(choices->itemText(1), u"False"_s);
    }
}

QTEST_MAIN(tst_frmChangeData)
#include "tst_frmchangedata.moc"
