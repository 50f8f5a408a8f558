#include "longlineedit.h"
#include "textstretch.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

// The long-text editor against Qt's own line edit: the same keys and clicks on the same
// text leave the same text, cursor, selection and clipboard, and the same answers to a
// screen reader. The text is long enough that the long-text editor scrolls its laid-out
// part (a few hundred characters) across it, and mixes words, separators, blanks,
// Chinese, a surrogate pair and a combining accent.

namespace {

// Key strokes as combined key-and-modifier values, so they fit a data column; a
// stroke of 0 types the next entry of the typed text.
using Strokes = QList<int>;

int stroke(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyCombination(modifiers, key).toCombined();
}

QString sampleText()
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += u"alpha beta,gamma  δέλτα 中文字 x.y-z 😀e\u0301 (k=v) "_s;
    return text;
}

struct Pair
{
    Pair()
    {
        for (QWidget *box : {static_cast<QWidget *>(&line), static_cast<QWidget *>(&longBox)}) {
            box->resize(200, box->sizeHint().height());
            box->show();
        }
        line.setMaxLength(std::numeric_limits<int>::max());
    }
    // Both boxes hold text, the cursor at pos (from the end when negative).
    void setText(const QString &text, int pos)
    {
        const int at = pos < 0 ? int(text.size()) + 1 + pos : pos;
        line.setText(text);
        longBox.setText(text);
        line.setCursorPosition(at);
        longBox.setCursorPosition(at);
    }
    QLineEdit line;
    LongLineEdit longBox;
};

// What the two boxes differ in, or an empty text.
QString difference(const QLineEdit &line, LongLineEdit &longBox, const QString &after)
{
    if (line.text() != longBox.text())
        return u"text after %1: %2 characters against %3"_s.arg(after).arg(line.text().size()).arg(longBox.text().size());
    if (line.cursorPosition() != longBox.cursorPosition())
        return u"cursor after %1: %2 against %3"_s.arg(after).arg(line.cursorPosition()).arg(longBox.cursorPosition());
    if (line.selectionStart() != longBox.selectionStart() || line.selectedText() != longBox.selectedText())
        return u"selection after %1: %2+%3 against %4+%5"_s.arg(after)
            .arg(line.selectionStart()).arg(line.selectedText().size())
            .arg(longBox.selectionStart()).arg(longBox.selectedText().size());
    // The cursor stays in view.
    const QRect cursor = longBox.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    if (!longBox.rect().contains(cursor.center()))
        return u"cursor out of view after %1"_s.arg(after);
    return {};
}

} // namespace

class TestLongLineEdit : public QObject
{
    Q_OBJECT
private slots:
    void sameAsLineEdit_data();
    void sameAsLineEdit();
    void sameForScreenReaders_data();
    void sameForScreenReaders();
};

