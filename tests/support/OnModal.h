#pragma once

#include <chrono>
#include <memory>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace testsupport {

// Runs action on the first modal dialog of type T that comes up. A dialog that does not come up
// within the deadline, or another dialog in its place, fails the test and is closed, so a fault
// shows as a failure instead of a hang.
template <class T, class F> void onModal(F action)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto deadline = std::make_shared<QDeadlineTimer>(std::chrono::seconds(20));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        } else if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "expected a modal " << T::staticMetaObject.className() << ", found "
                          << (modal ? modal->metaObject()->className() : "none");
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
        }
    });
    timer->start();
}

} // namespace testsupport
