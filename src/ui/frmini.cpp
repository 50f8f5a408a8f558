#include "frmini.h"

#include "filecommands.h"
#include "filenamecheck.h"
#include "keycommands.h"
#include "keylistmodel.h"
#include "keylistview.h"
#include "sectioncommands.h"
#include "sectiontreemodel.h"
#include "sectiontreeview.h"
#include "statuspanels.h"
#include "textboxaccessible.h"
#include "userguide.h"
#include "windowhost.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolTip>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {
// The design's places in pixels at 96 dpi (15 twips a pixel): the tree is 2970 twips
// wide, the key list starts at 3000, and the client area is 8340 by 6150.
constexpr int treeWidth = 198;
constexpr int listLeft = 200;
constexpr int clientWidth = 556;
constexpr int clientHeight = 410;
}

frmINI::frmINI(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(u"frmINI"_s);
    setWindowTitle(u"Tarnwick"_s);
    setWindowIcon(QIcon(u":/icons/tarnwick.svg"_s));
    setAcceptDrops(true);
    // Every text box of the program, the dialogs' included, answers a screen reader
    // without freezing at the end of its text.
    TextBoxAccessibility::install();

    createViews();
    m_host = std::make_unique<WindowHost>(this, tvwSections, lstKeys, m_dialogs);
    m_fileCommands = std::make_unique<FileCommands>(m_doc, *m_host, m_dialogs);
    m_sectionCommands = std::make_unique<SectionCommands>(m_doc, *m_host);
    m_keyCommands = std::make_unique<KeyCommands>(m_doc, *m_host);
    createActions();
    connectActions();
    Form_Load();

    // The client area excludes the menu bar; the status bar is part of it.
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

frmINI::~frmINI()
{
    // The views and models read the document, a member, which is gone before the
    // base class deletes its children: let them go first.
    delete m_client;
    delete m_treeModel;
    delete m_keyModel;
}

void frmINI::createViews()
{
    m_treeModel = new SectionTreeModel(m_doc, this);
    m_keyModel = new KeyListModel(m_doc, this);

    m_client = new QWidget(this);
    m_client->setObjectName(u"frmINIClient"_s);
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    tvwSections = new SectionTreeView(m_client);
    tvwSections->setObjectName(u"tvwSections"_s);
    tvwSections->setAccessibleName(u"项"_s);
    tvwSections->setAccessibleDescription(u"文件中的各项；选中一项，右边列出它的名称和数据"_s);
    tvwSections->bind(m_doc, m_treeModel);

    lstKeys = new KeyListView(m_client);
    lstKeys->setObjectName(u"lstKeys"_s);
    lstKeys->setAccessibleName(u"名称和数据"_s);
    lstKeys->setAccessibleDescription(u"所选项中的名称及其数据"_s);
    lstKeys->bind(m_doc, m_keyModel);

    QStatusBar *sbBar = statusBar();
    sbBar->setObjectName(u"sbBar"_s);
    sbBar->setAccessibleName(u"状态栏"_s);
    m_panels = new StatusPanels(sbBar, m_doc);

    connect(tvwSections, &SectionTreeView::nodeClicked, this,
            [this](int treeIndex) { m_sectionCommands->tvwSections_NodeClick(treeIndex); });
    connect(tvwSections, &SectionTreeView::rightReleased, this, &frmINI::tvwSections_MouseUp);
    connect(lstKeys, &KeyListView::rightReleased, this, &frmINI::lstKeys_MouseUp);
    connect(lstKeys, &KeyListView::keyDoubleClicked, this, &frmINI::lstKeys_DblClick);
}

void frmINI::createActions()
{
    m_actions = MainActions::create(this);
    menuBar()->setObjectName(u"frmINIMenuBar"_s);
}

void frmINI::connectActions()
{
    const MainActions &a = m_actions;
    FileCommands *file = m_fileCommands.get();
    SectionCommands *section = m_sectionCommands.get();
    KeyCommands *key = m_keyCommands.get();

    onTriggered(a.mnuFileNew, [file] { file->mnuFileNew_Click(); });
    onTriggered(a.mnuFileOpen, [file] { file->mnuFileOpen_Click(); });
    onTriggered(a.mnuFileSave, [file] { file->mnuFileSave_Click(); });
    onTriggered(a.mnuFileSaveAs, [file] { file->mnuFileSaveAs_Click(); });
    onTriggered(a.mnutarnblog, [this] { mnutarnblog_Click(); });
    onTriggered(a.mnuFileExit, [file] { file->mnuFileExit_Click(); });

    onTriggered(a.mnuSectionNew, [section] { section->mnuSectionNew_Click(); });
    onTriggered(a.mnuSectionDelete, [section] { section->mnuSectionDelete_Click(); });
    onTriggered(a.mnuSectionRename, [section] { section->mnuSectionRename_Click(); });
    onTriggered(a.mnuSectionCopyName, [section] { section->mnuSectionCopyName_Click(); });
    onTriggered(a.mnuSectionCopyPath, [section] { section->mnuSectionCopyPath_Click(); });

    onTriggered(a.mnuKeyNew, [key] { key->mnuKeyNew_Click(); });
    onTriggered(a.mnuKeyChangeData, [key] { key->mnuKeyChangeData_Click(); });
    onTriggered(a.mnuKeyDelete, [key] { key->mnuKeyDelete_Click(); });
    onTriggered(a.mnuKeyRename, [key] { key->mnuKeyRename_Click(); });
    onTriggered(a.mnuKeyCopyName, [key] { key->mnuKeyCopyName_Click(); });
    onTriggered(a.mnuKeyCopyPath, [key] { key->mnuKeyCopyPath_Click(); });
    onTriggered(a.mnuKeyCopyValue, [key] { key->mnuKeyCopyValue_Click(); });

    onTriggered(a.mnuViewStatusbar,
                [this] { mnuViewStatusbar_Click(m_actions.mnuViewStatusbar->isChecked()); });
    onTriggered(a.mnuViewRefresh, [file] { file->mnuViewRefresh_Click(); });
    onTriggered(a.mnuViewProperties, [file] { file->mnuViewProperties_Click(); });
}

void frmINI::onTriggered(QAction *item, const std::function<void()> &command)
{
    // However the item is chosen (menu bar, context menu, shortcut), a name being typed
    // in place is taken first, so that the command works on what the user sees. A cell's
    // tooltip goes too: a key press closes it, but not one taken as a shortcut, and it
    // would go on showing a text that New, Refresh or Open has just replaced.
    connect(item, &QAction::triggered, this, [this, command] {
        QToolTip::hideText();
        commitInPlaceEdits();
        command();
    });
}

void frmINI::commitInPlaceEdits()
{
    tvwSections->commitEdit();
    lstKeys->commitEdit();
}

void frmINI::Form_Load()
{
    m_doc.setRootExpanded(true);
    m_doc.setSelectedNode(1);
    m_dialogs.initDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    m_doc.setPath(IniDocument::untitledPath());
}

bool frmINI::openPath(const QString &path, bool nameBytesSurvive, std::optional<TextEncoding> encoding)
{
    commitInPlaceEdits();
    return m_fileCommands->openPath(path, nameBytesSurvive, encoding);
}

bool frmINI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layoutViews();
    return QMainWindow::eventFilter(watched, event);
}

