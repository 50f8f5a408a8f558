#pragma once

#include <QString>
#include <functional>

class QWidget;

// Answers the next modal dialog: a timer waits until QApplication::activeModalWidget()
// is a widget other than the ones already open, then calls answer with it once. The
// answer must close the dialog (accept, reject or a button click).
void answerNextModal(std::function<void(QWidget *)> answer);

// True once every answer handed to answerNextModal ran.
bool allModalsAnswered();
