#include "frmini.h"
#include "modalanswer.h"
#include "sectiontreemodel.h"
#include "windowdriver.h"

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
    return WindowDriver::names(list);
}

QString flags(const QList<QAction *> &actions)
{
    return WindowDriver::flags(actions);
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
    void selectionFollowsEveryChange_data();
    void selectionFollowsEveryChange();
    void treeRightClick_data();
    void treeRightClick();
    void leftAndMiddleReleasesDoNothing();
    void keyRightClick_data();
    void keyRightClick();
    void menuBarKeepsFlagsAfterClickOnRoot();
    void doubleClickEditsThatRow();
    void deleteSectionAfterRealQuestion();
    void copyPathsToRealClipboard();

private:
    QTreeView *tree() const { return m_ui->tree(); }
    QTreeView *keys() const { return m_ui->keys(); }
    QPoint nodeCenter(int treeIndex) const { return m_ui->nodeCenter(treeIndex); }
    QPoint rowCenter(int row) const { return m_ui->rowCenter(row); }
    void clickNode(int treeIndex) const { m_ui->clickNode(treeIndex); }
    void rightClick(QTreeView *view, QPoint pos) const { m_ui->rightClick(view, pos); }
    void play(const QString &script);

    std::unique_ptr<frmINI> m_window;
    std::unique_ptr<WindowDriver> m_ui;
    IniDocument *m_doc = nullptr;
};

void TestFrmIniEvents::init()
{
    m_window = WindowDriver::openWindow(eventsFile);
    QVERIFY(m_window);
    m_ui = std::make_unique<WindowDriver>(*m_window);
    m_doc = &m_window->document();
}

void TestFrmIniEvents::cleanup()
{
    m_ui->closeMenus();
    QVERIFY(allModalsAnswered());
    m_ui.reset();
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

void TestFrmIniEvents::selectionFollowsEveryChange_data()
{
    QTest::addColumn<QString>("script"); // see play(); node 0 is empty space below the nodes
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("outline");
    const QString asRead = u"alpha:c,a,b|beta:|gamma:x"_s; // alpha sorts when clicked
    QTest::newRow("press, move down, release below the last node")
        << u"click 3, press 4, move 0, release 0"_s << 4 << asRead;
    QTest::newRow("drag over others, release on empty space")
        << u"click 1, press 2, move 3, move 4, move 0, release 0"_s << 4 << u"alpha:a,b,c|beta:|gamma:x"_s;
    QTest::newRow("drag back, release on another node")
        << u"press 4, move 3, release 2"_s << 3 << asRead;
    QTest::newRow("click on empty space keeps the highlight") << u"click 3, click 0"_s << 3 << asRead;
    QTest::newRow("Ctrl+click on the highlighted node") << u"click 3, ctrl-click 3"_s << 3 << asRead;
    QTest::newRow("Ctrl+click on another node") << u"click 3, ctrl-click 4"_s << 4 << asRead;
    QTest::newRow("Ctrl+Space on the highlighted node") << u"click 3, ctrl-space"_s << 3 << asRead;
    QTest::newRow("Tab out of a section's name edit")
        << u"click 2, rename, tab"_s << 3 << u"renamed:a,b,c|beta:|gamma:x"_s;
    QTest::newRow("Shift+Tab out of a section's name edit")
        << u"click 3, rename, backtab"_s << 2 << u"alpha:a,b,c|renamed:|gamma:x"_s;
    QTest::newRow("Escape in a section's name edit") << u"click 3, rename, escape"_s << 3 << asRead;
    QTest::newRow("current node set from code") << u"click 3, current 4"_s << 4 << asRead;
    // Then a key command works on the list the user sees.
    QTest::newRow("drag, then delete the row shown")
        << u"click 2, press 4, move 0, release 0, delete row 0"_s << 4 << u"alpha:a,b,c|beta:|gamma:"_s;
}

// Plays a comma-separated script of real input on the tree: click N, ctrl-click N,
// press N, move N, release N (N = 0: empty space), ctrl-space, rename (starts the name
// edit and types "renamed"), tab, backtab, escape (in that edit), current N (from code),
// delete row R (right-click on row R, Delete, Yes).
void TestFrmIniEvents::play(const QString &script)
{
    QWidget *viewport = tree()->viewport();
    const auto at = [this](const QString &node) {
        return node == u"0"_s ? m_ui->belowNodes() : nodeCenter(node.toInt());
    };
    for (const QString &step : script.split(u", "_s)) {
        const QStringList w = step.split(u' ');
        if (w[0] == u"click"_s)
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"ctrl-click"_s)
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, at(w[1]));
        else if (w[0] == u"press"_s)
            QTest::mousePress(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"move"_s)
            QTest::mouseMove(viewport, at(w[1]));
        else if (w[0] == u"release"_s)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"ctrl-space"_s)
            QTest::keyClick(tree(), Qt::Key_Space, Qt::ControlModifier);
        else if (w[0] == u"current"_s)
            tree()->setCurrentIndex(static_cast<SectionTreeModel *>(tree()->model())->indexOfNode(w[1].toInt()));
        else if (w[0] == u"rename"_s) {
            rightClick(tree(), m_ui->belowNodes());
            m_window->actions().mnuSection->hide();
            m_window->actions().mnuSectionRename->trigger();
            QLineEdit *editor = m_ui->editor(tree());
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, u"renamed"_s);
        } else if (w[0] == u"tab"_s || w[0] == u"backtab"_s || w[0] == u"escape"_s) {
            const Qt::Key key = w[0] == u"tab"_s ? Qt::Key_Tab : w[0] == u"backtab"_s ? Qt::Key_Backtab : Qt::Key_Escape;
            QTest::keyClick(m_ui->editor(tree()), key);
            QCoreApplication::processEvents();
        } else if (w[0] == u"delete"_s) {
            rightClick(keys(), rowCenter(w[2].toInt()));
            m_window->actions().mnuKey->hide();
            answerNextModal([](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                box->button(QMessageBox::Yes)->click();
            });
            m_window->actions().mnuKeyDelete->trigger();
            QVERIFY(allModalsAnswered());
        } else {
            QFAIL(qPrintable(u"unknown step "_s + step));
        }
        const QString differs = m_ui->disagreement();
        QVERIFY2(differs.isEmpty(), qPrintable(step + u": "_s + differs));
    }
}

void TestFrmIniEvents::selectionFollowsEveryChange()
{
    QFETCH(QString, script);
    QFETCH(int, selected);
    QFETCH(QString, outline);
    play(script);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_doc->selectedNode(), selected);
    QCOMPARE(m_ui->outline(), outline);
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
