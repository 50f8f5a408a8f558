#pragma once

#include <QObject>

class IniDocument;
class LockKeyState;
class QLabel;
class QStatusBar;
class QTimer;

// Fills the status bar `sbBar` with its five panels: the path text (4740 twips, at
// least 1440, growing with the window), the section count text (1440), and "NUM",
// "CAPS" and "SCRL" (600 each); with a larger font, the last four grow to their texts.
// In a window too narrow for them all, each panel keeps its minimum width and the bar
// cuts off what does not fit at its right edge. Panels 1 and 2
// follow the document's status texts.
// The lock panels show their label in full colour while the key is on and greyed
// while it is off, where the platform tells the states; elsewhere they just show
// their labels. Each panel's accessible name says, in Chinese, what it shows (the path
// and count panels' names hold their texts); a lock panel's description says whether
// the key is on, where that is known.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    StatusPanels(QStatusBar *bar, IniDocument &doc);
    ~StatusPanels() override;

private:
    void showTexts();
    void showLockStates();

    IniDocument &m_doc;
    QLabel *m_path;
    QLabel *m_count;
    QLabel *m_num;
    QLabel *m_caps;
    QLabel *m_scroll;
    LockKeyState *m_locks;
    QTimer *m_poll = nullptr;
};
