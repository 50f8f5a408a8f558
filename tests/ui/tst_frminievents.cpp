#include "frmini.h"
#include "modalanswer.h"
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
// Member 2 "alpha" holds c, a, b (the reader puts each key on top; c current and
// selected), member 3 "beta" is empty, member 4 "gamma" holds x.
const QString eventsFile = QStringLiteral(TARNWICK_TEST_DATA "/window-events.ini");

QStringList names(const KeyList *list)
{
    QStringList out;
    for (const KeyRow &row : list->rows())
        out << row.name();
    return out;
}

QString flags(const QList<QAction *> &actions)
{
    QString out;
    for (QAction *a : actions) {
        if (!a->isSeparator())
            out += a->isEnabled() ? u'1' : u'0';
    }
    return out;
}
} // namespace

class TestFrmIniEvents : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clickSortsOnceAndBringsListToFront();
    void keyboardSelectionActsAsClick();
    void treeRightClick_data();
    void treeRightClick();
    void leftAndMiddleReleasesDoNothing();
    void keyRightClick_data();
    void keyRightClick();
    void menuBarKeepsFlagsAfterClickOnRoot();
    void doubleClickEditsThatRow();
    void newSectionAndNewKeyEditInPlace();
    void longNamesSurviveInPlaceEdits();
    void deleteSectionAfterRealQuestion();
    void copyPathsToRealClipboard();

private:
    QTreeView *tree() const { return m_window->findChild<QTreeView *>(u"tvwSections"_s); }
    QTreeView *keys() const { return m_window->findChild<QTreeView *>(u"lstKeys"_s); }
    QPoint nodeCenter(int treeIndex) const
    {
        auto *model = static_cast<SectionTreeModel *>(tree()->model());
        return tree()->visualRect(model->indexOfNode(treeIndex)).center();
    }
    QPoint rowCenter(int row) const { return keys()->visualRect(keys()->model()->index(row, 0)).center(); }
    void clickNode(int treeIndex) const
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, nodeCenter(treeIndex));
    }
    void rightClick(QTreeView *view, QPoint pos) const
    {
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, pos);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, pos);
    }

    std::unique_ptr<frmINI> m_window;
    IniDocument *m_doc = nullptr;
};

void TestFrmIniEvents::init()
{
    m_window = std::make_unique<frmINI>();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QVERIFY(m_window->openPath(eventsFile));
    m_doc = &m_window->document();
    QCOMPARE(m_doc->selectedNode(), 1);
}

void TestFrmIniEvents::cleanup()
{
    for (QMenu *menu : {m_window->actions().mnuSection, m_window->actions().mnuKey})
        menu->hide();
    QVERIFY(allModalsAnswered());
    m_window.reset();
}

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
    QTest::addColumn<QString>("expected"); // New, Delete, Rename, Copy Name, Copy Path
    QTest::newRow("root selected, over root") << 1 << 1 << u"10000"_s;
    QTest::newRow("root selected, empty space") << 1 << 0 << u"10000"_s;
    QTest::newRow("root selected, over a section") << 1 << 3 << u"10000"_s;
    QTest::newRow("section selected, over root") << 3 << 1 << u"11111"_s;
    QTest::newRow("section selected, empty space") << 3 << 0 << u"11111"_s;
}

void TestFrmIniEvents::treeRightClick()
{
    QFETCH(int, selected);
    QFETCH(int, under);
    QFETCH(QString, expected);
    clickNode(selected);
    const QPoint pos = under ? nodeCenter(under) : QPoint(5, tree()->viewport()->height() - 5);

    rightClick(tree(), pos);

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
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("row");         // the row pressed, -1 for empty space
    QTest::addColumn<bool>("unselect");   // Ctrl+click the current row first
    QTest::addColumn<QString>("expected"); // New, Change Data, Delete, Rename, 3 copies
    QTest::newRow("root selected") << 1 << -1 << false << u"0000000"_s;
    QTest::newRow("empty list") << 3 << -1 << false << u"1000000"_s;
    QTest::newRow("current row not selected") << 2 << -1 << true << u"1000000"_s;
    QTest::newRow("row pressed") << 2 << 1 << true << u"1111111"_s;
    QTest::newRow("selected current row, empty space") << 4 << -1 << false << u"1111111"_s;
}

