#include "appstart.h"
#include "filenamecheck.h"
#include "frmini.h"
#include "looks.h"
#include "modalscript.h"
#include "testfiles.h"
#include "windowdriver.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QStatusBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using TestFiles::dataFile;

template<typename T = QAction>
T *child(QWidget &window, const QString &name)
{
    return window.findChild<T *>(name);
}

} // namespace

class TestFrmIni : public QObject
{
    Q_OBJECT
public slots:
    // Stands in for the desktop's handler of file URLs.
    void openedByDesktop(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startState();
    void accessibleNames_data();
    void accessibleNames();
    void menus_data();
    void menus();
    void statusBarToggle();
    void readableAndFocusShown_data();
    void readableAndFocusShown();
    void statusPanelsInNarrowWindow_data();
    void statusPanelsInNarrowWindow();
    void toolTipsOnCutCells();
    void tarnBlogOpensUserGuide();
    void shortcuts_data();
    void shortcuts();
    void openThroughRealDialog();
    void saveUntitledThroughRealDialog();
    void failedSaveShowsMessageBox();
    void propertiesDialog();
    void dropOpensFile_data();
    void dropOpensFile();

private:
    std::unique_ptr<frmINI> m_window;
    QList<QUrl> m_opened;
};

void TestFrmIni::initTestCase()
{
    // As the program's start does: Qt's own settings go nowhere.
    keepNoSettings();
}

void TestFrmIni::init()
{
    m_window = std::make_unique<frmINI>();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFrmIni::cleanup()
{
    QCOMPARE(ModalScript::pending(), 0);
    m_window.reset();
}

void TestFrmIni::startState()
{
    frmINI &w = *m_window;
    const IniDocument &doc = w.document();
    QCOMPARE(w.objectName(), u"frmINI"_s);
    QCOMPARE(w.windowTitle(), u"Tarnwick"_s);
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(doc.rootText(), u"Untitled.ini"_s);
    QVERIFY(doc.rootExpanded());
    QCOMPARE(doc.selectedNode(), 1);
    QCOMPARE(doc.path(), u"Untitled"_s);
    QCOMPARE(doc.frontList(), 0);
    QCOMPARE(w.dialogs().initDir, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));

    auto *tree = child<QTreeView>(w, u"tvwSections"_s);
    auto *keys = child<QTreeView>(w, u"lstKeys"_s);
    auto *bar = child<QStatusBar>(w, u"sbBar"_s);
    QVERIFY(tree && keys && bar);
    QVERIFY(tree->selectionModel()->isSelected(tree->model()->index(0, 0)));
    QVERIFY(tree->isExpanded(tree->model()->index(0, 0)));
    QCOMPARE(child<QLabel>(w, u"sbBarPath"_s)->text(), u"Untitled.ini"_s);
    QCOMPARE(child<QLabel>(w, u"sbBarCount"_s)->text(), u"0 项"_s);
    QCOMPARE(child<QLabel>(w, u"sbBarNum"_s)->text(), u"NUM"_s);
    QCOMPARE(child<QLabel>(w, u"sbBarCaps"_s)->text(), u"CAPS"_s);
    QCOMPARE(child<QLabel>(w, u"sbBarScroll"_s)->text(), u"SCRL"_s);

    // The design's places: tree 2970 twips wide at the left, the list from 3000 twips to
    // the right edge, both as tall as the room above the status bar; client 8340 x 6150.
    const QWidget *client = w.centralWidget();
    QCOMPARE(tree->geometry(), QRect(0, 0, 198, client->height()));
    QCOMPARE(keys->geometry(), QRect(200, 0, client->width() - 200, client->height()));
    QCOMPARE(client->width(), 556);
    QCOMPARE(client->height() + bar->height(), 410);
    QCOMPARE(keys->model()->headerData(0, Qt::Horizontal).toString(), u"名称"_s);
    QCOMPARE(keys->columnWidth(0), 127);
    QCOMPARE(keys->columnWidth(1), 187);
}

void TestFrmIni::accessibleNames_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<int>("column"); // a column heading of that view, -1 for the control
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("described");
    const QString path = dataFile(u"properties-three-sections.ini"_s);
    QTest::newRow("section tree") << u"tvwSections"_s << -1 << u"项"_s << true;
    QTest::newRow("the tree's hidden column heading") << u"tvwSections"_s << 0 << u"项"_s << false;
    QTest::newRow("key list") << u"lstKeys"_s << -1 << u"名称和数据"_s << true;
    QTest::newRow("name column") << u"lstKeys"_s << 0 << u"名称"_s << true;
    QTest::newRow("data column") << u"lstKeys"_s << 1 << u"数据"_s << true;
    QTest::newRow("status bar") << u"sbBar"_s << -1 << u"状态栏"_s << false;
    // A label is read by its name alone: the panels' names follow their texts.
    QTest::newRow("path panel") << u"sbBarPath"_s << -1 << u"文件："_s + path << false;
    QTest::newRow("count panel") << u"sbBarCount"_s << -1 << u"项数：3 项目"_s << false;
    QTest::newRow("Num Lock panel") << u"sbBarNum"_s << -1 << u"数字锁定键"_s << false;
    QTest::newRow("Caps Lock panel") << u"sbBarCaps"_s << -1 << u"大写锁定键"_s << false;
    QTest::newRow("Scroll Lock panel") << u"sbBarScroll"_s << -1 << u"滚动锁定键"_s << false;
}

