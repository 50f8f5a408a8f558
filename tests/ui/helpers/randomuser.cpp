#include "randomuser.h"

#include "frmini.h"
#include "inifile.h"
#include "modalscript.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

RandomUser::RandomUser(frmINI &window, quint64 seed, const QString &folder)
    : m_window(window), m_driver(window), m_rng(seed), m_folder(QDir::toNativeSeparators(folder))
{
    // A file with keys before its first header, for the root's own list.
    const QString path = m_folder + QDir::separator() + u"root-keys.ini"_s;
    const QString text = u"top=1\r\nlast=2\r\n[s]\r\nk=v\r\n"_s;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size())
        m_files.insert(path, text);
}

QString RandomUser::step()
{
    m_failure.clear();
    // Offscreen, a window does not always become active again after a popup or a dialog,
    // and an inactive window gets neither its shortcuts nor focus changes: a user's
    // next click or key activates it on a desktop.
    if (!m_window.isActiveWindow())
        reactivate();
    // Weights: what a user does often comes up often; every command comes up.
    struct Choice { int weight; void (RandomUser::*run)(); };
    static const Choice choices[] = {
        {1, &RandomUser::fileNew},      {2, &RandomUser::fileOpen},    {2, &RandomUser::refresh},
        {2, &RandomUser::properties},   {6, &RandomUser::sectionNew},  {5, &RandomUser::sectionDelete},
        {4, &RandomUser::sectionRename}, {3, &RandomUser::sectionCopy}, {12, &RandomUser::clickNode},
        {7, &RandomUser::treeRightClick}, {8, &RandomUser::clickRow},  {8, &RandomUser::keyRightClick},
        {9, &RandomUser::keyNew},       {5, &RandomUser::keyDelete},   {4, &RandomUser::keyRename},
        {4, &RandomUser::keyCopy},      {7, &RandomUser::changeData},  {5, &RandomUser::treeDrag},
        {3, &RandomUser::treeCtrlInput}, {5, &RandomUser::keyDrag},      {3, &RandomUser::pointAtCell},
        {2, &RandomUser::editLongText},
    };
    int total = 4; // the two saves below
    for (const Choice &c : choices)
        total += c.weight;
    int roll = pick(total);
    if (roll < 4) {
        fileSave(roll >= 2);
    } else {
        roll -= 4;
        for (const Choice &c : choices) {
            if (roll < c.weight) {
                (this->*c.run)();
                break;
            }
            roll -= c.weight;
        }
    }
    settle();
    if (m_failure.isEmpty())
        checkWindow();
    m_mostSections = std::max(m_mostSections, m_ref.nodeCount() - 1);
    m_mostKeys = std::max(m_mostKeys, m_ref.keyTotal());
    return m_failure;
}

QString RandomUser::summary() const
{
    QStringList parts;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        parts << u"%1: %2"_s.arg(it.key()).arg(it.value());
    return parts.join(u"; "_s)
        + u"\nlargest document: %1 sections, %2 keys"_s.arg(m_mostSections).arg(m_mostKeys);
}

void RandomUser::log(const QString &what)
{
    // Counted by the step's words before any number or path ("F10" is a word).
    QString kind = what.trimmed();
    const qsizetype cut = kind.indexOf(QRegularExpression(u"(?<![A-Za-z0-9])[0-9]|[/\"(]"_s));
    if (cut >= 0)
        kind.truncate(cut);
    ++m_counts[kind.trimmed()];
    m_recent << what;
    if (m_recent.size() > 20)
        m_recent.removeFirst();
}

void RandomUser::expect(bool ok, const QString &what)
{
    if (!ok && m_failure.isEmpty())
        m_failure = what;
}

