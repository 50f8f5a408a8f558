#pragma once

#include <QStringList>
#include <functional>

class QWidget;

// Scripted answers to modal dialogs: each answer waits, polled on every turn of the event
// loop, for QApplication::activeModalWidget() to be a dialog other than the ones already
// open, and runs once with it. Answers for dialogs that never came can be dropped, and a
// watchdog closes dialogs nobody expected.
namespace ModalScript {

// Answers the next modal dialog other than the ones already open. The answer must close
// it. Answers may schedule answers of their own before they open a nested dialog.
void answerNext(std::function<void(QWidget *)> answer);
// Answers still waiting for their dialog.
int pending();
// Drops every waiting answer; returns how many there were.
int dropPending();

// Starts a timer that closes any modal dialog no answer waits for and remembers its
// title, so that an unexpected dialog fails a test instead of hanging it.
void startWatchdog();
// The titles of the unexpected dialogs closed since the last call, and of every dialog
// answered or closed while the wait pointer was up (a user could not tell it waits).
QStringList takeUnexpected();

} // namespace ModalScript