// What a screen reader is told about each control of the window.
void TestFrmIni::accessibleNames()
{
    QFETCH(QString, object);
    QFETCH(int, column);
    QFETCH(QString, name);
    QFETCH(bool, described);
    frmINI &w = *m_window;
    QVERIFY(w.openPath(dataFile(u"properties-three-sections.ini"_s)));
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(child<QWidget>(w, object));
    QVERIFY(control);
    if (column >= 0) {
        QList<QAccessibleInterface *> headings;
        for (int i = 0; i < control->childCount(); ++i) {
            if (control->child(i)->role() == QAccessible::ColumnHeader)
                headings << control->child(i);
        }
        QVERIFY(column < headings.size());
        control = headings[column];
    }
    QCOMPARE(control->text(QAccessible::Name), name);
    QCOMPARE(!control->text(QAccessible::Description).isEmpty(), described);
}

void TestFrmIni::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items"); // objectName|caption|shortcut|enabled
    QTest::newRow("文件") << u"mnuFile"_s << u"文件"_s
                          << QStringList{u"mnuFileNew|新建|Ctrl+N|1"_s, u"mnuFileOpen|打开|Ctrl+O|1"_s,
                                         u"Sep1"_s, u"mnuFileSave|保存|Ctrl+S|1"_s,
                                         u"mnuFileSaveAs|另存为||1"_s, u"Sep6"_s,
                                         u"mnutarnblog|Tarn博客||1"_s, u"Sep10"_s,
                                         u"mnuFileExit|退出||1"_s};
    QTest::newRow("操作") << u"mnuSection"_s << u"操作"_s
                          << QStringList{u"mnuSectionNew|新建项||1"_s, u"Sep2"_s,
                                         u"mnuSectionDelete|删除项||0"_s,
                                         u"mnuSectionRename|重命名项||0"_s, u"Sep3"_s,
                                         u"mnuSectionCopyName|复制名称||0"_s,
                                         u"mnuSectionCopyPath|复制路径||0"_s};
    QTest::newRow("名称") << u"mnuKey"_s << u"名称"_s
                          << QStringList{u"mnuKeyNew|新建名称||1"_s,
                                         u"mnuKeyChangeData|查看/修改数值||0"_s, u"Sep4"_s,
                                         u"mnuKeyDelete|删除名称||0"_s, u"mnuKeyRename|重命名名称||0"_s,
                                         u"Sep5"_s, u"mnuKeyCopyName|复制名称||0"_s,
                                         u"mnuKeyCopyPath|复制路径||0"_s,
                                         u"mnuKeyCopyValue|复制数据||0"_s};
    QTest::newRow("查看") << u"mnuView"_s << u"查看"_s
                          << QStringList{u"mnuViewStatusbar|状态栏|Ctrl+I|1"_s, u"sep45"_s,
                                         u"mnuViewRefresh|刷新|F5|1"_s,
                                         u"mnuViewProperties|属性|Ctrl+P|1"_s};
}

