#include "eventswindowtest.h"

#include "modalscript.h"

#include <QTest>

void EventsWindowTest::init()
{
    m_window = WindowDriver::openWindow(QStringLiteral(TARNWICK_TEST_DATA "/window-events.ini"));
    QVERIFY(m_window);
    m_ui = std::make_unique<WindowDriver>(*m_window);
    m_doc = &m_window->document();
}

void EventsWindowTest::cleanup()
{
    m_ui->closeMenus();
    QCOMPARE(ModalScript::pending(), 0);
    m_ui.reset();
    m_window.reset();
}
