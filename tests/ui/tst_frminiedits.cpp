#include "eventswindowtest.h"
#include "frmini.h"
#include "longlineedit.h"
#include "modalscript.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

// The window's in-place name edits and the value editor's boxes, through real input:
// what the user typed is what the document gets, whatever comes next, in Qt's line edit
// and in the long-text editor alike.
// The events file: member 2 "alpha" holds c, a, b (c current and selected), member 3
// "beta" is empty, member 4 "gamma" holds x.

namespace {
// Enough for the long-text editor; in the expected texts of the tables "…" stands for it.
const QString filler = QString(LongLineEdit::minimumLength + 1000, u'n');
QString expand(QString text)
{
    return text.replace(u'…', filler);
}
QString textOf(const QWidget *box)
{
    return box->property("text").toString();
}
// Key strokes as combined key-and-modifier values, so they fit a data column.
using Strokes = QList<int>;
} // namespace

class TestFrmIniEdits : public EventsWindowTest
{
    Q_OBJECT
private slots:
    void newItemsEditInPlace_data();
    void newItemsEditInPlace();
    void editCommittedBeforeCommand_data();
    void editCommittedBeforeCommand();
    void pastedTextKeepsFirstLine_data();
    void pastedTextKeepsFirstLine();
    void longNamesSurviveInPlaceEdits_data();
    void longNamesSurviveInPlaceEdits();

private:
    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }
    // Right-clicks at pos (which sets the menu's flags), closes the menu and triggers item.
    void viaContextMenu(QTreeView *view, QPoint pos, QAction *item) const;
    // Starts the edit named ("section rename", "key rename", "key new") on alpha, its
    // whole text selected; "long section rename" and "long key rename" first make the
    // names "alpha…" and "a…", and put the cursor at the end.
    QWidget *startEdit(const QString &what) const;
};

void TestFrmIniEdits::viaContextMenu(QTreeView *view, QPoint pos, QAction *item) const
{
    m_ui->rightClick(view, pos);
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuKey->hide();
    item->trigger();
}

QWidget *TestFrmIniEdits::startEdit(const QString &what) const
{
    const bool isLong = what.startsWith(u"long "_s);
    if (isLong) {
        m_doc->setNodeText(2, expand(u"alpha…"_s));
        m_doc->setRowName(2, WindowDriver::names(m_doc->list(2)).indexOf(u"a"_s), expand(u"a…"_s));
    }
    m_ui->clickNode(2); // alpha, sorted: a, b, c
    if (what.endsWith(u"section rename"_s))
        viaContextMenu(m_ui->tree(), m_ui->nodeCenter(2), m_window->actions().mnuSectionRename);
    else if (what.endsWith(u"key rename"_s))
        viaContextMenu(m_ui->keys(), m_ui->rowCenter(0), m_window->actions().mnuKeyRename);
    else
        m_window->actions().mnuKeyNew->trigger();
    QWidget *editor = m_ui->anyEditor(what.contains(u"section"_s) ? m_ui->tree() : m_ui->keys());
    if (editor && isLong)
        QTest::keyClick(editor, Qt::Key_End);
    else if (editor)
        QMetaObject::invokeMethod(editor, "selectAll");
    return editor;
}

void TestFrmIniEdits::newItemsEditInPlace_data()
{
    QTest::addColumn<bool>("fileNewFirst");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("typed"); // then Enter; empty: Escape at once
    QTest::addColumn<QString>("outline");
    const QString asRead = u"alpha:c,a,b|beta:|"_s;
    QTest::newRow("new section, name typed") << false << u"section"_s << u"delta"_s << asRead + u"gamma:x|delta:"_s;
    QTest::newRow("new section, Escape") << false << u"section"_s << QString() << asRead + u"gamma:x|新建项:"_s;
    QTest::newRow("new key, name typed") << false << u"key"_s << u"delta"_s << asRead + u"gamma:x,delta"_s;
    QTest::newRow("new key, Escape") << false << u"key"_s << QString() << asRead + u"gamma:x,新建名称"_s;
    // File New leaves the root collapsed; the new section shows under it, expanded.
    QTest::newRow("new section after File New, name typed") << true << u"section"_s << u"delta"_s << u"delta:"_s;
    QTest::newRow("new section after File New, Escape") << true << u"section"_s << QString() << u"新建项:"_s;
}

