#include "windowhost.h"

#include "frmchangedata.h"
#include "frmproperties.h"
#include "keylistmodel.h"
#include "keylistview.h"
#include "modapp.h"
#include "namefilters.h"
#include "sectiontreeview.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

WindowHost::WindowHost(QWidget *window, SectionTreeView *tree, KeyListView *keys,
                       FileDialogState &dialogs)
    : m_window(window), m_tree(tree), m_keys(keys), m_dialogs(dialogs)
{
}

bool WindowHost::showFileDialog(FileDialogState &state, bool save)
{
    // The platform's own dialog where Qt has one (Windows, macOS, a desktop with a
    // platform theme or portal); Qt's widget dialog elsewhere, offscreen too.
    QFileDialog dialog(m_window, state.title, state.initDir);
    dialog.setObjectName(u"Dialogs"_s);
    modApp::keepUnminimised(&dialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(qtNameFilters(state.filter));
    if (!state.fileName.isEmpty())
        dialog.selectFile(state.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    state.fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return true;
}

bool WindowHost::showOpenDialog(FileDialogState &state)
{
    return showFileDialog(state, false);
}

bool WindowHost::showSaveDialog(FileDialogState &state)
{
    return showFileDialog(state, true);
}

bool WindowHost::askYesNo(const QString &title, const QString &text, Icon icon)
{
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::NoIcon, title,
                    text, QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::Yes);
    modApp::keepUnminimised(&box);
    return box.exec() == QMessageBox::Yes;
}

void WindowHost::showError(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, m_window);
    modApp::keepUnminimised(&box);
    box.exec();
}

void WindowHost::clearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

void WindowHost::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void WindowHost::editNodeLabel(int treeIndex)
{
    m_tree->editNode(treeIndex);
}

void WindowHost::editKeyName(int member, qsizetype row)
{
    // Only the front list has a view; the commands edit rows of the list in front.
    if (auto *model = qobject_cast<KeyListModel *>(m_keys->model()); model && model->member() == member)
        m_keys->editName(row);
}

void WindowHost::focusTree()
{
    m_tree->setFocus();
}

void WindowHost::focusKeyList(int)
{
    m_keys->setFocus();
}

bool WindowHost::runValueEditor(ValueEditRequest &request)
{
    frmChangeData dialog(m_window, request, m_dialogs,
                         [this](FileDialogState &state) { return showOpenDialog(state); });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request = dialog.result();
    return true;
}

void WindowHost::showProperties(const PropertiesInfo &info)
{
    frmProperties dialog(m_window, info);
    dialog.exec();
}

void WindowHost::closeMainWindow()
{
    m_window->close();
}

void WindowHost::beginBusy()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void WindowHost::endBusy()
{
    QGuiApplication::restoreOverrideCursor();
}