void TestFrmIniEvents::keyRightClick()
{
    QFETCH(int, node);
    QFETCH(int, row);
    QFETCH(bool, unselect);
    QFETCH(QString, expected);
    clickNode(node);
    const int member = IniDocument::memberOfNode(node);
    if (unselect) {
        const qsizetype current = m_doc->list(member)->current();
        QTest::mouseClick(keys()->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(int(current)));
        QVERIFY(!m_doc->list(member)->currentSelected());
    }
    const QPoint pos = row >= 0 ? rowCenter(row) : QPoint(5, keys()->viewport()->height() - 5);

    rightClick(keys(), pos);

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

void TestFrmIniEvents::doubleClickEditsThatRow()
{
    clickNode(2); // a, b, c
    QString shownName;
    answerNextModal([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), u"frmChangeData"_s);
        auto *name = modal->findChild<QLineEdit *>(u"txtName"_s);
        shownName = name->text();
        name->setText(u"z"_s);
        modal->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
    });
    QTest::mouseClick(keys()->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QTest::mouseDClick(keys()->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QVERIFY(allModalsAnswered());
    QCOMPARE(shownName, u"b"_s);
    // The renamed row keeps the sorted list sorted.
    QCOMPARE(names(m_doc->list(2)), QStringList({u"a"_s, u"c"_s, u"z"_s}));
}

void TestFrmIniEvents::newSectionAndNewKeyEditInPlace()
{
    m_window->actions().mnuSectionNew->trigger();
    QCOMPARE(m_doc->selectedNode(), 5);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor && tree()->isAncestorOf(editor));
    QCOMPARE(editor->text(), u"新建项"_s);
    editor->selectAll();
    QTest::keyClicks(editor, u"delta"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_doc->nodeText(5), u"delta"_s); // the delegate commits on its next turn

    m_window->actions().mnuKeyNew->trigger();
    editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor && keys()->isAncestorOf(editor));
    editor->setText(u"名字"_s); // QTest types Latin-1 only
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(names(m_doc->list(5)), QStringList{u"名字"_s});
}

// A line edit stops at 32,767 characters unless told otherwise; confirming an edit of
// a longer name unchanged must keep it whole.
void TestFrmIniEvents::longNamesSurviveInPlaceEdits()
{
    const QString longName = QString(40000, u'n') + u"end"_s;
    m_doc->setNodeText(2, longName);
    clickNode(2);
    rightClick(tree(), nodeCenter(2)); // enables Rename
    m_window->actions().mnuSection->hide();
    m_window->actions().mnuSectionRename->trigger();
    auto *editor = tree()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), longName);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!tree()->findChild<QLineEdit *>());
    QCOMPARE(m_doc->nodeText(2), longName);

    clickNode(2); // the list in front
    m_doc->setRowName(2, 0, longName);
    const qsizetype row = m_doc->list(2)->count() - 1; // sorted: the n... name goes last
    QCOMPARE(m_doc->list(2)->name(row), longName);
    rightClick(keys(), rowCenter(int(row))); // makes it the current row, enables Rename
    m_window->actions().mnuKey->hide();
    m_window->actions().mnuKeyRename->trigger();
    editor = keys()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), longName);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!keys()->findChild<QLineEdit *>());
    QCOMPARE(m_doc->list(2)->name(row), longName);
}

void TestFrmIniEvents::deleteSectionAfterRealQuestion()
{
    clickNode(3);
    rightClick(tree(), nodeCenter(3)); // enables Delete
    m_window->actions().mnuSection->hide();
    QString text;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    answerNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        text = box->text();
        defaultButton = box->standardButton(box->defaultButton());
        box->button(QMessageBox::Yes)->click();
    });
    m_window->actions().mnuSectionDelete->trigger();
    QVERIFY(allModalsAnswered());
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

QTEST_MAIN(TestFrmIniEvents)
#include "tst_frminievents.moc"
