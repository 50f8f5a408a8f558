#include "statuspanels.h"

#include "inidocument.h"
#include "lockkeystate.h"
#include "panelrow.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QLabel *makePanel(QStatusBar *bar, const QString &name, const QString &text, int minimumWidth)
{
    auto *panel = new QLabel(text, bar);
    panel->setObjectName(name);
    panel->setMinimumWidth(minimumWidth);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

} // namespace

StatusPanels::StatusPanels(QStatusBar *bar, IniDocument &doc)
    : QObject(bar), m_doc(doc), m_locks(new LockKeyState)
{
    // Twips to pixels at 96 dpi: 4740 → 316, 1440 → 96, 600 → 40.
    m_path = makePanel(bar, u"sbBarPath"_s, {}, 96);
    m_count = makePanel(bar, u"sbBarCount"_s, {}, 96);
    m_num = makePanel(bar, u"sbBarNum"_s, u"NUM"_s, 40);
    m_caps = makePanel(bar, u"sbBarCaps"_s, u"CAPS"_s, 40);
    m_scroll = makePanel(bar, u"sbBarScroll"_s, u"SCRL"_s, 40);
    for (QLabel *lock : {m_num, m_caps, m_scroll})
        lock->setAlignment(Qt::AlignCenter);
    m_num->setAccessibleName(u"数字锁定键"_s);
    m_caps->setAccessibleName(u"大写锁定键"_s);
    m_scroll->setAccessibleName(u"滚动锁定键"_s);
    showTexts(); // before the bar measures the panels: a Chinese text needs a taller line

    // The bar's own layout squeezes widgets below their minimum and draws them over one
    // another in a narrow window; the row keeps each panel whole and cuts at the edge.
    auto *row = new PanelRow(bar);
    row->setObjectName(u"sbBarPanels"_s);
    row->addPanel(m_path, 316);
    for (QLabel *panel : {m_count, m_num, m_caps, m_scroll})
        row->addPanel(panel, panel->minimumWidth());
    bar->addWidget(row, 1);

    connect(&doc, &IniDocument::statusTextsChanged, this, &StatusPanels::showTexts);

    if (m_locks->available()) {
        // X11 sends no event for a lock key pressed in another window, so ask now and then.
        m_poll = new QTimer(this);
        m_poll->setInterval(300);
        connect(m_poll, &QTimer::timeout, this, &StatusPanels::showLockStates);
        m_poll->start();
        showLockStates();
    }
}

StatusPanels::~StatusPanels()
{
    delete m_locks;
}

void StatusPanels::showTexts()
{
    m_path->setText(m_doc.statusPath());
    m_count->setText(m_doc.statusCount());
    // A screen reader reads a label's name in place of its text: both are in it.
    m_path->setAccessibleName(u"文件：%1"_s.arg(m_doc.statusPath()));
    m_count->setAccessibleName(u"项数：%1"_s.arg(m_doc.statusCount()));
}

void StatusPanels::showLockStates()
{
    const std::pair<QLabel *, bool> states[] = {
        {m_num, m_locks->numLock()}, {m_caps, m_locks->capsLock()}, {m_scroll, m_locks->scrollLock()}};
    for (const auto &[panel, on] : states) {
        panel->setEnabled(on);
        panel->setAccessibleDescription(on ? u"已打开"_s : u"已关闭"_s);
    }
}
