#include "mainactions.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace {

QMenu *addMenu(QMainWindow *window, const QString &name, const QString &caption)
{
    QMenu *menu = window->menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + u"Action"_s);
    return menu;
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                 const QKeySequence &shortcut = {}, bool enabled = true)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setEnabled(enabled);
    return action;
}

void addSeparator(QMenu *menu, const QString &name)
{
    menu->addSeparator()->setObjectName(name);
}

} // namespace

MainActions MainActions::create(QMainWindow *window)
{
    MainActions a;
    constexpr bool disabled = false;

    a.mnuFile = addMenu(window, u"mnuFile"_s, u"文件"_s);
    a.mnuFileNew = addItem(a.mnuFile, u"mnuFileNew"_s, u"新建"_s, QKeySequence(u"Ctrl+N"_s));
    a.mnuFileOpen = addItem(a.mnuFile, u"mnuFileOpen"_s, u"打开"_s, QKeySequence(u"Ctrl+O"_s));
    addSeparator(a.mnuFile, u"Sep1"_s);
    a.mnuFileSave = addItem(a.mnuFile, u"mnuFileSave"_s, u"保存"_s, QKeySequence(u"Ctrl+S"_s));
    a.mnuFileSaveAs = addItem(a.mnuFile, u"mnuFileSaveAs"_s, u"另存为"_s);
    addSeparator(a.mnuFile, u"Sep6"_s);
    a.mnutarnblog = addItem(a.mnuFile, u"mnutarnblog"_s, u"Tarn博客"_s);
    addSeparator(a.mnuFile, u"Sep10"_s);
    a.mnuFileExit = addItem(a.mnuFile, u"mnuFileExit"_s, u"退出"_s);

    a.mnuSection = addMenu(window, u"mnuSection"_s, u"操作"_s);
    a.mnuSectionNew = addItem(a.mnuSection, u"mnuSectionNew"_s, u"新建项"_s);
    addSeparator(a.mnuSection, u"Sep2"_s);
    a.mnuSectionDelete = addItem(a.mnuSection, u"mnuSectionDelete"_s, u"删除项"_s, {}, disabled);
    a.mnuSectionRename = addItem(a.mnuSection, u"mnuSectionRename"_s, u"重命名项"_s, {}, disabled);
    addSeparator(a.mnuSection, u"Sep3"_s);
    a.mnuSectionCopyName = addItem(a.mnuSection, u"mnuSectionCopyName"_s, u"复制名称"_s, {}, disabled);
    a.mnuSectionCopyPath = addItem(a.mnuSection, u"mnuSectionCopyPath"_s, u"复制路径"_s, {}, disabled);

    a.mnuKey = addMenu(window, u"mnuKey"_s, u"名称"_s);
    a.mnuKeyNew = addItem(a.mnuKey, u"mnuKeyNew"_s, u"新建名称"_s);
    a.mnuKeyChangeData = addItem(a.mnuKey, u"mnuKeyChangeData"_s, u"查看/修改数值"_s, {}, disabled);
    addSeparator(a.mnuKey, u"Sep4"_s);
    a.mnuKeyDelete = addItem(a.mnuKey, u"mnuKeyDelete"_s, u"删除名称"_s, {}, disabled);
    a.mnuKeyRename = addItem(a.mnuKey, u"mnuKeyRename"_s, u"重命名名称"_s, {}, disabled);
    addSeparator(a.mnuKey, u"Sep5"_s);
    a.mnuKeyCopyName = addItem(a.mnuKey, u"mnuKeyCopyName"_s, u"复制名称"_s, {}, disabled);
    a.mnuKeyCopyPath = addItem(a.mnuKey, u"mnuKeyCopyPath"_s, u"复制路径"_s, {}, disabled);
    a.mnuKeyCopyValue = addItem(a.mnuKey, u"mnuKeyCopyValue"_s, u"复制数据"_s, {}, disabled);

    a.mnuView = addMenu(window, u"mnuView"_s, u"查看"_s);
    a.mnuViewStatusbar = addItem(a.mnuView, u"mnuViewStatusbar"_s, u"状态栏"_s, QKeySequence(u"Ctrl+I"_s));
    a.mnuViewStatusbar->setCheckable(true);
    a.mnuViewStatusbar->setChecked(true);
    addSeparator(a.mnuView, u"sep45"_s);
    a.mnuViewRefresh = addItem(a.mnuView, u"mnuViewRefresh"_s, u"刷新"_s, QKeySequence(u"F5"_s));
    a.mnuViewProperties = addItem(a.mnuView, u"mnuViewProperties"_s, u"属性"_s, QKeySequence(u"Ctrl+P"_s));
    return a;
}
