#pragma once

#include <chrono>
#include <memory>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace testsupport {

// How long a dialog may take to come up, and to go once answered.
inline constexpr std::chrono::seconds modalDeadline{20};

// Fails the test and closes the dialog when it is still open a deadline after it was answered:
// an answer the dialog did not take would otherwise hang the test until the suite's timeout.
inline void expectClosedAfterAnswer(QDialog* dialog, const char* className)
{
    if (!dialog->isVisible())
        return;
    auto* watch = new QTimer(dialog);
    watch->setSingleShot(true);
    QObject::connect(dialog, &QDialog::finished, watch, &QObject::deleteLater);
    QObject::connect(watch, &QTimer::timeout, dialog, [dialog, watch, className] {
        watch->deleteLater();
        if (!dialog->isVisible())
            return;
        ADD_FAILURE() << "the modal " << className << " is still open after its answer";
        dialog->reject();
    });
    watch->start(modalDeadline);
}

// Runs action on the first modal dialog of type T that comes up. A dialog that does not come up
// within the deadline, another dialog in its place, or one still open a deadline after action
// fails the test and is closed, so a fault shows as a failure instead of a hang.
template <class T, class F> void onModal(F action)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto deadline = std::make_shared<QDeadlineTimer>(modalDeadline);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            const QPointer<T> answered(dialog);
            action(dialog);
            if (answered)
                expectClosedAfterAnswer(answered, T::staticMetaObject.className());
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