void TestFrmIni::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    auto *m = child<QMenu>(*m_window, menu);
    QVERIFY(m);
    QCOMPARE(m->title(), caption);
    const QList<QAction *> actions = m->actions();
    QCOMPARE(actions.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QStringList f = items[i].split(u'|');
        QCOMPARE(actions[i]->objectName(), f[0]);
        if (f.size() == 1) {
            QVERIFY(actions[i]->isSeparator());
            continue;
        }
        QCOMPARE(actions[i]->text(), f[1]);
        QCOMPARE(actions[i]->shortcut(), QKeySequence(f[2]));
        QCOMPARE(actions[i]->isEnabled(), f[3] == u"1"_s);
    }
    QVERIFY(m_window->actions().mnuViewStatusbar->isChecked());
}

void TestFrmIni::statusBarToggle()
{
    frmINI &w = *m_window;
    auto *tree = child<QTreeView>(w, u"tvwSections"_s);
    auto *keys = child<QTreeView>(w, u"lstKeys"_s);
    QStatusBar *bar = w.statusBar();
    const int treeHeight = tree->height();
    const int keysHeight = keys->height();
    const int barHeight = bar->height();
    QVERIFY(barHeight > 0);

    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(!bar->isVisible());
    QVERIFY(!w.actions().mnuViewStatusbar->isChecked());
    QCOMPARE(tree->height(), treeHeight + barHeight);
    QCOMPARE(keys->height(), keysHeight + barHeight);

    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QVERIFY(w.actions().mnuViewStatusbar->isChecked());
    QCOMPARE(tree->height(), treeHeight);
    QCOMPARE(keys->height(), keysHeight);
}

void TestFrmIni::readableAndFocusShown_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("focused"); // the view that has the keyboard focus
    QTest::newRow("light theme, focus in the tree") << false << u"tvwSections"_s;
    QTest::newRow("light theme, focus in the key list") << false << u"lstKeys"_s;
    QTest::newRow("dark theme, focus in the tree") << true << u"tvwSections"_s;
    QTest::newRow("dark theme, focus in the key list") << true << u"lstKeys"_s;
}

// The window follows the desktop's theme: under a light and a dark one every text reads
// at 4.5:1 or more (WCAG AA), selected ones too. The view with the keyboard focus shows
// it, its frame and its selection in the theme's selection colour, the other's selection
// in a quieter one.
void TestFrmIni::readableAndFocusShown()
{
    QFETCH(bool, dark);
    QFETCH(QString, focused);
    const Looks::Theme theme(dark);
    // A window made under the theme: a test runs no event loop, and Qt hands a new
    // palette to the widgets there are only once one runs.
    m_window.reset();
    const auto window = WindowDriver::openWindow(dataFile(u"properties-three-sections.ini"_s));
    QVERIFY(window);
    frmINI &w = *window;
    const WindowDriver driver(w);
    QTreeView *tree = driver.tree();
    QTreeView *keys = driver.keys();
    driver.clickNode(2); // "one": keys a and b
    w.document().setCurrentRow(2, 0, true);
    child<QWidget>(w, focused)->setFocus();
    QTRY_VERIFY(child<QWidget>(w, focused)->hasFocus());
    const QImage shot = w.grab().toImage();

    const auto inWindow = [&w](const QWidget *widget, const QRect &rect) {
        return QRect(widget->mapTo(&w, rect.topLeft()), rect.size());
    };
    const QModelIndex root = tree->model()->index(0, 0);
    const QModelIndex one = tree->model()->index(0, 0, root);
    const QHeaderView *header = keys->header();
    const QMenuBar *menus = w.menuBar();
    const bool inTree = focused == u"tvwSections"_s;
    // The selection in the view with the focus is the theme's own (few themes give it
    // 4.5:1); the quieter one of the other view is the program's.
    const QRect quietSelection = inTree
        ? inWindow(keys->viewport(), keys->visualRect(keys->model()->index(0, 0)))
        : inWindow(tree->viewport(), tree->visualRect(one));
    const QList<std::pair<QString, QRect>> texts = {
        {u"selection without the focus"_s, quietSelection},
        {u"another node"_s, inWindow(tree->viewport(), tree->visualRect(tree->model()->index(1, 0, root)))},
        {u"another key's data"_s, inWindow(keys->viewport(), keys->visualRect(keys->model()->index(1, 1)))},
        {u"column heading"_s,
         inWindow(header, QRect(header->sectionPosition(0), 0, header->sectionSize(0), header->height()))},
        {u"path panel"_s, inWindow(child<QWidget>(w, u"sbBarPath"_s), child<QWidget>(w, u"sbBarPath"_s)->rect())},
        {u"count panel"_s, inWindow(child<QWidget>(w, u"sbBarCount"_s), child<QWidget>(w, u"sbBarCount"_s)->rect())},
        {u"menu 文件"_s, inWindow(menus, menus->actionGeometry(menus->actions().constFirst()))},
    };
    for (const auto &[what, area] : texts) {
        const double ratio = Looks::inkContrast(shot, area);
        QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2:1"_s.arg(what).arg(ratio, 0, 'f', 2)));
    }

    const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    const auto rowColour = [&](const QTreeView *view, const QModelIndex &index) {
        const QRect rect = view->visualRect(index);
        return shot.pixelColor(view->viewport()->mapTo(&w, QPoint(rect.right() - 2, rect.center().y())));
    };
    const auto frameColour = [&](const QTreeView *view) {
        return shot.pixelColor(view->mapTo(&w, QPoint(0, view->height() / 2)));
    };
    // The style may shade a selection a little.
    const auto isHighlight = [&highlight](const QColor &colour) {
        return qAbs(colour.red() - highlight.red()) <= 8 && qAbs(colour.green() - highlight.green()) <= 8
               && qAbs(colour.blue() - highlight.blue()) <= 8;
    };
    QCOMPARE(isHighlight(rowColour(tree, one)), inTree);
    QCOMPARE(isHighlight(frameColour(tree)), inTree);
    QCOMPARE(isHighlight(rowColour(keys, keys->model()->index(0, 1))), !inTree);
    QCOMPARE(isHighlight(frameColour(keys)), !inTree);
}