void TestFrmIniEdits::newItemsEditInPlace()
{
    QFETCH(bool, fileNewFirst);
    QFETCH(QString, item);
    QFETCH(QString, typed);
    QFETCH(QString, outline);
    if (fileNewFirst)
        m_window->actions().mnuFileNew->trigger();
    if (item == u"key"_s)
        m_ui->clickNode(4);
    (item == u"key"_s ? m_window->actions().mnuKeyNew : m_window->actions().mnuSectionNew)->trigger();

    QTreeView *view = item == u"key"_s ? m_ui->keys() : m_ui->tree();
    QLineEdit *editor = m_ui->editor(view);
    QVERIFY(editor);
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(editor->text(), item == u"key"_s ? u"新建名称"_s : u"新建项"_s);
    if (item == u"section"_s) {
        QVERIFY(m_ui->tree()->isExpanded(m_ui->tree()->model()->index(0, 0)));
        QVERIFY(m_doc->rootExpanded());
        QVERIFY(m_ui->tree()->visualRect(m_ui->tree()->currentIndex()).intersects(editor->geometry()));
    }
    if (typed.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_Escape);
    } else {
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QTRY_VERIFY(!m_ui->editor(view)); // the delegate closes on its next turn
    QCOMPARE(m_ui->outline(), outline);
    QVERIFY2(m_ui->disagreement().isEmpty(), qPrintable(m_ui->disagreement()));
}