void TestLongLineEdit::sameAsLineEdit_data()
{
    QTest::addColumn<int>("start"); // the cursor's place before the strokes, from the end when negative
    QTest::addColumn<Strokes>("strokes");
    QTest::addColumn<QString>("typed");

    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    const auto keys = [](Qt::Key key, int modifiers, int times) {
        return Strokes(times, stroke(key, Qt::KeyboardModifiers(modifiers)));
    };
    QTest::newRow("typing at the end, Backspace") << -1 << Strokes{0, 0, 0, stroke(Qt::Key_Backspace)} << u"xy中"_s;
    QTest::newRow("typing at the start") << 0 << Strokes{0, 0} << u"[]"_s;
    QTest::newRow("Right and Delete by graphemes") << 0 << keys(Qt::Key_Right, 0, 45) + keys(Qt::Key_Delete, 0, 3)
                                                    << QString();
    // Each repeat of the text: "alpha beta,gamma  δέλτα 中文字 x.y-z " (34), a surrogate
    // pair (34, 35), e and a combining accent (36, 37), " (k=v) " (38 to 44).
    QTest::newRow("Backspace over an accent and a surrogate pair")
        << 38 << keys(Qt::Key_Backspace, 0, 4) << QString();
    QTest::newRow("Delete a surrogate pair, then a grapheme") << 34 << keys(Qt::Key_Delete, 0, 2) << QString();
    QTest::newRow("Left from the end by graphemes") << -1 << keys(Qt::Key_Left, 0, 30) << QString();
    QTest::newRow("words forward") << 0 << keys(Qt::Key_Right, ctrl, 25) << QString();
    QTest::newRow("words backward") << -1 << keys(Qt::Key_Left, ctrl, 25) << QString();
    QTest::newRow("select words, type over them")
        << 100 << keys(Qt::Key_Right, ctrl | shift, 7) + Strokes{0} << u"Z"_s;
    QTest::newRow("select leftwards, Right ends it") << 300 << keys(Qt::Key_Left, shift, 9) + Strokes{stroke(Qt::Key_Right)}
                                                     << QString();
    QTest::newRow("select to the start, Delete") << 500 << Strokes{stroke(Qt::Key_Home, Qt::ShiftModifier), stroke(Qt::Key_Delete)}
                                                 << QString();
    QTest::newRow("Home, End, Shift+End") << 700 << Strokes{stroke(Qt::Key_Home), stroke(Qt::Key_End), stroke(Qt::Key_Left),
                                                            stroke(Qt::Key_Home, Qt::ShiftModifier)}
                                          << QString();
    QTest::newRow("Ctrl+Backspace and Ctrl+Delete by words")
        << 900 << Strokes{stroke(Qt::Key_Backspace, Qt::ControlModifier), stroke(Qt::Key_Backspace, Qt::ControlModifier),
                          stroke(Qt::Key_Delete, Qt::ControlModifier)}
        << QString();
    QTest::newRow("select all, type") << 10 << Strokes{stroke(Qt::Key_A, Qt::ControlModifier), 0} << u"q"_s;
    QTest::newRow("undo a run of typing, redo it")
        << 50 << Strokes{0, 0, 0, stroke(Qt::Key_Left), 0, stroke(Qt::Key_Z, Qt::ControlModifier),
                         stroke(Qt::Key_Z, Qt::ControlModifier), stroke(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier)}
        << u"abcd"_s;
    QTest::newRow("undo Backspaces and Deletes")
        << 60 << keys(Qt::Key_Backspace, 0, 3) + keys(Qt::Key_Delete, 0, 2)
                 + Strokes{stroke(Qt::Key_Z, Qt::ControlModifier), stroke(Qt::Key_Z, Qt::ControlModifier)}
        << QString();
    QTest::newRow("undo typing over a selection brings it back")
        << 70 << keys(Qt::Key_Left, shift, 5) + Strokes{0, 0, stroke(Qt::Key_Z, Qt::ControlModifier), 0} << u"mnx"_s;
    QTest::newRow("cut, move, paste, undo the paste")
        << 80 << keys(Qt::Key_Left, shift, 6) + Strokes{stroke(Qt::Key_X, Qt::ControlModifier)}
                 + keys(Qt::Key_Left, ctrl, 3)
                 + Strokes{stroke(Qt::Key_V, Qt::ControlModifier), stroke(Qt::Key_V, Qt::ControlModifier),
                           stroke(Qt::Key_Z, Qt::ControlModifier)}
        << QString();
    QTest::newRow("copy, paste over a selection")
        << 90 << keys(Qt::Key_Right, shift, 4) + Strokes{stroke(Qt::Key_C, Qt::ControlModifier), stroke(Qt::Key_End),
                                                         stroke(Qt::Key_Left, Qt::ShiftModifier),
                                                         stroke(Qt::Key_V, Qt::ControlModifier)}
        << QString();
    QTest::newRow("Ctrl+Up, Escape and F2 change nothing")
        << 95 << Strokes{stroke(Qt::Key_Up, Qt::ControlModifier), stroke(Qt::Key_Escape), stroke(Qt::Key_F2)} << QString();
}

void TestLongLineEdit::sameAsLineEdit()
{
    QFETCH(int, start);
    QFETCH(Strokes, strokes);
    QFETCH(QString, typed);

    Pair boxes;
    boxes.setText(sampleText(), start);
    QGuiApplication::clipboard()->setText(u"clip"_s);
    QString clipboardSeen;
    qsizetype next = 0;
    for (int key : strokes) {
        QString after;
        if (key == 0) {
            // Typed as a keyboard layout does, whatever the character.
            const QString one = typed.mid(next++, 1);
            after = u"typing \"%1\""_s.arg(one);
            QTest::sendKeyEvent(QTest::Click, &boxes.line, Qt::Key_unknown, one, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, &boxes.longBox, Qt::Key_unknown, one, Qt::NoModifier);
        } else {
            const QKeyCombination combination = QKeyCombination::fromCombined(key);
            after = QKeySequence(combination).toString();
            // The clipboard as each box leaves it, and put back in between.
            const QString before = QGuiApplication::clipboard()->text();
            QTest::keyClick(&boxes.line, combination.key(), combination.keyboardModifiers());
            clipboardSeen = QGuiApplication::clipboard()->text();
            QGuiApplication::clipboard()->setText(before);
            QTest::keyClick(&boxes.longBox, combination.key(), combination.keyboardModifiers());
            QCOMPARE(QGuiApplication::clipboard()->text(), clipboardSeen);
        }
        const QString differs = difference(boxes.line, boxes.longBox, after);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }
    // A double click at the cursor selects the same word, a third click everything.
    QPoint where;
    for (QWidget *box : {static_cast<QWidget *>(&boxes.line), static_cast<QWidget *>(&boxes.longBox)}) {
        where = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QTest::mouseDClick(box, Qt::LeftButton, {}, where);
    }
    QCOMPARE(boxes.longBox.selectedText(), boxes.line.selectedText());
    QTest::mouseClick(&boxes.longBox, Qt::LeftButton, {}, where);
    QCOMPARE(boxes.longBox.selectedText(), boxes.longBox.text());
}

