// The section and key steps of RandomUser: each predicts its outcome in the reference
// document from the reference's own state and the menu flags the last right-click left.
#include "randomuser.h"

#include "celltext.h"
#include "frmini.h"
#include "longlineedit.h"
#include "modalscript.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
const QStringList dataPool = {u"123"_s, u"-5"_s, u" 7 "_s, u"1e3"_s, u"True"_s, u"False"_s,
                              u"true"_s, u"C:\\x"_s, u"I:\\data\\f.ini"_s, u"J:\\a"_s, u"c:\\x"_s,
                              u"C:/x"_s, u"C:"_s, u"12ab"_s, u"text"_s, u"中文"_s, u"(Empty)"_s,
                              QString(), u"y]"_s, u"a=b"_s,
                              QString(LongLineEdit::minimumLength + 10, u'v') + u"end"_s};

// 1 Number, 2 Boolean, 3 Text, 4 Path, by the value editor's rules.
int kindOf(const QString &data)
{
    static const QRegularExpression drive(u"^[A-Z]:\\\\"_s);
    if (data == u"True"_s || data == u"False"_s)
        return 2;
    if (drive.match(data).hasMatch())
        return 4;
    bool number = false;
    QLocale().toDouble(data.trimmed(), &number);
    return number ? 1 : 3;
}

const QString sentinel = u"(clipboard before)"_s;
} // namespace

RefList *RandomUser::currentKeyList()
{
    return m_ref.selected >= 1 ? m_ref.list(m_ref.selected == 1 ? 0 : m_ref.selected) : nullptr;
}

void RandomUser::sectionNew()
{
    log(u"Section New"_s);
    trigger(action(u"mnuSectionNew"));
    m_ref.sections.push_back(RefSection{u"新建项"_s, RefList()});
    const int node = m_ref.nodeCount();
    m_ref.front = node;
    m_ref.selected = node;
    m_ref.rootExpanded = true;
    m_ref.statusCount = m_ref.countText();
    finishEdit(tree(), [this, node](const QString &name) { m_ref.sections[size_t(node - 2)].name = name; });
}