void TestFrmIniEdits::editCommittedBeforeCommand_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("then"); // a menu item, "Ctrl+I" or "Escape"
    QTest::addColumn<QString>("outline");
    QTest::addColumn<QString>("seen"); // the clipboard, or the value editor's name
    const QString rest = u"|beta:|gamma:x"_s;
    QTest::newRow("key rename, then 新建项")
        << u"key rename"_s << u"mnuSectionNew"_s << u"alpha:b,c,foo|beta:|gamma:x|新建项:"_s << QString();
    QTest::newRow("new key, then 新建项")
        << u"key new"_s << u"mnuSectionNew"_s << u"alpha:a,b,c,foo|beta:|gamma:x|新建项:"_s << QString();
    QTest::newRow("key rename, then Change Data")
        << u"key rename"_s << u"mnuKeyChangeData"_s << u"alpha:b,c,foo"_s + rest << u"foo"_s;
    QTest::newRow("key rename, then Copy Name")
        << u"key rename"_s << u"mnuKeyCopyName"_s << u"alpha:b,c,foo"_s + rest << u"foo"_s;
    QTest::newRow("key rename, then a shortcut") << u"key rename"_s << u"Ctrl+I"_s << u"alpha:b,c,foo"_s + rest << QString();
    QTest::newRow("key rename, then a click on the root")
        << u"key rename"_s << u"click root"_s << u"alpha:b,c,foo"_s + rest << QString();
    QTest::newRow("key rename, then Escape") << u"key rename"_s << u"Escape"_s << u"alpha:a,b,c"_s + rest << QString();
    QTest::newRow("section rename, then Copy Path")
        << u"section rename"_s << u"mnuSectionCopyPath"_s << u"foo:a,b,c"_s + rest << u"window-events.ini\\foo"_s;
    QTest::newRow("section rename, then 新建名称")
        << u"section rename"_s << u"mnuKeyNew"_s << u"foo:a,b,c,新建名称"_s + rest << QString();
    QTest::newRow("section rename, then Escape") << u"section rename"_s << u"Escape"_s << u"alpha:a,b,c"_s + rest << QString();
    QTest::newRow("key rename, then Tab") << u"key rename"_s << u"Tab"_s << u"alpha:b,c,foo"_s + rest << QString();
    // The long-text editor: typed at the end of a long name.
    QTest::newRow("long key rename, then Copy Name")
        << u"long key rename"_s << u"mnuKeyCopyName"_s << u"alpha…:a…foo,b,c"_s + rest << u"a…foo"_s;
    QTest::newRow("long key rename, then Change Data")
        << u"long key rename"_s << u"mnuKeyChangeData"_s << u"alpha…:a…foo,b,c"_s + rest << u"a…foo"_s;
    QTest::newRow("long key rename, then a shortcut")
        << u"long key rename"_s << u"Ctrl+I"_s << u"alpha…:a…foo,b,c"_s + rest << QString();
    QTest::newRow("long key rename, then a click on the root")
        << u"long key rename"_s << u"click root"_s << u"alpha…:a…foo,b,c"_s + rest << QString();
    QTest::newRow("long key rename, then Tab") << u"long key rename"_s << u"Tab"_s << u"alpha…:a…foo,b,c"_s + rest << QString();
    QTest::newRow("long key rename, then Escape")
        << u"long key rename"_s << u"Escape"_s << u"alpha…:a…,b,c"_s + rest << QString();
    QTest::newRow("long section rename, then Copy Path")
        << u"long section rename"_s << u"mnuSectionCopyPath"_s << u"alpha…foo:a…,b,c"_s + rest
        << u"window-events.ini\\alpha…foo"_s;
    QTest::newRow("long section rename, then Tab")
        << u"long section rename"_s << u"Tab"_s << u"alpha…foo:a…,b,c"_s + rest << QString();
    QTest::newRow("long section rename, then Escape")
        << u"long section rename"_s << u"Escape"_s << u"alpha…:a…,b,c"_s + rest << QString();
}

void TestFrmIniEdits::editCommittedBeforeCommand()
{
    QFETCH(QString, edit);
    QFETCH(QString, then);
    QFETCH(QString, outline);
    QFETCH(QString, seen);
    QWidget *editor = startEdit(edit);
    QVERIFY(editor);
    QCOMPARE(qobject_cast<LongLineEdit *>(editor) != nullptr, edit.startsWith(u"long "_s));
    QTest::keyClicks(editor, u"foo"_s);
    QGuiApplication::clipboard()->setText(u"before"_s);
    QString shownName;
    if (then == u"mnuKeyChangeData"_s) {
        ModalScript::answerNext([&shownName](QWidget *modal) {
            shownName = textOf(modal->findChild<QWidget *>(u"txtName"_s));
            modal->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
        });
    }

    if (then == u"Escape"_s)
        QTest::keyClick(editor, Qt::Key_Escape);
    else if (then == u"Tab"_s)
        QTest::keyClick(editor, Qt::Key_Tab); // on to the next item's edit
    else if (then == u"click root"_s)
        m_ui->clickNode(1);
    else if (then == u"Ctrl+I"_s)
        QTest::keyClick(editor, Qt::Key_I, Qt::ControlModifier);
    else
        action(then)->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    // A command or Tab that starts an edit of its own leaves it open: cancel it.
    QCoreApplication::processEvents();
    for (QTreeView *view : {m_ui->tree(), m_ui->keys()}) {
        if (QWidget *open = m_ui->anyEditor(view); open && open != editor)
            QTest::keyClick(open, Qt::Key_Escape);
    }
    QTRY_VERIFY(!m_ui->anyEditor(m_ui->tree()) && !m_ui->anyEditor(m_ui->keys()));

    QCOMPARE(m_ui->outline(), expand(outline));
    if (then == u"mnuKeyChangeData"_s)
        QCOMPARE(shownName, expand(seen));
    else if (!seen.isEmpty())
        QCOMPARE(QGuiApplication::clipboard()->text(), expand(seen));
}

