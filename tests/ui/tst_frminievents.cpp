#include "eventswindowtest.h"
#include "frmini.h"
#include "modalscript.h"
#include "sectiontreemodel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
// The events file: member 2 "alpha" holds c, a, b (the reader puts each key on top; c current and
// selected), member 3 "beta" is empty, member 4 "gamma" holds x.
// The root's list holds last, top (last current and selected); section "s" holds k.
const QString rootKeysFile = QStringLiteral(TARNWICK_TEST_DATA "/window-root-keys.ini");

QStringList names(const KeyList *list)
{
    return WindowDriver::names(list);
}

QString flags(const QList<QAction *> &actions)
{
    return WindowDriver::flags(actions);
}
} // namespace

class TestFrmIniEvents : public EventsWindowTest
{
    Q_OBJECT
private slots:
    void clickSortsOnceAndBringsListToFront();
    void keyboardSelectionActsAsClick();
    void treeRightClick_data();
    void treeRightClick();
    void leftAndMiddleReleasesDoNothing();
    void keyRightClick_data();
    void keyRightClick();
    void menuBarKeepsFlagsAfterClickOnRoot();
    void doubleClick_data();
    void doubleClick();
    void rootListRowCommands_data();
    void rootListRowCommands();
    void deleteSectionAfterRealQuestion();
    void copyPathsToRealClipboard();

private:
    QTreeView *tree() const { return m_ui->tree(); }
    QTreeView *keys() const { return m_ui->keys(); }
    QPoint nodeCenter(int treeIndex) const { return m_ui->nodeCenter(treeIndex); }
    QPoint rowCenter(int row) const { return m_ui->rowCenter(row); }
    void clickNode(int treeIndex) const { m_ui->clickNode(treeIndex); }
    void rightClick(QTreeView *view, QPoint pos) const { m_ui->rightClick(view, pos); }
    // Opens the view's context menu by a right-click at pos or by the keys named in how.
    void openMenu(QTreeView *view, const QString &how, QPoint pos) const;
};

void TestFrmIniEvents::clickSortsOnceAndBringsListToFront()
{
    QCOMPARE(names(m_doc->list(2)), QStringList({u"c"_s, u"a"_s, u"b"_s}));
    clickNode(2);
    QCOMPARE(m_doc->selectedNode(), 2);
    QCOMPARE(m_doc->frontList(), 2);
    QVERIFY(m_doc->list(2)->sorted());
    QCOMPARE(names(m_doc->list(2)), QStringList({u"a"_s, u"b"_s, u"c"_s}));
    QCOMPARE(keys()->model()->rowCount(), 3);
    QCOMPARE(keys()->model()->index(0, 0).data().toString(), u"a"_s);

    clickNode(1);
    QCOMPARE(m_doc->frontList(), 0);
    QCOMPARE(keys()->model()->rowCount(), 0);
    QVERIFY(!m_doc->list(4)->sorted());
}

void TestFrmIniEvents::keyboardSelectionActsAsClick()
{
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Down);
    QCOMPARE(m_doc->selectedNode(), 2);
    QCOMPARE(m_doc->frontList(), 2);
    QVERIFY(m_doc->list(2)->sorted());
    QTest::keyClick(tree(), Qt::Key_End);
    QCOMPARE(m_doc->selectedNode(), 4);
    QCOMPARE(m_doc->frontList(), 4);
    QTest::keyClick(tree(), Qt::Key_Home);
    QCOMPARE(m_doc->selectedNode(), 1);
    QCOMPARE(m_doc->frontList(), 0);
}