void TestFrmIni::shortcuts_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialog"); // the title of the modal that opens, "" for none
    // The wait pointer is up while the document is replaced (never under a dialog).
    QTest::addColumn<bool>("waitWhileReset");
    QTest::newRow("Ctrl+N") << QKeySequence(u"Ctrl+N"_s) << u"mnuFileNew"_s << QString() << true;
    QTest::newRow("F5") << QKeySequence(u"F5"_s) << u"mnuViewRefresh"_s << QString() << true;
    QTest::newRow("Ctrl+O") << QKeySequence(u"Ctrl+O"_s) << u"mnuFileOpen"_s << u"打开INI文件"_s << false;
    QTest::newRow("Ctrl+S") << QKeySequence(u"Ctrl+S"_s) << u"mnuFileSave"_s << u"Save INI file"_s << false;
    QTest::newRow("Ctrl+P") << QKeySequence(u"Ctrl+P"_s) << u"mnuViewProperties"_s << u"属性"_s << false;
    QTest::newRow("Ctrl+S, folder gone") << QKeySequence(u"Ctrl+S"_s) << u"mnuFileSave"_s
                                         << u"Tarnwick"_s << false;
}

void TestFrmIni::shortcuts()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, action);
    QFETCH(QString, dialog);
    QFETCH(bool, waitWhileReset);
    frmINI &w = *m_window;
    IniDocument &doc = w.document();
    // New and Refresh show their effect on a file with an unsaved section added.
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"copy.ini"_s));
    if (dialog.isEmpty()) {
        QVERIFY(QFile::copy(dataFile(u"properties-three-sections.ini"_s), path));
        QVERIFY(w.openPath(path));
        doc.addSection(u"unsaved"_s);
    } else if (dialog == u"Tarnwick"_s) {
        doc.setPath(QDir::toNativeSeparators(dir.filePath(u"gone/x.ini"_s)));
    }
    QSignalSpy triggered(child(w, action), &QAction::triggered);
    // A cell's tooltip up when the key is pressed goes: it may name what the command replaces.
    QToolTip::showText(w.mapToGlobal(QPoint(10, 10)), u"stale"_s, &w);
    QVERIFY(QToolTip::isVisible());
    QString seen;
    bool cameBack = false;
    if (!dialog.isEmpty()) {
        ModalScript::answerNext([&seen, &cameBack](QWidget *modal) {
            seen = modal->windowTitle();
            // A window manager may offer a minimise button on any dialog; a minimised
            // modal would take the program with it and leave nothing to click.
            modal->setWindowState(Qt::WindowMinimized);
            cameBack = QTest::qWaitFor([modal] { return !(modal->windowState() & Qt::WindowMinimized); });
            static_cast<QDialog *>(modal)->reject();
        });
    }

    bool waitSeen = false;
    connect(&doc, &IniDocument::aboutToReset, this, [&waitSeen] {
        const QCursor *pointer = QGuiApplication::overrideCursor();
        waitSeen = pointer && pointer->shape() == Qt::WaitCursor;
    });
    ModalScript::takeUnexpected();

    QTest::keySequence(&w, keys);

    disconnect(&doc, &IniDocument::aboutToReset, this, nullptr);
    QCOMPARE(waitSeen, waitWhileReset);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(ModalScript::takeUnexpected(), QStringList()); // no dialog under the wait pointer
    QCOMPARE(triggered.size(), 1);
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(seen, dialog);
    QCOMPARE(cameBack, !dialog.isEmpty());
    QTRY_VERIFY(!QToolTip::isVisible());
    if (keys == QKeySequence(u"Ctrl+N"_s)) {
        QCOMPARE(doc.nodeCount(), 1);
        QCOMPARE(doc.path(), u"Untitled"_s);
    } else if (keys == QKeySequence(u"F5"_s)) {
        QCOMPARE(doc.sectionCount(), 3); // the unsaved section is gone
        QCOMPARE(doc.path(), path);
    }
}

