#include "eventswindowtest.h"
#include "frmini.h"
#include "modalscript.h"
#include "sectiontreemodel.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

// However the tree's highlight moves, the document's selected node and the list in
// front move with it, checked after every single event.
// The events file: member 2 "alpha" holds c, a, b, member 3 "beta" is empty, member 4
// "gamma" holds x.

class TestFrmIniSelection : public EventsWindowTest
{
    Q_OBJECT
private slots:
    void selectionFollowsEveryChange_data();
    void selectionFollowsEveryChange();

private:
    void play(const QString &script);
};

void TestFrmIniSelection::selectionFollowsEveryChange_data()
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
    // The click that gives the tree the focus lands where aimed, however long the tree.
    QString longer = asRead;
    for (int n = 0; n < 40; ++n)
        longer += u"|新建项:"_s;
    QTest::newRow("click on the root of a long tree from the key list")
        << u"new 40, click-keys, click 1"_s << 1 << longer;
    QTest::newRow("double click on the root closes it") << u"click 3, double-click 1"_s << 1 << asRead;
    // Then a key command works on the list the user sees.
    QTest::newRow("drag, then delete the row shown")
        << u"click 2, press 4, move 0, release 0, delete row 0"_s << 4 << u"alpha:a,b,c|beta:|gamma:"_s;
}

// Plays a comma-separated script of real input on the tree: click N, double-click N,
// ctrl-click N, press N, move N, release N (N = 0: empty space), new N (sections, each
// named by Escape), click-keys (on the key list's empty space), ctrl-space, rename
// (starts the name edit and types "renamed"), tab, backtab, escape (in that edit),
// current N (from code), delete row R (right-click on row R, Delete, Yes).
void TestFrmIniSelection::play(const QString &script)
{
    QWidget *viewport = m_ui->tree()->viewport();
    const auto at = [this](const QString &node) {
        return node == u"0"_s ? m_ui->belowNodes() : m_ui->nodeCenter(node.toInt());
    };
    for (const QString &step : script.split(u", "_s)) {
        const QStringList w = step.split(u' ');
        if (w[0] == u"click"_s)
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"new"_s) {
            for (int n = w[1].toInt(); n > 0; --n) {
                m_window->actions().mnuSectionNew->trigger();
                QTest::keyClick(m_ui->editor(m_ui->tree()), Qt::Key_Escape);
            }
            QTRY_VERIFY(!m_ui->editor(m_ui->tree()));
        } else if (w[0] == u"click-keys"_s)
            QTest::mouseClick(m_ui->keys()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        else if (w[0] == u"double-click"_s) {
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w[1]));
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, at(w[1]));
        } else if (w[0] == u"ctrl-click"_s)
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, at(w[1]));
        else if (w[0] == u"press"_s)
            QTest::mousePress(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"move"_s)
            QTest::mouseMove(viewport, at(w[1]));
        else if (w[0] == u"release"_s)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(w[1]));
        else if (w[0] == u"ctrl-space"_s)
            QTest::keyClick(m_ui->tree(), Qt::Key_Space, Qt::ControlModifier);
        else if (w[0] == u"current"_s)
            m_ui->tree()->setCurrentIndex(static_cast<SectionTreeModel *>(m_ui->tree()->model())->indexOfNode(w[1].toInt()));
        else if (w[0] == u"rename"_s) {
            m_ui->rightClick(m_ui->tree(), m_ui->belowNodes());
            m_window->actions().mnuSection->hide();
            m_window->actions().mnuSectionRename->trigger();
            QLineEdit *editor = m_ui->editor(m_ui->tree());
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, u"renamed"_s);
        } else if (w[0] == u"tab"_s || w[0] == u"backtab"_s || w[0] == u"escape"_s) {
            const Qt::Key key = w[0] == u"tab"_s ? Qt::Key_Tab : w[0] == u"backtab"_s ? Qt::Key_Backtab : Qt::Key_Escape;
            QTest::keyClick(m_ui->editor(m_ui->tree()), key);
            QCoreApplication::processEvents();
        } else if (w[0] == u"delete"_s) {
            m_ui->rightClick(m_ui->keys(), m_ui->rowCenter(w[2].toInt()));
            m_window->actions().mnuKey->hide();
            ModalScript::answerNext([](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                box->button(QMessageBox::Yes)->click();
            });
            m_window->actions().mnuKeyDelete->trigger();
            QCOMPARE(ModalScript::pending(), 0);
        } else {
            QFAIL(qPrintable(u"unknown step "_s + step));
        }
        const QString differs = m_ui->disagreement();
        QVERIFY2(differs.isEmpty(), qPrintable(step + u": "_s + differs));
    }
}

void TestFrmIniSelection::selectionFollowsEveryChange()
{
    QFETCH(QString, script);
    QFETCH(int, selected);
    QFETCH(QString, outline);
    play(script);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_doc->selectedNode(), selected);
    QCOMPARE(m_ui->outline(), outline);
    QCOMPARE(m_doc->rootExpanded(), !script.contains(u"double-click 1"_s));
}

QTEST_MAIN(TestFrmIniSelection)
#include "tst_frminiselection.moc"