void TestFrmIniEvents::treeRightClick_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("under"); // the node under the pointer, 0 for empty space
    QTest::addColumn<QString>("how"); // "mouse", or a key that opens the menu at the current node
    QTest::addColumn<QString>("expected"); // New, Delete, Rename, Copy Name, Copy Path
    QTest::newRow("root selected, over root") << 1 << 1 << u"mouse"_s << u"10000"_s;
    QTest::newRow("root selected, empty space") << 1 << 0 << u"mouse"_s << u"10000"_s;
    QTest::newRow("root selected, over a section") << 1 << 3 << u"mouse"_s << u"10000"_s;
    QTest::newRow("section selected, over root") << 3 << 1 << u"mouse"_s << u"11111"_s;
    QTest::newRow("section selected, empty space") << 3 << 0 << u"mouse"_s << u"11111"_s;
    QTest::newRow("section selected, context-menu key") << 3 << 3 << u"Menu"_s << u"11111"_s;
    QTest::newRow("section selected, Shift+F10") << 4 << 4 << u"Shift+F10"_s << u"11111"_s;
    QTest::newRow("root selected, context-menu key") << 1 << 1 << u"Menu"_s << u"10000"_s;
}

void TestFrmIniEvents::openMenu(QTreeView *view, const QString &how, QPoint pos) const
{
    if (how == u"mouse"_s) {
        rightClick(view, pos);
        return;
    }
    view->setFocus();
    QTest::keySequence(view, QKeySequence(how));
    // The menu opens at the current item (the top of the list without one).
    QMenu *menu = view == tree() ? m_window->actions().mnuSection : m_window->actions().mnuKey;
    QRect item = view->visualRect(view->currentIndex());
    item = item.isValid() ? item.adjusted(0, 0, 0, 1) : QRect(0, 0, 1, 1);
    item.moveTopLeft(view->viewport()->mapToGlobal(item.topLeft()));
    QVERIFY2(item.contains(menu->pos()), qPrintable(u"menu at %1,%2"_s.arg(menu->pos().x()).arg(menu->pos().y())));
}

void TestFrmIniEvents::treeRightClick()
{
    QFETCH(int, selected);
    QFETCH(int, under);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    clickNode(selected);
    const QPoint pos = under ? nodeCenter(under) : m_ui->belowNodes();

    openMenu(tree(), how, pos);

    QCOMPARE(m_doc->selectedNode(), selected); // the right button selects nothing
    QMenu *menu = m_window->actions().mnuSection;
    QVERIFY(menu->isVisible());
    QCOMPARE(flags(menu->actions()), expected);
}

void TestFrmIniEvents::leftAndMiddleReleasesDoNothing()
{
    clickNode(3);
    rightClick(tree(), nodeCenter(3));
    m_window->actions().mnuSection->hide();
    clickNode(1); // a left click on the root leaves the flags as they were
    QTest::mouseClick(tree()->viewport(), Qt::MiddleButton, {}, nodeCenter(1));
    QTest::mouseClick(keys()->viewport(), Qt::MiddleButton, {}, QPoint(5, 5));
    QTest::mouseClick(keys()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!m_window->actions().mnuSection->isVisible());
    QVERIFY(!m_window->actions().mnuKey->isVisible());
    QCOMPARE(flags(m_window->actions().mnuSection->actions()), u"11111"_s);
    QCOMPARE(flags(m_window->actions().mnuKey->actions()), u"1000000"_s);
    QCOMPARE(m_doc->selectedNode(), 1);
}

void TestFrmIniEvents::keyRightClick_data()
{
    QTest::addColumn<bool>("rootKeys"); // a file with keys before its first header
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("row");         // the row pressed, -1 for empty space
    QTest::addColumn<bool>("unselect");   // Ctrl+click the current row first
    QTest::addColumn<QString>("how");     // "mouse", or a key that opens the menu at the current row
    QTest::addColumn<QString>("expected"); // New, Change Data, Delete, Rename, 3 copies
    const QString mouse = u"mouse"_s;
    QTest::newRow("root selected") << false << 1 << -1 << false << mouse << u"0000000"_s;
    QTest::newRow("empty list") << false << 3 << -1 << false << mouse << u"1000000"_s;
    QTest::newRow("current row not selected") << false << 2 << -1 << true << mouse << u"1000000"_s;
    QTest::newRow("row pressed") << false << 2 << 1 << true << mouse << u"1111111"_s;
    QTest::newRow("selected current row, empty space") << false << 4 << -1 << false << mouse << u"1111111"_s;
    QTest::newRow("context-menu key, selected row") << false << 2 << -1 << false << u"Menu"_s << u"1111111"_s;
    QTest::newRow("Shift+F10, row not selected") << false << 2 << -1 << true << u"Shift+F10"_s << u"1000000"_s;
    QTest::newRow("context-menu key, empty list") << false << 3 << -1 << false << u"Menu"_s << u"1000000"_s;
    // The root's own rows take the row commands; New stays off.
    QTest::newRow("root's rows, row pressed") << true << 1 << 1 << false << mouse << u"0111111"_s;
    QTest::newRow("root's rows, Shift+F10") << true << 1 << -1 << false << u"Shift+F10"_s << u"0111111"_s;
    QTest::newRow("root's rows, row not selected") << true << 1 << -1 << true << mouse << u"0000000"_s;
}