void TestFrmIni::statusPanelsInNarrowWindow_data()
{
    QTest::addColumn<qreal>("points"); // the desktop's font
    for (const qreal points : Looks::fontSizes())
        QTest::addRow("%g pt", points) << points;
}

void TestFrmIni::statusPanelsInNarrowWindow()
{
    QFETCH(qreal, points);
    const Looks::AppFont font(points);
    // Made under the font: a test runs no event loop to hand it to the widgets there are.
    m_window.reset();
    m_window = WindowDriver::openWindow(dataFile(u"properties-three-sections.ini"_s));
    QVERIFY(m_window);
    frmINI &w = *m_window;
    const QStringList names = {u"sbBarPath"_s, u"sbBarCount"_s, u"sbBarNum"_s, u"sbBarCaps"_s,
                               u"sbBarScroll"_s};
    const QList<int> minimum = {96, 96, 40, 40, 40};
    for (int width : {800, 556, 250, 120}) {
        w.resize(width, w.height());
        QTRY_COMPARE(w.width(), width);
        auto *bar = child<QStatusBar>(w, u"sbBar"_s);
        int right = -1;
        for (qsizetype i = 0; i < names.size(); ++i) {
            auto *panel = child<QLabel>(w, names[i]);
            const QRect place(panel->mapTo(bar, QPoint()), panel->size());
            // Each panel whole, after the one before it: nothing drawn over another. Only
            // the path may be cut; the others are as wide as their texts.
            QVERIFY2(panel->width() >= minimum[i], qPrintable(names[i]));
            if (i > 0)
                QVERIFY2(panel->width() >= panel->sizeHint().width(),
                         qPrintable(u"%1: %2 for %3"_s.arg(names[i]).arg(panel->width()).arg(panel->sizeHint().width())));
            if (points == 9 && i > 1)
                QCOMPARE(panel->width(), 40); // the design's width at the default font
            QVERIFY2(place.left() > right, qPrintable(u"%1 at %2"_s.arg(names[i]).arg(width)));
            right = place.right();
        }
        if (width >= 556) // room for all: the path takes what the others leave
            QVERIFY(right < bar->width());
    }
}

