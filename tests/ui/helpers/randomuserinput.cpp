// The input steps of RandomUser that take the paths the views' own code takes: drags
// with releases anywhere, Ctrl+click and Ctrl+Space, the ways an in-place edit ends,
// and long texts in an edit. Where Qt's navigation decides (Tab moves to the item it finds next), the step
// reads where the view went and expects the document to have followed.
#include "randomuser.h"

#include "frmini.h"
#include "longlineedit.h"
#include "sectiontreemodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
const QStringList editNames = {u"a"_s, u"A"_s, u"b"_s, u"B"_s, u"alpha"_s, u"Beta"_s,
                               u"新建项"_s, u"新建名称"_s, u"键"_s, u"值"_s, u"z9"_s, QString(),
                               u"k=v"_s, u"[x"_s, u"x]"_s, u"[s]"_s, u"dup"_s, u"a b"_s,
                               QString(300, u'长'), QString(5000, u'x')};
const QStringList lineBreaks = {u"\r\n"_s, u"\n"_s, u"\r"_s};

// The in-place edit open in view: Qt's line edit, or the long-text editor for a long text
// (both have the properties text and cursorPosition).
QWidget *openEditor(const QAbstractItemView *view)
{
    for (QWidget *child : view->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            return child;
    }
    return nullptr;
}
} // namespace

void RandomUser::refClick(int node)
{
    m_ref.selected = node;
    const int member = node == 1 ? 0 : node;
    if (member != 0 && !m_ref.list(member)->sorted)
        m_ref.list(member)->sort();
    m_ref.front = member;
}

int RandomUser::nodeAt(QPoint pos) const
{
    const int node = SectionTreeModel::treeIndexOf(tree()->indexAt(pos));
    return node > 0 ? node : -1;
}

int RandomUser::rowAt(QPoint pos) const
{
    const QModelIndex index = keys()->indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void RandomUser::finishEdit(QAbstractItemView *view, const std::function<void(const QString &)> &commit,
                            int depth)
{
    // The edit has the focus; after a dialog the window may not be active, so look for it.
    QWidget *editor = openEditor(view);
    if (!editor) {
        expect(false, u"no in-place edit in %1"_s.arg(view->objectName()));
        return;
    }
    const QString before = editor->property("text").toString();
    if (m_longText) {
        const bool isLong = qobject_cast<LongLineEdit *>(editor) != nullptr;
        expect(isLong == (before.size() >= LongLineEdit::minimumLength), u"the edit of a long text is no long-text editor"_s);
        if (!isLong) {
            // Pasted over the whole name; only the first line arrives.
            const QString text = QString(LongLineEdit::minimumLength + pick(1000), u'L') + any(editNames);
            log(u"  long text of %1 characters pasted"_s.arg(text.size()));
            QGuiApplication::clipboard()->setText(text + any(lineBreaks) + u"second"_s);
            QMetaObject::invokeMethod(editor, "selectAll");
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_Return);
            commit(text);
        } else {
            log(u"  typed at the end of a long text"_s);
            QTest::keyClick(editor, Qt::Key_End);
            QTest::keyClicks(editor, u"xy"_s);
            QTest::keyClick(editor, Qt::Key_Backspace);
            QTest::keyClick(editor, Qt::Key_Return);
            commit(before + u'x');
        }
        settle();
        return;
    }
    const QString name = any(editNames);
    const int how = depth > 1 ? pick(60) : pick(100);
    if (how < 40) {
        log(u"  edit confirmed as \"%1\""_s.arg(name));
        editor->setProperty("text", name);
        QTest::keyClick(editor, Qt::Key_Return);
        commit(name);
    } else if (how < 60) {
        log(u"  edit cancelled"_s);
        editor->setProperty("text", name);
        QTest::keyClick(editor, Qt::Key_Escape);
    } else if (how < 72) {
        // A paste of several lines keeps the first; what was around it stays.
        const QString text = name + any(lineBreaks) + u"second"_s + any(lineBreaks) + u"third"_s;
        const bool shiftInsert = chance(50);
        log(u"  edit pasted with %1"_s.arg(shiftInsert ? u"Shift+Insert"_s : u"Ctrl+V"_s));
        QGuiApplication::clipboard()->setText(text);
        editor->setProperty("text", u"<>"_s);
        editor->setProperty("cursorPosition", 1);
        QTest::keyClick(editor, shiftInsert ? Qt::Key_Insert : Qt::Key_V,
                        shiftInsert ? Qt::ShiftModifier : Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Return);
        commit(u'<' + name + u'>');
    } else if (how < 86) {
        editor->setProperty("text", name);
        commit(name);
        leaveEditByTab(view, chance(50), depth);
        return;
    } else {
        // Typed, then a command chosen while the edit is open: the name is taken first.
        static void (RandomUser::*const commands[])() = {
            &RandomUser::sectionNew, &RandomUser::keyNew,      &RandomUser::sectionCopy,
            &RandomUser::keyCopy,    &RandomUser::changeData,  &RandomUser::properties,
            &RandomUser::refresh,    &RandomUser::keyDelete,   &RandomUser::sectionDelete,
            &RandomUser::sectionRename, &RandomUser::keyRename};
        log(u"  edit typed \"%1\", left open for a command"_s.arg(name));
        editor->setProperty("text", name);
        commit(name);
        QPointer<QWidget> typed = editor;
        // A desktop activates the window the user goes on in (see RandomUser::step).
        if (!m_window.isActiveWindow())
            reactivate();
        (this->*commands[pick(int(std::size(commands)))])();
        // A disabled item runs nothing and leaves the edit open; Enter ends it.
        settle();
        if (typed && typed->isVisible()) {
            log(u"  edit confirmed after all"_s);
            QTest::keyClick(typed, Qt::Key_Return);
        }
    }
    settle();
}

