#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace testsupport {

TempHome::TempHome()
    : m_home("QUINTARA_HOME", m_dir.path().toUtf8())
{
}

TempHome::~TempHome() = default;

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    QDeadlineTimer timer(deadline);
    while (!condition()) {
        if (timer.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

int threadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

int steadyThreadCount()
{
    QDeadlineTimer give(std::chrono::seconds(2));
    int count = threadCount();
    for (int same = 0; same < 20 && !give.hasExpired(); ++same) {
        QThread::msleep(10);
        if (threadCount() != count) {
            count = threadCount();
            same = 0;
        }
    }
    return count;
}

bool threadsSettleAt(int count, std::chrono::milliseconds deadline)
{
    return waitUntil([count] { return threadCount() == count; }, deadline);
}

QString testDataPath(const QString& relative)
{
    return QStringLiteral(QUINTARA_TEST_DATA "/") + relative;
}

QString readTestData(const QString& relative)
{
    QFile file(testDataPath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace testsupport