void TestFrmIniEdits::pastedTextKeepsFirstLine_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // each box has its cursor after the first character
    QTest::addColumn<bool>("longText");    // the box's text goes on with a long filler
    const QStringList boxes = {u"section name"_s, u"key name"_s, u"txtName"_s, u"txtData"_s};
    const QStringList ways = {u"Ctrl+V"_s, u"Shift+Insert"_s, u"context menu"_s, u"drop"_s, u"input method"_s};
    const QStringList results = {u"aXlpha"_s, u"bX"_s, u"bX"_s, u"tXwo"_s};
    for (bool longText : {false, true}) {
        for (qsizetype b = 0; b < boxes.size(); ++b) {
            for (const QString &how : ways) {
                QTest::addRow("%s%s, %s, CR LF", longText ? "long " : "", qPrintable(boxes[b]), qPrintable(how))
                    << boxes[b] << how << u"X\r\nY"_s << results[b] << longText;
            }
        }
    }
    QTest::newRow("section name, Ctrl+V, LF") << boxes[0] << ways[0] << u"X\nY\nZ"_s << results[0] << false;
    QTest::newRow("key name, Ctrl+V, CR") << boxes[1] << ways[0] << u"X\rY"_s << results[1] << false;
    QTest::newRow("txtData, Ctrl+V, break first") << boxes[3] << ways[0] << u"\nY"_s << u"two"_s << false;
    QTest::newRow("txtData, Ctrl+V, no break") << boxes[3] << ways[0] << u"X Y"_s << u"tX Ywo"_s << false;
    QTest::newRow("long txtData, Ctrl+V, break first") << boxes[3] << ways[0] << u"\nY"_s << u"two"_s << true;
}

namespace {
// box: Qt's line edit or the long-text editor.
void paste(QWidget *box, const QString &how, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->setProperty("cursorPosition", 1); // which also ends any selection
    if (how == u"Ctrl+V"_s) {
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (how == u"Shift+Insert"_s) {
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (how == u"context menu"_s) {
        const QPoint at = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &event);
        auto *menu = box->findChild<QMenu *>();
        QVERIFY(menu);
        const QString caption = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction *item : menu->actions()) {
            if (item->objectName() == u"edit-paste"_s || item->text().section(u'\t', 0, 0) == caption)
                item->trigger();
        }
        menu->close();
    } else if (how == u"drop"_s) {
        const QPoint at = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &move);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &drop);
    } else {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    }
}
} // namespace

void TestFrmIniEdits::pastedTextKeepsFirstLine()
{
    QFETCH(QString, box);
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, longText);
    const QString rest = longText ? filler : QString();
    expected += rest;
    m_ui->clickNode(2); // alpha: a, b, c
    m_doc->setRowData(2, 1, u"two"_s + rest); // b, as text data
    if (longText) {
        m_doc->setNodeText(2, u"alpha"_s + rest);
        m_doc->setRowName(2, 1, u"b"_s + rest);
    }

    if (box == u"section name"_s || box == u"key name"_s) {
        const bool section = box == u"section name"_s;
        QTreeView *view = section ? m_ui->tree() : m_ui->keys();
        viaContextMenu(view, section ? m_ui->nodeCenter(2) : m_ui->rowCenter(1),
                       section ? m_window->actions().mnuSectionRename : m_window->actions().mnuKeyRename);
        QWidget *editor = m_ui->anyEditor(view);
        QVERIFY(editor);
        paste(editor, how, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!m_ui->anyEditor(view));
    } else {
        ModalScript::answerNext([&](QWidget *modal) {
            paste(modal->findChild<QWidget *>(box), how, text);
            modal->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
        });
        QTest::mouseClick(m_ui->keys()->viewport(), Qt::LeftButton, {}, m_ui->rowCenter(1));
        QTest::mouseDClick(m_ui->keys()->viewport(), Qt::LeftButton, {}, m_ui->rowCenter(1));
        QCOMPARE(ModalScript::pending(), 0);
    }

    if (box == u"section name"_s)
        QCOMPARE(m_doc->nodeText(2), expected);
    else if (box == u"txtData"_s)
        QCOMPARE(m_doc->list(2)->row(1).data(), expected);
    else
        QVERIFY2(WindowDriver::names(m_doc->list(2)).contains(expected),
                 qPrintable(WindowDriver::names(m_doc->list(2)).join(u',').left(200)));
}