void TestFrmIniEvents::keyRightClick()
{
    QFETCH(bool, rootKeys);
    QFETCH(int, node);
    QFETCH(int, row);
    QFETCH(bool, unselect);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    if (rootKeys)
        QVERIFY(m_window->openPath(rootKeysFile));
    clickNode(node);
    const int member = IniDocument::memberOfNode(node);
    if (unselect) {
        const qsizetype current = m_doc->list(member)->current();
        QTest::mouseClick(keys()->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(int(current)));
        QVERIFY(!m_doc->list(member)->currentSelected());
    }
    const QPoint pos = row >= 0 ? rowCenter(row) : QPoint(5, keys()->viewport()->height() - 5);

    openMenu(keys(), how, pos);

    QMenu *menu = m_window->actions().mnuKey;
    QVERIFY(menu->isVisible());
    QCOMPARE(flags(menu->actions()), expected);
    if (row >= 0) {
        QCOMPARE(m_doc->list(member)->current(), row);
        QVERIFY(m_doc->list(member)->currentSelected());
        QVERIFY(keys()->selectionModel()->isRowSelected(row, {}));
    }
}

void TestFrmIniEvents::menuBarKeepsFlagsAfterClickOnRoot()
{
    clickNode(2);
    rightClick(keys(), rowCenter(0));
    m_window->actions().mnuKey->hide();
    clickNode(1);
    QCOMPARE(flags(m_window->actions().mnuKey->actions()), u"1111111"_s);
    rightClick(keys(), QPoint(5, 5));
    QCOMPARE(flags(m_window->actions().mnuKey->actions()), u"0000000"_s);
}

void TestFrmIniEvents::doubleClick_data()
{
    QTest::addColumn<bool>("rootKeys"); // a file with keys before its first header
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("row"); // -1: empty space in the list
    QTest::addColumn<QString>("shown"); // the name the value editor shows; empty: none opens
    QTest::addColumn<QStringList>("after"); // the list's names after renaming it "z"
    // The renamed row keeps a sorted list sorted.
    QTest::newRow("row of a section") << false << 2 << 1 << u"b"_s << QStringList{u"a"_s, u"c"_s, u"z"_s};
    QTest::newRow("root selected, its list empty") << false << 1 << -1 << QString() << QStringList();
    QTest::newRow("empty list") << false << 3 << -1 << QString() << QStringList();
    QTest::newRow("row of the root's list") << true << 1 << 1 << u"top"_s << QStringList{u"last"_s, u"z"_s};
}

