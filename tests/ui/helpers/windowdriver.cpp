#include "windowdriver.h"

#include "frmini.h"
#include "sectiontreemodel.h"

#include <QAction>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

std::unique_ptr<frmINI> WindowDriver::openWindow(const QString &path)
{
    auto window = std::make_unique<frmINI>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()) || !window->openPath(path))
        return nullptr;
    return window;
}

void WindowDriver::closeMenus() const
{
    m_window.actions().mnuSection->hide();
    m_window.actions().mnuKey->hide();
}

QTreeView *WindowDriver::tree() const
{
    return m_window.findChild<QTreeView *>(u"tvwSections"_s);
}

QTreeView *WindowDriver::keys() const
{
    return m_window.findChild<QTreeView *>(u"lstKeys"_s);
}

QPoint WindowDriver::nodeCenter(int treeIndex) const
{
    auto *model = static_cast<SectionTreeModel *>(tree()->model());
    const QModelIndex index = model->indexOfNode(treeIndex);
    tree()->scrollTo(index);
    return tree()->visualRect(index).center();
}

QPoint WindowDriver::rowCenter(int row) const
{
    const QModelIndex index = keys()->model()->index(row, 0);
    keys()->scrollTo(index);
    return keys()->visualRect(index).center();
}

QPoint WindowDriver::belowNodes() const
{
    return QPoint(5, tree()->viewport()->height() - 3);
}

void WindowDriver::clickNode(int treeIndex) const
{
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, nodeCenter(treeIndex));
}

void WindowDriver::rightClick(QTreeView *view, QPoint pos) const
{
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, pos);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, pos);
}

QLineEdit *WindowDriver::editor(QTreeView *view) const
{
    return qobject_cast<QLineEdit *>(anyEditor(view));
}

QWidget *WindowDriver::anyEditor(QTreeView *view) const
{
    // The delegate's editors are the only widgets on a viewport.
    for (QWidget *child : view->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            return child;
    }
    return nullptr;
}

QString WindowDriver::outline() const
{
    const IniDocument &doc = m_window.document();
    QStringList parts;
    for (int node = 2; node <= doc.nodeCount(); ++node)
        parts << doc.nodeText(node) + u':' + names(doc.list(node)).join(u',');
    return parts.join(u'|');
}

QString WindowDriver::disagreement() const
{
    const IniDocument &doc = m_window.document();
    const int selected = doc.selectedNode();
    auto *model = static_cast<SectionTreeModel *>(tree()->model());
    const QModelIndex want = model->indexOfNode(selected);
    const QModelIndexList highlighted = tree()->selectionModel()->selectedIndexes();
    if (want.isValid() ? highlighted != QModelIndexList{want} : !highlighted.isEmpty())
        return u"the highlight is not on the selected node %1"_s.arg(selected);
    if (want.isValid() && tree()->currentIndex() != want)
        return u"the tree's current node is not the selected node %1"_s.arg(selected);
    if (tree()->isExpanded(model->indexOfNode(1)) != doc.rootExpanded())
        return u"the root is shown %1"_s.arg(doc.rootExpanded() ? u"closed"_s : u"open"_s);
    const int front = selected == 0 ? 0 : IniDocument::memberOfNode(selected);
    if (doc.frontList() != front)
        return u"list %1 is in front while node %2 is selected"_s.arg(doc.frontList()).arg(selected);
    // The open folder: one picture for every section but the selected one.
    const auto picture = [model](int node) {
        return model->indexOfNode(node).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    QSet<qint64> closed;
    for (int node = 2; node <= doc.nodeCount(); ++node) {
        if (node != selected)
            closed.insert(picture(node));
    }
    if (closed.size() > 1)
        return u"a section that is not selected is drawn with the open folder"_s;
    if (selected >= 2 && closed.contains(picture(selected)))
        return u"the selected node %1 is drawn without the open folder"_s.arg(selected);
    return {};
}

QStringList WindowDriver::names(const KeyList *list)
{
    QStringList out;
    for (const KeyRow &row : list->rows())
        out << row.name();
    return out;
}

QString WindowDriver::flags(const QList<QAction *> &actions)
{
    QString out;
    for (QAction *a : actions) {
        if (!a->isSeparator())
            out += a->isEnabled() ? u'1' : u'0';
    }
    return out;
}