void RandomUser::settle()
{
    // In-place edits commit on the event loop's next turn; editors and timers go later.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction *RandomUser::action(const char16_t *name) const
{
    return m_window.findChild<QAction *>(QString::fromUtf16(name));
}

QTreeView *RandomUser::tree() const
{
    return m_window.findChild<QTreeView *>(u"tvwSections"_s);
}

QTreeView *RandomUser::keys() const
{
    return m_window.findChild<QTreeView *>(u"lstKeys"_s);
}

QModelIndex RandomUser::nodeIndex(int node) const
{
    const QModelIndex root = tree()->model()->index(0, 0);
    return node == 1 ? root : tree()->model()->index(node - 2, 0, root);
}

QPoint RandomUser::visibleCenter(QAbstractItemView *view, const QModelIndex &index) const
{
    view->scrollTo(index);
    return view->visualRect(index).center();
}

void RandomUser::trigger(QAction *item, bool dialogExpected, Answer answer)
{
    if (dialogExpected)
        ModalScript::answerNext(std::move(answer));
    // An item with a shortcut is often chosen by its keys, wherever the focus is (an
    // open in-place edit included).
    QWidget *focus = QApplication::focusWidget();
    if (!item->shortcut().isEmpty() && m_window.isActiveWindow() && focus && chance(40)) {
        log(u"  by %1"_s.arg(item->shortcut().toString()));
        QTest::keySequence(focus, item->shortcut());
    } else {
        item->trigger();
    }
    settle();
    if (dialogExpected) {
        expect(ModalScript::dropPending() == 0, u"an expected dialog did not open"_s);
        reactivate();
    }
}

void RandomUser::reactivate()
{
    // Offscreen, the window does not become active again by itself when a dialog or a
    // popup closes; do it as a desktop would, and let the focus settle before the next
    // step, or the late focus change would end that step's in-place edit.
    QApplication::setActiveWindow(&m_window);
    settle();
    settle();
}

RandomUser::Answer RandomUser::fileDialog(const QString &title, const QString &path, bool *accepted)
{
    return [this, title, path, accepted](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        expect(dialog && dialog->objectName() == u"Dialogs"_s && modal->windowTitle() == title,
               u"file dialog \"%1\" expected, got \"%2\""_s.arg(title, modal->windowTitle()));
        if (!dialog || path.isEmpty()) {
            *accepted = false;
            static_cast<QDialog *>(modal)->reject();
            return;
        }
        *accepted = true;
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
        expect(!dialog->isVisible(), u"file dialog refused %1"_s.arg(path));
    };
}

void RandomUser::fileNew()
{
    log(u"File New"_s);
    trigger(action(u"mnuFileNew"));
    m_ref.newDocument();
}

void RandomUser::afterRead(const QString &path)
{
    if (m_files.contains(path))
        m_ref.readText(path, m_files.value(path));
    else
        m_ref.readMissing(path);
}

void RandomUser::fileOpen()
{
    QString path;
    const int kind = pick(20);
    if (kind >= 4 && !m_files.isEmpty())
        path = m_files.keys().at(pick(int(m_files.size())));
    else if (kind >= 2)
        path = m_folder + QDir::separator() + u"missing-%1.ini"_s.arg(++m_missingCount);
    log(u"File Open %1"_s.arg(path.isEmpty() ? u"(cancelled)"_s : path));
    bool accepted = false;
    trigger(action(u"mnuFileOpen"), true, fileDialog(u"打开INI文件"_s, path, &accepted));
    if (!accepted)
        return;
    m_dialogFileName = path;
    afterRead(path);
    if (m_files.contains(path))
        m_dialogFileName.clear();
}

void RandomUser::fileSave(bool saveAs)
{
    if (!saveAs && m_ref.hasFile()) {
        log(u"File Save in place"_s);
        trigger(action(u"mnuFileSave"));
        m_files.insert(m_ref.path, m_ref.iniText());
        checkFile(m_ref.path);
        return;
    }
    static const QStringList names = {u"a.ini"_s, u"b.ini"_s, u"节.ini"_s, u"c d.ini"_s};
    const QString path = chance(10) ? QString() : m_folder + QDir::separator() + any(names);
    log(u"File %1 %2"_s.arg(saveAs ? u"Save As"_s : u"Save"_s, path.isEmpty() ? u"(cancelled)"_s : path));
    bool accepted = false;
    trigger(action(saveAs ? u"mnuFileSaveAs" : u"mnuFileSave"), true,
            fileDialog(saveAs ? u"保存INI文件"_s : u"Save INI file"_s, path, &accepted));
    if (!accepted)
        return;
    m_files.insert(path, m_ref.iniText());
    m_ref.readText(path, m_files.value(path));
    m_dialogFileName.clear();
    checkFile(path);
}

void RandomUser::refresh()
{
    // A name opened but never saved has no file: that is said, and the document stays.
    const bool missing = m_ref.hasFile() && !m_files.contains(m_ref.path);
    log(u"View Refresh"_s + (missing ? u" of a missing file"_s : QString()));
    const QString path = m_ref.path;
    trigger(action(u"mnuViewRefresh"), missing, [this, path](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        expect(box && box->windowTitle() == u"Tarnwick"_s && box->icon() == QMessageBox::Warning
                   && box->text().contains(path),
               u"refresh of a missing file shows no warning naming it"_s);
        static_cast<QDialog *>(modal)->accept();
    });
    if (m_ref.hasFile() && !missing)
        afterRead(m_ref.path);
}

void RandomUser::properties()
{
    log(u"View Properties"_s);
    const bool hasFile = m_ref.hasFile();
    const QStringList want = {
        hasFile ? RefDocument::fileName(m_ref.path) : u"Untitled.ini"_s,
        hasFile ? m_ref.path : u"无法获取"_s,
        QString::number(m_ref.nodeCount() - 1) + u"个"_s,
        QString::number(m_ref.keyTotal()) + u"个"_s,
        hasFile ? u"文件保存到硬盘"_s : u"配置设置文件"_s,
    };
    trigger(action(u"mnuViewProperties"), true, [this, want](QWidget *modal) {
        QStringList got;
        for (const QString &name : {u"lblApp"_s, u"lblPath"_s, u"lblSections"_s, u"lblKeys"_s, u"lblStatus"_s}) {
            const auto *label = modal->findChild<QLabel *>(name);
            // A text too long for the dialog is cut in the middle, whole in its tooltip.
            got << (!label ? u"(no %1)"_s.arg(name)
                           : label->toolTip().isEmpty() ? label->text() : label->toolTip());
        }
        expect(got == want, u"properties show %1, expected %2"_s.arg(got.join(u" | "), want.join(u" | ")));
        static_cast<QDialog *>(modal)->accept();
    });
}

void RandomUser::checkFile(const QString &path)
{
    IniDocument read;
    expect(ReadIniFile(read, path) == ReadResult::Ok, u"saved file %1 does not read"_s.arg(path));
    RefDocument want;
    want.readText(path, m_files.value(path));
    const QString difference = want.differences(read);
    expect(difference.isEmpty(), u"saved file %1 reads back wrong: %2"_s.arg(path, difference));
}

void RandomUser::checkWindow()
{
    const IniDocument &doc = m_window.document();
    const QString difference = m_ref.differences(doc);
    expect(difference.isEmpty(), u"document: "_s + difference + u" (window holds "_s + m_driver.outline() + u")"_s);
    const QStringList unexpected = ModalScript::takeUnexpected();
    expect(unexpected.isEmpty(), u"unexpected dialog: "_s + unexpected.join(u", "));
    expect(!QGuiApplication::overrideCursor(), u"the wait pointer stayed after the step"_s);
    const QLabel *pathPanel = m_window.findChild<QLabel *>(u"sbBarPath"_s);
    const QLabel *countPanel = m_window.findChild<QLabel *>(u"sbBarCount"_s);
    expect(pathPanel->text() == m_ref.statusPath && countPanel->text() == m_ref.statusCount,
           u"status bar shows other texts than the document"_s);
    // A screen reader reads the panels by their names, which hold the texts.
    expect(pathPanel->accessibleName().endsWith(m_ref.statusPath)
               && countPanel->accessibleName().endsWith(m_ref.statusCount),
           u"the status panels' accessible names lag behind their texts"_s);
    expect(m_window.dialogs().fileName == m_dialogFileName,
           u"dialog file name \"%1\", expected \"%2\""_s.arg(m_window.dialogs().fileName, m_dialogFileName));

    const char16_t *sectionItems[] = {u"mnuSectionDelete", u"mnuSectionRename", u"mnuSectionCopyName",
                                      u"mnuSectionCopyPath"};
    for (int i = 0; i < 4; ++i)
        expect(action(sectionItems[i])->isEnabled() == m_sectionFlags[i],
               u"flag of %1 is %2"_s.arg(QString::fromUtf16(sectionItems[i])).arg(!m_sectionFlags[i]));
    const char16_t *keyItems[] = {u"mnuKeyNew", u"mnuKeyChangeData", u"mnuKeyDelete", u"mnuKeyRename",
                                  u"mnuKeyCopyName", u"mnuKeyCopyPath", u"mnuKeyCopyValue"};
    for (int i = 0; i < 7; ++i)
        expect(action(keyItems[i])->isEnabled() == m_keyFlags[i],
               u"flag of %1 is %2"_s.arg(QString::fromUtf16(keyItems[i])).arg(!m_keyFlags[i]));

    // The views show the document: the tree's rows and selection, the front list's rows.
    QTreeView *t = tree();
    expect(t->model()->rowCount(nodeIndex(1)) == m_ref.nodeCount() - 1, u"tree shows other sections"_s);
    const QModelIndexList selected = t->selectionModel()->selectedIndexes();
    const QModelIndex want = m_ref.selected ? nodeIndex(m_ref.selected) : QModelIndex();
    expect(selected.isEmpty() ? !want.isValid() : selected.size() == 1 && selected.first() == want,
           u"tree selection is not node %1"_s.arg(m_ref.selected));
    const RefList &front = *m_ref.list(m_ref.front);
    QTreeView *k = keys();
    expect(k->model()->rowCount() == qsizetype(front.rows.size()), u"key list shows other rows"_s);
    for (int r = 0; m_failure.isEmpty() && r < k->model()->rowCount(); ++r) {
        expect(k->model()->index(r, 0).data(Qt::EditRole).toString() == front.rows[size_t(r)].name
                   && k->model()->index(r, 1).data(Qt::EditRole).toString() == front.rows[size_t(r)].data,
               u"key list row %1 shows other texts"_s.arg(r));
    }
    const qsizetype current = front.current();
    if (current >= 0) {
        expect(k->currentIndex().row() == current, u"key list's current row is not %1"_s.arg(current));
        expect(k->selectionModel()->isRowSelected(int(current), {}) == front.currentSelected,
               u"key list's current row selection differs"_s);
    } else {
        expect(!k->selectionModel()->hasSelection(), u"key list selects a row with no current row"_s);
    }
    for (const char16_t *menu : {u"mnuSection", u"mnuKey"})
        expect(!m_window.findChild<QMenu *>(QString::fromUtf16(menu))->isVisible(), u"a menu stayed open"_s);
    const QString apart = m_driver.disagreement();
    expect(apart.isEmpty(), u"the views disagree: "_s + apart);
}
