#include "eventswindowtest.h"
#include "frmini.h"
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
// what the user typed is what the document gets, whatever comes next.
// The events file: member 2 "alpha" holds c, a, b (c current and selected), member 3
// "beta" is empty, member 4 "gamma" holds x.

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
    void longNamesSurviveInPlaceEdits();

private:
    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }
    // Right-clicks at pos (which sets the menu's flags), closes the menu and triggers item.
    void viaContextMenu(QTreeView *view, QPoint pos, QAction *item) const;
    // Starts the edit named ("section rename", "key rename", "key new") on alpha.
    QLineEdit *startEdit(const QString &what) const;
};

void TestFrmIniEdits::viaContextMenu(QTreeView *view, QPoint pos, QAction *item) const
{
    m_ui->rightClick(view, pos);
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuKey->hide();
    item->trigger();
}

QLineEdit *TestFrmIniEdits::startEdit(const QString &what) const
{
    m_ui->clickNode(2); // alpha, sorted: a, b, c
    if (what == u"section rename"_s)
        viaContextMenu(m_ui->tree(), m_ui->nodeCenter(2), m_window->actions().mnuSectionRename);
    else if (what == u"key rename"_s)
        viaContextMenu(m_ui->keys(), m_ui->rowCenter(0), m_window->actions().mnuKeyRename);
    else
        m_window->actions().mnuKeyNew->trigger();
    QLineEdit *editor = m_ui->editor(what.startsWith(u"section"_s) ? m_ui->tree() : m_ui->keys());
    if (editor)
        editor->selectAll();
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
}

void TestFrmIniEdits::editCommittedBeforeCommand()
{
    QFETCH(QString, edit);
    QFETCH(QString, then);
    QFETCH(QString, outline);
    QFETCH(QString, seen);
    QLineEdit *editor = startEdit(edit);
    QVERIFY(editor);
    QTest::keyClicks(editor, u"foo"_s);
    QGuiApplication::clipboard()->setText(u"before"_s);
    QString shownName;
    if (then == u"mnuKeyChangeData"_s) {
        ModalScript::answerNext([&shownName](QWidget *modal) {
            shownName = modal->findChild<QLineEdit *>(u"txtName"_s)->text();
            modal->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
        });
    }

    if (then == u"Escape"_s)
        QTest::keyClick(editor, Qt::Key_Escape);
    else if (then == u"click root"_s)
        m_ui->clickNode(1);
    else if (then == u"Ctrl+I"_s)
        QTest::keyClick(editor, Qt::Key_I, Qt::ControlModifier);
    else
        action(then)->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    // A command that starts an edit of its own leaves it open: cancel it.
    for (QTreeView *view : {m_ui->tree(), m_ui->keys()}) {
        if (QLineEdit *open = m_ui->editor(view))
            QTest::keyClick(open, Qt::Key_Escape);
    }
    QTRY_VERIFY(!m_ui->editor(m_ui->tree()) && !m_ui->editor(m_ui->keys()));

    QCOMPARE(m_ui->outline(), outline);
    if (then == u"mnuKeyChangeData"_s)
        QCOMPARE(shownName, seen);
    else if (!seen.isEmpty())
        QCOMPARE(QGuiApplication::clipboard()->text(), seen);
}

void TestFrmIniEdits::pastedTextKeepsFirstLine_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // each box has its cursor after the first character
    const QStringList boxes = {u"section name"_s, u"key name"_s, u"txtName"_s, u"txtData"_s};
    const QStringList ways = {u"Ctrl+V"_s, u"Shift+Insert"_s, u"context menu"_s, u"drop"_s, u"input method"_s};
    const QStringList results = {u"aXlpha"_s, u"bX"_s, u"bX"_s, u"tXwo"_s};
    for (qsizetype b = 0; b < boxes.size(); ++b) {
        for (const QString &how : ways) {
            QTest::addRow("%s, %s, CR LF", qPrintable(boxes[b]), qPrintable(how))
                << boxes[b] << how << u"X\r\nY"_s << results[b];
        }
    }
    QTest::newRow("section name, Ctrl+V, LF") << boxes[0] << ways[0] << u"X\nY\nZ"_s << results[0];
    QTest::newRow("key name, Ctrl+V, CR") << boxes[1] << ways[0] << u"X\rY"_s << results[1];
    QTest::newRow("txtData, Ctrl+V, break first") << boxes[3] << ways[0] << u"\nY"_s << u"two"_s;
    QTest::newRow("txtData, Ctrl+V, no break") << boxes[3] << ways[0] << u"X Y"_s << u"tX Ywo"_s;
}

namespace {
void paste(QLineEdit *box, const QString &how, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->deselect();
    box->setCursorPosition(1);
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
    m_ui->clickNode(2); // alpha: a, b, c
    m_doc->setRowData(2, 1, u"two"_s); // b, as text data

    if (box == u"section name"_s || box == u"key name"_s) {
        const bool section = box == u"section name"_s;
        QTreeView *view = section ? m_ui->tree() : m_ui->keys();
        viaContextMenu(view, section ? m_ui->nodeCenter(2) : m_ui->rowCenter(1),
                       section ? m_window->actions().mnuSectionRename : m_window->actions().mnuKeyRename);
        QLineEdit *editor = m_ui->editor(view);
        QVERIFY(editor);
        paste(editor, how, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!m_ui->editor(view));
    } else {
        ModalScript::answerNext([&](QWidget *modal) {
            paste(modal->findChild<QLineEdit *>(box), how, text);
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
                 qPrintable(WindowDriver::names(m_doc->list(2)).join(u',')));
}

// A line edit stops at 32,767 characters unless told otherwise; confirming an edit of
// a longer name unchanged must keep it whole.
void TestFrmIniEdits::longNamesSurviveInPlaceEdits()
{
    const QString longName = QString(40000, u'n') + u"end"_s;
    m_doc->setNodeText(2, longName);
    m_ui->clickNode(2);
    m_ui->rightClick(m_ui->tree(), m_ui->nodeCenter(2)); // enables Rename
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuSectionRename->trigger();
    auto *editor = m_ui->tree()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), longName);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!m_ui->tree()->findChild<QLineEdit *>());
    QCOMPARE(m_doc->nodeText(2), longName);

    m_ui->clickNode(2); // the list in front
    m_doc->setRowName(2, 0, longName);
    const qsizetype row = m_doc->list(2)->count() - 1; // sorted: the n... name goes last
    QCOMPARE(m_doc->list(2)->name(row), longName);
    m_ui->rightClick(m_ui->keys(), m_ui->rowCenter(int(row))); // makes it the current row, enables Rename
    m_window->actions().mnuKey->hide();
    m_window->actions().mnuKeyRename->trigger();
    editor = m_ui->keys()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), longName);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!m_ui->keys()->findChild<QLineEdit *>());
    QCOMPARE(m_doc->list(2)->name(row), longName);
}

QTEST_MAIN(TestFrmIniEdits)
#include "tst_frminiedits.moc"
