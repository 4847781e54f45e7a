#include "engine/platform/CThreadLauncher.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaMethod>

#include "engine/ComponentRegistry.h"
#include "engine/platform/WorkerThread.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

const QString kSource = QStringLiteral("CThreadLauncher.Run");
constexpr auto kShutdownWait = std::chrono::seconds(10);

// Every thread started by Run, held until it has ended and been joined.
class RunningThreads {
public:
    RunningThreads() = default;
    RunningThreads(const RunningThreads&) = delete;
    RunningThreads& operator=(const RunningThreads&) = delete;

    ~RunningThreads()
    {
        const QDeadlineTimer deadline(kShutdownWait);
        for (auto& thread : m_threads) {
            if (!thread->wait(deadline)) {
                // A QThread must not be destroyed while it runs: one that will not end by now is
                // deliberately never freed and ends with the process.
                static_cast<void>(
                    std::make_unique<std::shared_ptr<WorkerThread>>(std::move(thread)).release());
            }
        }
    }

    void add(std::shared_ptr<WorkerThread> thread)
    {
        const std::lock_guard lock(m_mutex);
        m_threads.push_back(std::move(thread));
    }

    void remove(const WorkerThread* thread)
    {
        std::shared_ptr<WorkerThread> removed;
        const std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_threads.begin(), m_threads.end(),
                                     [thread](const auto& held) { return held.get() == thread; });
        if (it != m_threads.end()) {
            removed = std::move(*it);
            m_threads.erase(it);
        }
    }

    // Joins and lets go of the threads that have ended; returns how many still run.
    int reap()
    {
        std::vector<std::shared_ptr<WorkerThread>> ended;
        const std::lock_guard lock(m_mutex);
        const auto firstEnded =
            std::stable_partition(m_threads.begin(), m_threads.end(),
                                  [](const auto& thread) { return !thread->isFinished(); });
        std::move(firstEnded, m_threads.end(), std::back_inserter(ended));
        m_threads.erase(firstEnded, m_threads.end());
        for (const auto& thread : ended)
            thread->wait();
        return static_cast<int>(m_threads.size());
    }

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<WorkerThread>> m_threads;
};

RunningThreads& runningThreads()
{
    static RunningThreads threads;
    return threads;
}

int findMethod(const QMetaObject& metaObject, const QString& methodName)
{
    const QMetaType dataType = QMetaType::fromType<CKeyedCollectionPtr>();
    for (int i = 0; i < metaObject.methodCount(); ++i) {
        const QMetaMethod method = metaObject.method(i);
        const bool callable =
            method.access() == QMetaMethod::Public && (method.methodType() == QMetaMethod::Method ||
                                                       method.methodType() == QMetaMethod::Slot);
        if (callable && method.parameterCount() == 1 && method.parameterMetaType(0) == dataType &&
            QString::fromLatin1(method.name()).compare(methodName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

CThreadLauncher::Handle CThreadLauncher::Run(const QString& progId, const QString& methodName,
                                             CKeyedCollectionPtr data) const
{
    const ComponentRegistry::Component component = ComponentRegistry::instance().find(progId);
    const int methodIndex = findMethod(*component.metaObject, methodName);
    if (methodIndex < 0)
        throw ZError(kUnknownMethod,
                     QStringLiteral("The component \"%1\" has no method \"%2\" taking a parameter "
                                    "collection")
                         .arg(progId, methodName),
                     kSource);

    const QString description = progId + QLatin1Char('.') + methodName;
    auto thread = std::make_shared<WorkerThread>(component.factory, methodIndex, std::move(data),
                                                 description);
    runningThreads().reap();
    runningThreads().add(thread);
    thread->start();
    // A thread that started is running or, when very quick, already finished.
    if (!thread->isRunning() && !thread->isFinished()) {
        runningThreads().remove(thread.get());
        throw ZError(kUnexpected,
                     QStringLiteral("The thread for %1 could not be started").arg(description),
                     kSource);
    }
    return thread;
}

std::unique_ptr<QObject> CThreadLauncher::CreateObject(const QString& progId) const
{
    return ComponentRegistry::instance().create(progId);
}

int CThreadLauncher::runningCount()
{
    return runningThreads().reap();
}

bool CThreadLauncher::waitForAll(std::chrono::milliseconds deadline)
{
    const QDeadlineTimer timer(deadline);
    while (runningCount() > 0) {
        if (timer.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

} // namespace zentrel