void RandomUser::sectionDelete()
{
    if (chance(70))
        treeRightClick(); // through the context menu, which sets the flags first
    const int node = m_ref.selected;
    const bool asks = m_sectionFlags[0] && node >= 2;
    const bool yes = chance(50);
    log(u"Section Delete of node %1, %2"_s.arg(node).arg(asks ? (yes ? u"Yes"_s : u"No"_s) : u"no question"_s));
    const QString text = asks ? u"你确定要删除项？删除无法恢复 \"%1\""_s.arg(m_ref.nodeText(node)) : QString();
    trigger(action(u"mnuSectionDelete"), asks, [this, text, yes](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        expect(box && box->windowTitle() == u"删除项"_s && box->text() == text
                   && box->icon() == QMessageBox::Question
                   && box->defaultButton() == box->button(QMessageBox::Yes),
               u"section delete question differs"_s);
        if (box)
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    if (!asks || !yes)
        return;
    const int last = m_ref.nodeCount();
    m_ref.sections.erase(m_ref.sections.begin() + (node - 2));
    for (size_t i = size_t(node - 2); i < m_ref.sections.size(); ++i)
        m_ref.sections[i].keys.forgetState();
    m_ref.selected = node == last ? 1 : node;
    m_ref.front = node == last ? 0 : node;
    m_ref.statusCount = m_ref.countText();
}

void RandomUser::sectionRename()
{
    if (chance(70))
        treeRightClick(); // through the context menu, which sets the flags first
    const int node = m_ref.selected;
    const bool edits = m_sectionFlags[1] && node >= 1;
    log(u"Section Rename of node %1%2"_s.arg(node).arg(edits ? QString() : u" (nothing)"_s));
    trigger(action(u"mnuSectionRename"));
    if (edits) {
        finishEdit(tree(), [this, node](const QString &name) {
            if (node == 1)
                m_ref.rootText = name;
            else
                m_ref.sections[size_t(node - 2)].name = name;
        });
    }
}

void RandomUser::sectionCopy()
{
    if (chance(70))
        treeRightClick(); // through the context menu, which sets the flags first
    const bool path = chance(50);
    const int node = m_ref.selected;
    const bool copies = m_sectionFlags[path ? 3 : 2] && node >= 1;
    log(u"Section Copy %1 of node %2"_s.arg(path ? u"Path"_s : u"Name"_s).arg(node));
    QGuiApplication::clipboard()->setText(sentinel);
    trigger(action(path ? u"mnuSectionCopyPath" : u"mnuSectionCopyName"));
    const QString want = !copies ? sentinel : path ? m_ref.fullPath(node) : m_ref.nodeText(node);
    expect(QGuiApplication::clipboard()->text() == want,
           u"clipboard holds \"%1\", expected \"%2\""_s.arg(QGuiApplication::clipboard()->text(), want));
}

void RandomUser::clickNode()
{
    // Mostly sections: the root's list seldom holds anything to work on.
    const int node = m_ref.nodeCount() > 1 && chance(85) ? 2 + pick(m_ref.nodeCount() - 1) : 1;
    log(u"Click on node %1"_s.arg(node));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, visibleCenter(tree(), nodeIndex(node)));
    refClick(node);
}

void RandomUser::treeRightClick()
{
    if (chance(20)) {
        menuByKeyboard(tree(), u"the tree"_s);
    } else {
        const int node = pick(m_ref.nodeCount() + 1); // 0: empty space below the nodes
        log(u"Right-click on the tree over node %1"_s.arg(node));
        const QPoint pos = node ? visibleCenter(tree(), nodeIndex(node))
                                : QPoint(5, tree()->viewport()->height() - 2);
        QTest::mousePress(tree()->viewport(), Qt::RightButton, {}, pos);
        QTest::mouseRelease(tree()->viewport(), Qt::RightButton, {}, pos);
    }
    std::fill(std::begin(m_sectionFlags), std::end(m_sectionFlags), m_ref.selected != 1);
    auto *menu = m_window.findChild<QMenu *>(u"mnuSection"_s);
    expect(menu->isVisible(), u"the section menu did not open"_s);
    menu->hide();
    reactivate();
}

void RandomUser::clickRow()
{
    RefList &list = *m_ref.list(m_ref.front);
    if (list.rows.empty())
        return log(u"Click on a row: none"_s);
    const int row = pick(int(list.rows.size()));
    const bool ctrl = chance(25);
    log(u"%1lick on row %2"_s.arg(ctrl ? u"Ctrl+c"_s : u"C"_s).arg(row));
    QTest::mouseClick(keys()->viewport(), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                      visibleCenter(keys(), keys()->model()->index(row, 0)));
    // Ctrl takes the selection from a selected row and gives it to any other.
    list.setCurrent(row, !(ctrl && list.current() == row && list.currentSelected));
}

void RandomUser::keyRightClick()
{
    RefList &list = *m_ref.list(m_ref.front);
    if (chance(20)) {
        menuByKeyboard(keys(), u"the key list"_s); // at the current row, which stays
    } else {
        const int row = list.rows.empty() || chance(25) ? -1 : pick(int(list.rows.size()));
        const QPoint pos = row >= 0 ? visibleCenter(keys(), keys()->model()->index(row, 0))
                                    : QPoint(5, keys()->viewport()->height() - 2);
        const QModelIndex under = keys()->indexAt(pos);
        log(u"Right-click on the key list over row %1"_s.arg(under.isValid() ? under.row() : -1));
        QTest::mousePress(keys()->viewport(), Qt::RightButton, {}, pos);
        QTest::mouseRelease(keys()->viewport(), Qt::RightButton, {}, pos);
        if (under.isValid())
            list.setCurrent(under.row(), true);
    }
    // The root's own rows take the row commands too; New is for sections only.
    const bool root = m_ref.selected == 1;
    const bool rows = !list.rows.empty() && list.current() >= 0 && list.currentSelected;
    m_keyFlags[0] = !root;
    std::fill(m_keyFlags + 1, m_keyFlags + 7, rows);
    auto *menu = m_window.findChild<QMenu *>(u"mnuKey"_s);
    expect(menu->isVisible(), u"the key menu did not open"_s);
    menu->hide();
    reactivate();
}

void RandomUser::keyNew()
{
    if (chance(70)) {
        if (chance(50))
            clickNode(); // a user picks a section, then works on its keys
        keyRightClick(); // through the context menu, which sets the flags first
    }
    // Keys are added to sections only.
    RefList *list = m_keyFlags[0] && m_ref.selected >= 2 ? currentKeyList() : nullptr;
    log(u"Key New%1"_s.arg(list ? QString() : u" (nothing)"_s));
    trigger(action(u"mnuKeyNew"));
    if (!list)
        return;
    list->sorted = false;
    const qsizetype row = list->add(RefDocument::newRow(u"新建名称"_s, QString()));
    list->setCurrent(row, true);
    m_ref.front = m_ref.selected;
    finishEdit(keys(), [list, row](const QString &name) { list->rename(row, name); });
}

void RandomUser::keyDelete()
{
    if (chance(70)) {
        if (chance(50))
            clickNode(); // a user picks a section, then works on its keys
        keyRightClick(); // through the context menu, which sets the flags first
    }
    RefList *list = m_keyFlags[2] ? currentKeyList() : nullptr;
    const qsizetype row = list ? list->current() : -1;
    const bool yes = chance(50);
    log(u"Key Delete of row %1, %2"_s.arg(row).arg(row < 0 ? u"no question"_s : yes ? u"Yes"_s : u"No"_s));
    trigger(action(u"mnuKeyDelete"), row >= 0, [this, yes](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        expect(box && box->windowTitle() == u"Tarnwick"_s
                   && box->text() == u"你确定要删除名称及数值？删除无法恢复"_s
                   && box->icon() == QMessageBox::NoIcon
                   && box->defaultButton() == box->button(QMessageBox::Yes),
               u"key delete question differs"_s);
        if (box)
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    if (row >= 0 && yes)
        list->remove(row);
}

void RandomUser::keyRename()
{
    if (chance(70)) {
        if (chance(50))
            clickNode(); // a user picks a section, then works on its keys
        keyRightClick(); // through the context menu, which sets the flags first
    }
    RefList *list = m_keyFlags[3] ? currentKeyList() : nullptr;
    const qsizetype row = list ? list->current() : -1;
    log(u"Key Rename of row %1"_s.arg(row));
    trigger(action(u"mnuKeyRename"));
    if (row >= 0)
        finishEdit(keys(), [list, row](const QString &name) { list->rename(row, name); });
}

void RandomUser::keyCopy()
{
    if (chance(70)) {
        if (chance(50))
            clickNode(); // a user picks a section, then works on its keys
        keyRightClick(); // through the context menu, which sets the flags first
    }
    const int which = pick(3); // name, path, value
    RefList *list = m_keyFlags[4 + which] ? currentKeyList() : nullptr;
    const qsizetype row = list ? list->current() : -1;
    log(u"Key Copy %1 of row %2"_s.arg(which).arg(row));
    QGuiApplication::clipboard()->setText(sentinel);
    const char16_t *items[] = {u"mnuKeyCopyName", u"mnuKeyCopyPath", u"mnuKeyCopyValue"};
    trigger(action(items[which]));
    QString want = sentinel;
    if (row >= 0) {
        const RefRow &key = list->rows[size_t(row)];
        want = which == 0 ? key.name : which == 1 ? m_ref.fullPath(m_ref.selected) + u'\\' + key.name : key.data;
    }
    expect(QGuiApplication::clipboard()->text() == want,
           u"clipboard holds \"%1\", expected \"%2\""_s.arg(QGuiApplication::clipboard()->text(), want));
}

void RandomUser::changeData()
{
    RefList &front = *m_ref.list(m_ref.front);
    const bool byDoubleClick = !front.rows.empty() && chance(50);
    const int clicked = byDoubleClick ? pick(int(front.rows.size())) : -1;
    if (byDoubleClick) {
        log(u"Double click on row %1"_s.arg(clicked));
        QTest::mouseClick(keys()->viewport(), Qt::LeftButton, {},
                          visibleCenter(keys(), keys()->model()->index(clicked, 0)));
        front.setCurrent(clicked, true);
    } else {
        log(u"Key Change Data"_s);
    }
    RefList *list = byDoubleClick || m_keyFlags[1] ? currentKeyList() : nullptr;
    const qsizetype row = list ? list->current() : -1;
    const RefRow key = row >= 0 ? list->rows[size_t(row)] : RefRow();
    const int kind = kindOf(key.data);
    const bool ok = chance(70);
    const bool browse = kind == 4 && chance(50);
    const int closeBy = pick(2); // Cancel button or close box
    QString name = chance(50) ? any({u"a"_s, u"B"_s, u"键"_s, u"dup"_s, QString()}) : key.name;
    QString data = key.data;
    auto answer = [&](QWidget *modal) {
        // Qt's line edits, or the long-text editor for a long text: both have the
        // property text and the slot selectAll.
        auto *txtName = modal->findChild<QWidget *>(u"txtName"_s);
        auto *txtData = modal->findChild<QWidget *>(u"txtData"_s);
        const auto textOf = [](const QWidget *box) { return box->property("text").toString(); };
        auto *cmb = modal->findChild<QComboBox *>(u"cmbBoolean"_s);
        auto *browseButton = modal->findChild<QPushButton *>(u"cmdBrowse"_s);
        expect(modal->objectName() == u"frmChangeData"_s && textOf(txtName) == key.name
                   && textOf(txtData) == key.data && txtData->isVisibleTo(modal) == (kind != 2)
                   && cmb->isVisibleTo(modal) == (kind == 2) && browseButton->isVisibleTo(modal) == (kind == 4)
                   && (kind != 2 || cmb->currentText() == (key.data == u"True"_s ? u"True"_s : u"False"_s)),
               u"value editor for \"%1\" (kind %2) shows otherwise"_s.arg(key.data).arg(kind));
        if (browse) {
            log(u"  browse cancelled"_s);
            bool accepted = false;
            ModalScript::answerNext(fileDialog(u"浏览..."_s, QString(), &accepted));
            browseButton->click();
            expect(ModalScript::dropPending() == 0 && textOf(txtData) == key.data, u"browse cancel"_s);
        }
        if (!ok) {
            log(closeBy ? u"  closed"_s : u"  Cancel"_s);
            closeBy ? void(modal->close()) : modal->findChild<QPushButton *>(u"cmdCancel"_s)->click();
            return;
        }
        if (chance(20)) {
            // Pasted over the whole name: only its first line arrives.
            log(u"  name pasted with a line break"_s);
            QGuiApplication::clipboard()->setText(name + u"\r\nsecond line"_s);
            QMetaObject::invokeMethod(txtName, "selectAll");
            QTest::keyClick(txtName, Qt::Key_V, Qt::ControlModifier);
        } else {
            txtName->setProperty("text", name);
        }
        if (kind == 2) {
            cmb->setCurrentIndex(pick(2));
            data = cmb->currentText();
        } else {
            if (chance(50))
                txtData->setProperty("text", any(dataPool));
            const QString before = textOf(txtData);
            if (chance(30)) {
                QTest::keyClick(txtData, Qt::Key_End);
                QTest::keyClicks(txtData, u"-1"_s);
                expect(textOf(txtData) == before + (kind == 1 ? u"1"_s : u"-1"_s), u"digit filter"_s);
            }
            data = textOf(txtData);
        }
        log(u"  OK with \"%1\" = \"%2\""_s.arg(name, data));
        modal->findChild<QPushButton *>(u"cmdOK"_s)->click();
    };
    if (!byDoubleClick) {
        trigger(action(u"mnuKeyChangeData"), row >= 0, answer);
    } else {
        if (row >= 0)
            ModalScript::answerNext(answer);
        QTest::mouseDClick(keys()->viewport(), Qt::LeftButton, {},
                           visibleCenter(keys(), keys()->model()->index(clicked, 0)));
        settle();
        expect(ModalScript::dropPending() == 0, u"the value editor did not open"_s);
    }
    if (row < 0 || !ok)
        return;
    const qsizetype at = name != key.name ? list->rename(row, name) : row;
    list->rows[size_t(at)].data = data;
}

void RandomUser::pointAtCell()
{
    // The pointer rests on a node or a cell: a tooltip comes up for a cut text only, and
    // it shows the text the document holds (or its start and length).
    const bool inTree = chance(40);
    const RefList &list = *m_ref.list(m_ref.front);
    if (!inTree && list.rows.empty())
        return log(u"Point at a cell: none"_s);
    QTreeView *view = inTree ? tree() : keys();
    const int node = 1 + pick(m_ref.nodeCount());
    const int row = inTree ? 0 : pick(int(list.rows.size()));
    const int column = pick(2);
    const QModelIndex index = inTree ? nodeIndex(node) : keys()->model()->index(row, column);
    const QString text = inTree ? m_ref.nodeText(node)
                                : column == 0 ? list.rows[size_t(row)].name : list.rows[size_t(row)].data;
    log(inTree ? u"Point at node %1"_s.arg(node) : u"Point at row %1, column %2"_s.arg(row).arg(column));
    view->scrollTo(index);
    // A tooltip goes only after a short delay, and a shortcut key (F5) does not close it:
    // one left over from an earlier step must be gone before this one is judged.
    QToolTip::hideText();
    expect(QTest::qWaitFor([] { return !QToolTip::isVisible(); }), u"a tooltip stays up"_s);
    settle();
    const QPoint at = view->visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    if (QToolTip::isVisible()) {
        const QString shown = QToolTip::text().remove(QChar(0x200B));
        expect(shown == Qt::convertFromPlainText(CellText::toolTip(text), Qt::WhiteSpaceNormal),
               u"tooltip shows \"%1\""_s.arg(shown.left(80)));
    } else {
        expect(text.size() <= CellText::shownLimit, u"no tooltip on a text cut short"_s);
    }
    QToolTip::hideText();
}
