#pragma once

#include <QPoint>
#include <functional>

class QAbstractItemModel;
class QAbstractItemView;
class QKeyEvent;
class QModelIndex;
class QWidget;

// What the section tree and the key list share in following the user.
namespace ItemViewHelpers {

// Sets view's model so that `quiet` is above 0 from before the view hears of any
// insertion, removal, move, reset or layout change until after it has handled it:
// the view then moves its current item by itself, which is no choice of the user's.
void setModelQuietly(QAbstractItemView *view, QAbstractItemModel *model, int &quiet);

// Calls commitAndClose for every in-place editor open in view.
void forEachEditor(QAbstractItemView *view, const std::function<void(QWidget *)> &commitAndClose);

// True for the keys that open a context menu from the keyboard: the context-menu key
// and Shift+F10.
bool isContextMenuKey(const QKeyEvent *event);
// Where a menu opened from the keyboard goes: below the middle of the item's text, or
// the top left corner of the view when the item is not shown.
QPoint menuPosition(const QAbstractItemView *view, const QModelIndex &index);

} // namespace ItemViewHelpers