void TestFrmIniEvents::doubleClick()
{
    QFETCH(bool, rootKeys);
    QFETCH(int, node);
    QFETCH(int, row);
    QFETCH(QString, shown);
    QFETCH(QStringList, after);
    if (rootKeys)
        QVERIFY(m_window->openPath(rootKeysFile));
    clickNode(node);
    QString opened, shownName;
    ModalScript::answerNext([&](QWidget *modal) {
        opened = modal->objectName();
        if (auto *name = modal->findChild<QLineEdit *>(u"txtName"_s)) {
            shownName = name->text();
            name->setText(u"z"_s);
            modal->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
        } else {
            static_cast<QDialog *>(modal)->reject();
        }
    });
    const QPoint pos = row >= 0 ? rowCenter(row) : QPoint(5, keys()->viewport()->height() - 5);
    QTest::mouseClick(keys()->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(keys()->viewport(), Qt::LeftButton, {}, pos);
    if (opened.isEmpty()) // nothing opened: let the waiting answer take another dialog
        QTest::keySequence(m_window.get(), QKeySequence(u"Ctrl+P"_s));
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(opened, shown.isEmpty() ? u"frmProperties"_s : u"frmChangeData"_s);
    QCOMPARE(shownName, shown);
    QCOMPARE(names(m_doc->list(IniDocument::memberOfNode(node))), after);
}

void TestFrmIniEvents::deleteSectionAfterRealQuestion()
{
    clickNode(3);
    rightClick(tree(), nodeCenter(3)); // enables Delete
    m_window->actions().mnuSection->hide();
    QString text;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    ModalScript::answerNext([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        text = box->text();
        defaultButton = box->standardButton(box->defaultButton());
        box->button(QMessageBox::Yes)->click();
    });
    m_window->actions().mnuSectionDelete->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(text, u"你确定要删除项？删除无法恢复 \"beta\""_s);
    QCOMPARE(defaultButton, QMessageBox::Yes);
    QCOMPARE(m_doc->sectionCount(), 2);
    QCOMPARE(m_doc->nodeText(3), u"gamma"_s);
    QCOMPARE(m_doc->selectedNode(), 3);
    QCOMPARE(m_doc->frontList(), 3);
    QCOMPARE(keys()->model()->index(0, 0).data().toString(), u"x"_s);
    auto *model = static_cast<SectionTreeModel *>(tree()->model());
    QVERIFY(tree()->selectionModel()->isSelected(model->indexOfNode(3)));
}

void TestFrmIniEvents::copyPathsToRealClipboard()
{
    clickNode(2);
    rightClick(tree(), nodeCenter(2));
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuSectionCopyPath->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"window-events.ini\\alpha"_s);

    rightClick(keys(), rowCenter(2));
    m_window->actions().mnuKey->hide();
    m_window->actions().mnuKeyCopyPath->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"window-events.ini\\alpha\\c"_s);
    m_window->actions().mnuKeyCopyValue->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"3"_s);
}

void TestFrmIniEvents::rootListRowCommands_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("after"); // the root's list
    QTest::addColumn<QString>("clipboard");
    const QStringList unchanged = {u"last"_s, u"top"_s};
    QTest::newRow("Delete") << u"mnuKeyDelete"_s << QStringList{u"last"_s} << u"before"_s;
    QTest::newRow("Rename") << u"mnuKeyRename"_s << QStringList{u"last"_s, u"z"_s} << u"before"_s;
    QTest::newRow("Copy Name") << u"mnuKeyCopyName"_s << unchanged << u"top"_s;
    QTest::newRow("Copy Path") << u"mnuKeyCopyPath"_s << unchanged << u"window-root-keys.ini\\top"_s;
    QTest::newRow("Copy Value") << u"mnuKeyCopyValue"_s << unchanged << u"1"_s;
}

// Keys before the first header, through the key menu opened on one of them.
void TestFrmIniEvents::rootListRowCommands()
{
    QFETCH(QString, item);
    QFETCH(QStringList, after);
    QFETCH(QString, clipboard);
    QVERIFY(m_window->openPath(rootKeysFile));
    clickNode(1);
    rightClick(keys(), rowCenter(1)); // top
    m_ui->closeMenus();
    QGuiApplication::clipboard()->setText(u"before"_s);
    if (item == u"mnuKeyDelete"_s) {
        ModalScript::answerNext([](QWidget *modal) {
            qobject_cast<QMessageBox *>(modal)->button(QMessageBox::Yes)->click();
        });
    }
    m_window->findChild<QAction *>(item)->trigger();
    if (QLineEdit *editor = m_ui->editor(keys())) {
        editor->setText(u"z"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!m_ui->editor(keys()));
    }
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(names(m_doc->list(0)), after);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
}

QTEST_MAIN(TestFrmIniEvents)
#include "tst_frminievents.moc"
