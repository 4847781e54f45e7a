#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
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