void RandomUser::editLongText()
{
    // Keys only: a section's name goes into the delete question, whose label lays out
    // the whole name, which would slow every later step down.
    log(u"Long text:"_s);
    m_longText = true;
    keyRename();
    m_longText = false;
}

void RandomUser::leaveEditByTab(QAbstractItemView *view, bool back, int depth)
{
    log(back ? u"  edit left by Shift+Tab"_s : u"  edit left by Tab"_s);
    QTest::keyClick(openEditor(view), back ? Qt::Key_Backtab : Qt::Key_Tab);
    settle();
    // The view moved to the item it found next (or stayed): the document must follow.
    const QModelIndex current = view->currentIndex();
    const bool open = openEditor(view) != nullptr;
    if (view == tree()) {
        const int node = SectionTreeModel::treeIndexOf(current);
        if (node > 0 && node != m_ref.selected)
            refClick(node);
        if (open) {
            finishEdit(view, [this, node](const QString &name) {
                if (node == 1)
                    m_ref.rootText = name;
                else
                    m_ref.sections[size_t(node - 2)].name = name;
            }, depth + 1);
        }
        return;
    }
    RefList *list = m_ref.list(m_ref.front);
    if (current.isValid())
        list->setCurrent(current.row(), true);
    if (open) {
        const qsizetype row = current.row();
        finishEdit(view, [list, row](const QString &name) { list->rename(row, name); }, depth + 1);
    }
}

void RandomUser::menuByKeyboard(QTreeView *view, const QString &where)
{
    const bool menuKey = chance(50);
    log((menuKey ? u"Context-menu key in "_s : u"Shift+F10 in "_s) + where);
    view->setFocus();
    QTest::keyClick(view, menuKey ? Qt::Key_Menu : Qt::Key_F10, menuKey ? Qt::NoModifier : Qt::ShiftModifier);
}

QStringList RandomUser::drag(QTreeView *view, int count, const std::function<int()> &pickItem,
                             const std::function<void(int)> &reached)
{
    // Press on an item or the empty space below them (-1), move over a few places with
    // the button held, release where the pointer ended.
    QList<QPoint> path;
    for (int n = 0; n < count; ++n) {
        const int item = pickItem();
        const QModelIndex index = item < 0 ? QModelIndex()
                                  : view == tree() ? nodeIndex(item) : keys()->model()->index(item, 0);
        path << (index.isValid() ? visibleCenter(view, index) : QPoint(5, view->viewport()->height() - 2));
    }
    QStringList seen;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const int item = view == tree() ? nodeAt(path[i]) : rowAt(path[i]);
        seen << QString::number(item);
        if (i == 0)
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, path[i]);
        else
            QTest::mouseMove(view->viewport(), path[i]);
        if (item >= 0)
            reached(item);
    }
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, path.last());
    return seen;
}

void RandomUser::treeDrag()
{
    const QStringList seen = drag(tree(), 1 + pick(4), [this] {
        const int node = pick(m_ref.nodeCount() + 1);
        return node > 0 ? node : -1;
    },
                                  [this](int node) {
                                      // Every node the held button reaches acts as a click on it.
                                      if (node != m_ref.selected)
                                          refClick(node);
                                  });
    log(u"Drag in the tree over nodes %1"_s.arg(seen.join(u' ')));
    // Pressed and released on one node: a click on it, which sorts its list again.
    if (seen.first().toInt() > 0 && seen.first() == seen.last())
        refClick(seen.last().toInt());
}
void RandomUser::treeCtrlInput()
{
    if (chance(50)) {
        const int node = chance(50) && m_ref.selected > 0 ? m_ref.selected : 1 + pick(m_ref.nodeCount());
        log(u"Ctrl+click on node %1"_s.arg(node));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          visibleCenter(tree(), nodeIndex(node)));
        // A click all the same: the selected node stays selected (and its list sorted).
        refClick(node);
        return;
    }
    const bool inTree = chance(50);
    log(inTree ? u"Ctrl+Space in the tree"_s : u"Ctrl+Space in the key list"_s);
    QTreeView *view = inTree ? tree() : keys();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    // The tree keeps its selected node; the key list toggles its current row's flag.
    RefList &list = *m_ref.list(m_ref.front);
    if (!inTree && list.current() >= 0)
        list.setCurrent(list.current(), !list.currentSelected);
}

void RandomUser::keyDrag()
{
    RefList &list = *m_ref.list(m_ref.front);
    const QStringList seen = drag(
        keys(), 1 + pick(4),
        [this, &list] { return list.rows.empty() || chance(20) ? -1 : pick(int(list.rows.size())); },
        // Every row the held button reaches becomes the current, selected row.
        [&list](int row) { list.setCurrent(row, true); });
    log(u"Drag in the key list over rows %1"_s.arg(seen.join(u' ')));
}
