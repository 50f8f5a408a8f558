#include "itemviewhelpers.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

namespace ItemViewHelpers {

void setModelQuietly(QAbstractItemView *view, QAbstractItemModel *model, int &quiet)
{
    int *counter = &quiet;
    const auto up = [counter] { ++*counter; };
    const auto down = [counter] { --*counter; };
    // Slots run in the order they were connected: these before the view's, those after.
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, view, up);
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, view, up);
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeMoved, view, up);
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, view, up);
    QObject::connect(model, &QAbstractItemModel::layoutAboutToBeChanged, view, up);
    view->setModel(model);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, down);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, view, down);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, view, down);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, down);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, view, down);
}

void forEachEditor(QAbstractItemView *view, const std::function<void(QWidget *)> &commitAndClose)
{
    // The delegates' editors are line edits placed on the viewport.
    const QList<QLineEdit *> editors =
        view->viewport()->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly);
    for (QLineEdit *editor : editors) {
        if (editor->isVisible())
            commitAndClose(editor);
    }
}

bool isContextMenuKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)
        || (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

QPoint menuPosition(const QAbstractItemView *view, const QModelIndex &index)
{
    const QRect rect = view->visualRect(index);
    QPoint local(0, 0);
    if (rect.isValid() && view->viewport()->rect().intersects(rect))
        local = QPoint(rect.left() + qMin(rect.width(), view->viewport()->width()) / 2, rect.bottom());
    return view->viewport()->mapToGlobal(local);
}

} // namespace ItemViewHelpers
