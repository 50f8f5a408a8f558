#include "modalscript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace {
std::vector<QPointer<QTimer>> waiting;
int answering = 0; // answers running now (they may wait in a nested dialog)
QStringList unexpected;

// A dialog that asks the user something under the wait pointer is a fault of its own.
void noteWaitPointer(const QWidget *modal)
{
    if (QGuiApplication::overrideCursor())
        unexpected << modal->windowTitle() + QStringLiteral(" (under the wait pointer)");
}

void forget(QTimer *timer)
{
    std::erase_if(waiting, [timer](const QPointer<QTimer> &t) { return t.isNull() || t == timer; });
}

void closeModal(QWidget *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        for (QMessageBox::StandardButton b : {QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel}) {
            if (QAbstractButton *button = box->button(b)) {
                button->click();
                return;
            }
        }
    }
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}
} // namespace

void ModalScript::answerNext(std::function<void(QWidget *)> answer)
{
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    timer->setInterval(0);
    waiting.emplace_back(timer);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, before, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before)
            return;
        timer->stop();
        forget(timer);
        timer->deleteLater();
        noteWaitPointer(modal);
        ++answering;
        answer(modal);
        --answering;
    });
    timer->start();
}

int ModalScript::pending()
{
    forget(nullptr);
    return int(waiting.size());
}

int ModalScript::dropPending()
{
    const int n = pending();
    for (const QPointer<QTimer> &timer : waiting)
        delete timer.data();
    waiting.clear();
    return n;
}

void ModalScript::startWatchdog()
{
    static QPointer<QWidget> seen;
    auto *timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || pending() > 0 || answering > 0) {
            seen = nullptr;
            return;
        }
        // Seen twice in a row with nobody waiting for it: nobody will answer it.
        if (seen != modal) {
            seen = modal;
            return;
        }
        seen = nullptr;
        noteWaitPointer(modal);
        unexpected << modal->objectName() + QStringLiteral(" \"") + modal->windowTitle() + u'"';
        closeModal(modal);
    });
    timer->start();
}

QStringList ModalScript::takeUnexpected()
{
    return std::exchange(unexpected, {});
}