void TestFrmIni::toolTipsOnCutCells()
{
    frmINI &w = *m_window;
    const QString longName = u"很长的名称"_s + QString(200, u'n') + u"<end>"_s;
    const QString longData = QString(5000, u'd');
    DocumentContent content;
    auto section = std::make_unique<Section>();
    section->name = longName;
    section->keys.assign({KeyRow(longName, u"short"_s), KeyRow(u"k"_s, longData)}, 0, true);
    content.sections.push_back(std::move(section));
    w.document().reset(u"/t/a.ini"_s, u"a.ini"_s, std::move(content));
    w.document().setFrontList(2);

    auto *tree = child<QTreeView>(w, u"tvwSections"_s);
    auto *keys = child<QTreeView>(w, u"lstKeys"_s);
    // Points at a cell as a user does and reads the tooltip that comes up ("" for none).
    auto tipAt = [](QAbstractItemView *view, const QModelIndex &index) -> QString {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return u"(an earlier tooltip stayed)"_s;
        const QPoint at = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        // The tooltip may wrap anywhere: it carries a zero-width space after each character.
        return QToolTip::isVisible() ? QToolTip::text().remove(QChar(0x200B)) : QString();
    };
    const QModelIndex node = tree->model()->index(0, 0, tree->model()->index(0, 0));
    QCOMPARE(tipAt(tree, node), Qt::convertFromPlainText(longName, Qt::WhiteSpaceNormal));
    QCOMPARE(tipAt(keys, keys->model()->index(0, 0)), Qt::convertFromPlainText(longName, Qt::WhiteSpaceNormal));
    // Markup in a name is shown as written.
    QVERIFY(tipAt(keys, keys->model()->index(0, 0)).contains(u"&lt;end&gt;"_s));
    const QString dataTip = tipAt(keys, keys->model()->index(1, 1));
    QVERIFY2(dataTip.contains(u"共 5,000 个字符"_s), qPrintable(dataTip));
    // Cells shown whole have no tooltip.
    QCOMPARE(tipAt(keys, keys->model()->index(0, 1)), QString());
    QCOMPARE(tipAt(keys, keys->model()->index(1, 0)), QString());
    QCOMPARE(tipAt(tree, tree->model()->index(0, 0)), QString());
    QToolTip::hideText();
}

void TestFrmIni::tarnBlogOpensUserGuide()
{
    frmINI &w = *m_window;
    m_opened.clear();
    QDesktopServices::setUrlHandler(u"file"_s, this, "openedByDesktop");
    w.actions().mnutarnblog->trigger();
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(m_opened.size(), 1);
    const QUrl url = m_opened.constFirst();
    QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
    QVERIFY(url.toLocalFile().endsWith(u"guide.html"_s));
    const QString html = QString::fromUtf8(TestFiles::readBytes(url.toLocalFile()));
    QVERIFY(html.contains(u"<html lang=\"zh-CN\">"_s));
    QVERIFY(html.contains(u"Tarnwick 用户指南"_s));
}