void TestFrmIniEdits::longNamesSurviveInPlaceEdits_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<Strokes>("strokes"); // at the end of the name, before Enter
    QTest::addColumn<QString>("added");   // what the name has at its end afterwards
    const int x = QKeyCombination(Qt::Key_X).toCombined();
    const int backspace = QKeyCombination(Qt::Key_Backspace).toCombined();
    const int undo = QKeyCombination(Qt::ControlModifier, Qt::Key_Z).toCombined();
    // Qt's line edit stops at 32,767 characters unless told otherwise.
    QTest::newRow("40,000 characters, unchanged") << 40000 << Strokes{} << QString();
    QTest::newRow("1,000,000 characters, unchanged") << 1000000 << Strokes{} << QString();
    QTest::newRow("1,000,000 characters, typed at the end") << 1000000 << Strokes{x, x} << u"xx"_s;
    QTest::newRow("1,000,000 characters, typed and taken back") << 1000000 << Strokes{x, backspace} << QString();
    QTest::newRow("1,000,000 characters, typed and undone") << 1000000 << Strokes{x, x, undo} << QString();
}

// A name of any length goes through an in-place edit whole: opened with all of it,
// confirmed as it was or as edited.
void TestFrmIniEdits::longNamesSurviveInPlaceEdits()
{
    QFETCH(int, length);
    QFETCH(Strokes, strokes);
    QFETCH(QString, added);
    const QString longName = QString(length - 3, u'n') + u"end"_s;
    const auto edit = [&](QTreeView *view) {
        QWidget *editor = m_ui->anyEditor(view);
        QVERIFY(editor);
        QCOMPARE(qobject_cast<LongLineEdit *>(editor) != nullptr, length >= LongLineEdit::minimumLength);
        QCOMPARE(textOf(editor), longName);
        QCOMPARE(editor->property("selectedText").toString(), longName); // opened all selected
        QTest::keyClick(editor, Qt::Key_End);
        for (int key : strokes) {
            const QKeyCombination combination = QKeyCombination::fromCombined(key);
            QTest::keyClick(editor, combination.key(), combination.keyboardModifiers());
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!m_ui->anyEditor(view));
    };

    m_doc->setNodeText(2, longName);
    m_ui->clickNode(2);
    m_ui->rightClick(m_ui->tree(), m_ui->nodeCenter(2)); // enables Rename
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuSectionRename->trigger();
    edit(m_ui->tree());
    QCOMPARE(m_doc->nodeText(2), longName + added);

    m_ui->clickNode(2); // the list in front
    m_doc->setRowName(2, 0, longName);
    const qsizetype row = m_doc->list(2)->count() - 1; // sorted: the n... name goes last
    QCOMPARE(m_doc->list(2)->name(row), longName);
    m_ui->rightClick(m_ui->keys(), m_ui->rowCenter(int(row))); // makes it the current row, enables Rename
    m_window->actions().mnuKey->hide();
    m_window->actions().mnuKeyRename->trigger();
    edit(m_ui->keys());
    QCOMPARE(m_doc->list(2)->name(row), longName + added);
}

QTEST_MAIN(TestFrmIniEdits)
#include "tst_frminiedits.moc"
