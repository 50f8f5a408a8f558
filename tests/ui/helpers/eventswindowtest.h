#pragma once

#include "frmini.h"
#include "windowdriver.h"

#include <QObject>

#include <memory>

// The fixture of the window tests that work on the events corpus file: before each test
// function a fresh main window with window-events.ini open, driven by m_ui; after it no
// context menu stays open and no modal answer is left waiting.
class EventsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

protected:
    std::unique_ptr<frmINI> m_window;
    std::unique_ptr<WindowDriver> m_ui;
    IniDocument *m_doc = nullptr;
};