void TestFrmIni::openThroughRealDialog()
{
    frmINI &w = *m_window;
    const QString path = dataFile(u"properties-three-sections.ini"_s);
    QString title, name;
    ModalScript::answerNext([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        name = dialog->objectName();
        QCOMPARE(dialog->nameFilters(), QStringList({u"配置设置 (*.ini)"_s, u"全部文件 (*)"_s}));
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    w.actions().mnuFileOpen->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(title, u"打开INI文件"_s);
    QCOMPARE(name, u"Dialogs"_s);
    QCOMPARE(w.document().path(), path);
    QCOMPARE(w.document().sectionCount(), 3);
    QCOMPARE(child<QLabel>(w, u"sbBarCount"_s)->text(), u"3 项目"_s);
    QVERIFY(w.dialogs().fileName.isEmpty());
    // The dialog, now destroyed, left no history behind: Qt's settings of its own
    // cannot be written.
    const QSettings qtOwn(QSettings::UserScope, u"QtProject"_s);
    QVERIFY2(!qtOwn.isWritable(), qPrintable(qtOwn.fileName()));
    QVERIFY(!QFileInfo::exists(qtOwn.fileName()));
}

void TestFrmIni::saveUntitledThroughRealDialog()
{
    frmINI &w = *m_window;
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"new.ini"_s));
    w.document().addSection(u"s"_s);
    ModalScript::answerNext([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"Save INI file"_s);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    w.actions().mnuFileSave->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(TestFiles::readBytes(path, "<missing>"), QByteArray("[s]\r\n"));
    QCOMPARE(w.document().path(), path);
    QCOMPARE(w.document().rootText(), u"new.ini"_s);
}

void TestFrmIni::failedSaveShowsMessageBox()
{
    frmINI &w = *m_window;
    QTemporaryDir dir;
    const QString bad = QDir::toNativeSeparators(dir.filePath(u"missing/folder/x.ini"_s));
    IniDocument &doc = w.document();
    doc.setPath(bad);
    doc.addSection(u"s"_s);
    QString title, text;
    ModalScript::answerNext([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    w.actions().mnuFileSave->trigger();
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(title, u"Tarnwick"_s);
    QVERIFY2(text.contains(bad), qPrintable(text));
    QCOMPARE(doc.path(), bad);
    QCOMPARE(doc.sectionCount(), 1);
    QCOMPARE(child<QLabel>(w, u"sbBarPath"_s)->text(), u"Untitled.ini"_s);
}

void TestFrmIni::propertiesDialog()
{
    frmINI &w = *m_window;
    QVERIFY(w.openPath(dataFile(u"properties-three-sections.ini"_s)));
    QString sections, keys, owner;
    ModalScript::answerNext([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), u"frmProperties"_s);
        sections = modal->findChild<QLabel *>(u"lblSections"_s)->text();
        keys = modal->findChild<QLabel *>(u"lblKeys"_s)->text();
        owner = modal->parentWidget() ? modal->parentWidget()->objectName() : QString();
        static_cast<QDialog *>(modal)->accept();
    });
    QTest::keySequence(&w, QKeySequence(u"Ctrl+P"_s));
    QCOMPARE(ModalScript::pending(), 0);
    QCOMPARE(sections, u"3个"_s);
    QCOMPARE(keys, u"8个"_s);
    QCOMPARE(owner, u"frmINI"_s);
}

void TestFrmIni::dropOpensFile_data()
{
    // Files made in a temporary folder under their names in the system's bytes, each
    // holding one section; the first is dropped. None: the three-section data file.
    QTest::addColumn<QByteArrayList>("made");
    QTest::newRow("a file") << QByteArrayList();
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) // names are bytes
    // The dropped URL keeps the byte as %FF; its text reads as another name.
    QTest::newRow("a name not valid in the system's encoding")
        << QByteArrayList{"bad\xFFname.ini"};
    QTest::newRow("beside a look-alike valid name")
        << QByteArrayList{"bad\xFFname.ini", "bad\xEF\xBF\xBDname.ini"};
#endif
}

void TestFrmIni::dropOpensFile()
{
    QFETCH(QByteArrayList, made);
    frmINI &w = *m_window;
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    // Qt's own clean-up leaves out names that are not valid text.
    const auto removeMade = qScopeGuard([&] {
        for (const QByteArray &name : made)
            std::remove((folder + name).constData());
    });
    for (const QByteArray &name : made) {
        std::FILE *file = std::fopen((folder + name).constData(), "wb");
        QVERIFY(file);
        std::fputs("[s]\r\n", file);
        std::fclose(file);
    }
    const QByteArray dropped = made.isEmpty()
        ? QFile::encodeName(QDir::fromNativeSeparators(dataFile(u"properties-three-sections.ini"_s)))
        : folder + made.constFirst();
    // A URL made from the text would have lost the byte already.
    const QUrl url = made.isEmpty() ? QUrl::fromLocalFile(QFile::decodeName(dropped))
                                    : QUrl::fromEncoded("file://" + dropped.toPercentEncoding("/"));
    const bool refused = !fileNameBytesSurvive(dropped);
    QString text;
    if (refused) {
        ModalScript::answerNext([&text](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
    }

    QMimeData mime;
    mime.setUrls({url});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &drop);

    if (!refused) {
        QTRY_COMPARE(w.document().path(), QDir::toNativeSeparators(QFile::decodeName(dropped)));
        QCOMPARE(w.document().sectionCount(), 3);
        return;
    }
    QTRY_COMPARE(ModalScript::pending(), 0);
    QVERIFY2(text.contains(undecodableNameReason()), qPrintable(text));
    QVERIFY2(text.contains(QFile::decodeName(dropped)), qPrintable(text));
    // Neither the look-alike file was read nor one of the name the text spells made.
    QCOMPARE(w.document().path(), u"Untitled"_s);
    QCOMPARE(w.document().sectionCount(), 0);
    QCOMPARE(child<QLabel>(w, u"sbBarPath"_s)->text(), u"Untitled.ini"_s);
}

QTEST_MAIN(TestFrmIni)
#include "tst_frmini.moc"