void frmINI::layoutViews()
{
    // The tree and the list fill the client height above the status bar; the list
    // takes the width right of the tree. One view shows every list, so a list that
    // comes to the front later is laid out like the others at once.
    const int height = m_client->height();
    tvwSections->setGeometry(0, 0, treeWidth, height);
    lstKeys->setGeometry(listLeft, 0, qMax(0, m_client->width() - listLeft), height);
}

void frmINI::mnuViewStatusbar_Click(bool checked)
{
    statusBar()->setVisible(checked);
    // Lay out now rather than on the next pass of the event loop.
    layout()->activate();
}

void frmINI::mnutarnblog_Click()
{
    // The browser opens the guide as a local page; a missing page opens nothing.
    const QString guide = UserGuide::path();
    if (!guide.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}

void frmINI::tvwSections_MouseUp(const QPoint &globalPos)
{
    const SectionMenuFlags flags = SectionCommands::sectionMenuFlags(m_doc);
    m_actions.mnuSectionDelete->setEnabled(flags.deleteEnabled);
    m_actions.mnuSectionRename->setEnabled(flags.renameEnabled);
    m_actions.mnuSectionCopyName->setEnabled(flags.copyNameEnabled);
    m_actions.mnuSectionCopyPath->setEnabled(flags.copyPathEnabled);
    m_actions.mnuSection->popup(globalPos);
}

void frmINI::lstKeys_MouseUp(const QPoint &globalPos)
{
    const KeyMenuFlags flags = KeyCommands::keyMenuFlags(m_doc, m_keyModel->member());
    m_actions.mnuKeyNew->setEnabled(flags.newEnabled);
    m_actions.mnuKeyChangeData->setEnabled(flags.changeDataEnabled);
    m_actions.mnuKeyDelete->setEnabled(flags.deleteEnabled);
    m_actions.mnuKeyRename->setEnabled(flags.renameEnabled);
    m_actions.mnuKeyCopyName->setEnabled(flags.copyNameEnabled);
    m_actions.mnuKeyCopyPath->setEnabled(flags.copyPathEnabled);
    m_actions.mnuKeyCopyValue->setEnabled(flags.copyValueEnabled);
    m_actions.mnuKey->popup(globalPos);
}

void frmINI::lstKeys_DblClick()
{
    commitInPlaceEdits();
    m_keyCommands->mnuKeyChangeData_Click();
}

void frmINI::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void frmINI::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    // Open once the drop is over: the read may show a message box, which should not
    // keep the dragging program waiting.
    const QUrl &url = urls.constFirst();
    const QString path = QDir::toNativeSeparators(url.toLocalFile());
    const bool intact = urlNameBytesSurvive(url);
    QMetaObject::invokeMethod(this, [this, path, intact] { openPath(path, intact); },
                              Qt::QueuedConnection);
}
