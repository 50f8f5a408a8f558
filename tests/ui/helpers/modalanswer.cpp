#include "modalanswer.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
int pending = 0;
}

void answerNextModal(std::function<void(QWidget *)> answer)
{
    ++pending;
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, before, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before)
            return;
        timer->stop();
        timer->deleteLater();
        --pending;
        answer(modal);
    });
    timer->start();
}

bool allModalsAnswered()
{
    return pending == 0;
}
