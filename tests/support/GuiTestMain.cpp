#include <QApplication>
#include <QEvent>
#include <QThreadPool>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt's own pool (image work of the windows) lets its threads go as soon as they are idle, so
    // that tests counting threads see only those the program started.
    QThreadPool::globalInstance()->setExpiryTimeout(0);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Objects released by worker threads are deleted on this thread's queue; no loop runs again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