void TestLongLineEdit::sameForScreenReaders_data()
{
    QTest::addColumn<int>("boundary");
    QTest::addColumn<int>("offset"); // -2: the cursor

    const QList<std::pair<QAccessible::TextBoundaryType, const char *>> types = {
        {QAccessible::CharBoundary, "character"}, {QAccessible::WordBoundary, "word"},
        {QAccessible::SentenceBoundary, "sentence"}, {QAccessible::LineBoundary, "line"}};
    for (const auto &[type, name] : types) {
        // Qt's own line edit hangs on a sentence at the text's end (see below).
        for (int offset : {0, 1, 35, 37, 41, 600, 1999, 2459, 2700, -2}) {
            if (type != QAccessible::SentenceBoundary || offset != 2700)
                QTest::addRow("%s at %d", name, offset) << int(type) << offset;
        }
    }
}

void TestLongLineEdit::sameForScreenReaders()
{
    QFETCH(int, boundary);
    QFETCH(int, offset);

    Pair boxes;
    const QString text = sampleText();
    boxes.setText(text, 1234);
    // Both boxes, the long one and Qt's line edit, answer with Qt's rules over the whole
    // text.
    QAccessibleInterface *qt = QAccessible::queryAccessibleInterface(&boxes.line);
    QAccessibleInterface *ours = QAccessible::queryAccessibleInterface(&boxes.longBox);
    QVERIFY(qt && ours && ours->textInterface() && ours->editableTextInterface());
    QCOMPARE(ours->role(), qt->role());
    QCOMPARE(ours->text(QAccessible::Value), text);
    QCOMPARE(ours->state().editable, true);
    // Qt's rules over the whole text: what a screen reader hears from a box with it.
    const TextStretch reference(text, boxes.line.cursorPosition());
    const auto type = QAccessible::TextBoundaryType(boundary);
    for (QAccessibleInterface *box : {qt, ours}) {
        QAccessibleTextInterface *b = box->textInterface();
        QCOMPARE(b->characterCount(), reference.characterCount());
        QCOMPARE(b->cursorPosition(), reference.cursorPosition());
        int startA = 0, endA = 0, startB = 0, endB = 0;
        QCOMPARE(b->textAtOffset(offset, type, &startB, &endB), reference.textAtOffset(offset, type, &startA, &endA));
        QCOMPARE(std::pair(startB, endB), std::pair(startA, endA));
        QCOMPARE(b->textBeforeOffset(offset, type, &startB, &endB),
                 reference.textBeforeOffset(offset, type, &startA, &endA));
        QCOMPARE(std::pair(startB, endB), std::pair(startA, endA));
        QCOMPARE(b->textAfterOffset(offset, type, &startB, &endB),
                 reference.textAfterOffset(offset, type, &startA, &endA));
        QCOMPARE(std::pair(startB, endB), std::pair(startA, endA));
    }
    // At the end of a text that ends in a word or a sentence Qt's own rule never returns
    // (Qt 6.4's line edit froze the program there); both boxes give the last word or
    // sentence (and no character, as Qt's).
    boxes.longBox.setText(u"One. Two words"_s);
    boxes.line.setText(u"One. Two words"_s);
    for (QAccessibleInterface *box : {qt, ours}) {
        int start = 0, end = 0;
        const QString last = box->textInterface()->textAtOffset(14, type, &start, &end);
        if (type != QAccessible::CharBoundary) {
            QVERIFY(!last.isEmpty());
            QCOMPARE(end, 14);
        }
    }
    boxes.longBox.setText(text);
    boxes.line.setText(text);
    // Editing through the interface edits the box.
    ours->editableTextInterface()->insertText(3, u"INS"_s);
    qt->editableTextInterface()->insertText(3, u"INS"_s);
    QCOMPARE(boxes.longBox.text(), boxes.line.text());
}

QTEST_MAIN(TestLongLineEdit)
#include "tst_longlineedit.moc"
