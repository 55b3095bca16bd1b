#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace qcm::test {

// The box's button of that number.
inline QPushButton *cmd(QWidget *box, int i)
{
    return box->findChild<QPushButton *>(QStringLiteral("cmd(%1)").arg(i));
}

// Acts on the modal window of type T as soon as a modal call shows it. A
// window that never shows fails the test and closes whatever is modal, so
// that a broken box cannot hang the run.
template <typename T> void whenShown(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, action] {
        if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget()); window && window->isVisible()) {
            timer->deleteLater();
            timer->stop();
            action(window);
        } else if (deadline.hasExpired()) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " was shown";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start(5);
}

} // namespace qcm::test
