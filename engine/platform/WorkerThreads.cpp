#include "engine/platform/WorkerThreads.h"

#include <QThread>

namespace zentrel {

WorkerThreads::WorkerThreads(QObject* parent)
    : QObject(parent)
{
}

WorkerThreads::~WorkerThreads()
{
    // Every thread is asked first, so that they end side by side rather than one after another.
    requestStopAll();
}

void WorkerThreads::add(const QString& key, ThreadHandle thread)
{
    if (!thread)
        return;
    QThread* const running = thread.thread();
    m_threads.insert_or_assign(key, std::move(thread));
    connect(running, &QThread::finished, this, [this, key] { release(key); });
    // A thread that ended before the connection sent its signal to nobody.
    if (running->isFinished())
        QMetaObject::invokeMethod(
            this, [this, key] { release(key); }, Qt::QueuedConnection);
}

void WorkerThreads::release(const QString& key)
{
    const auto found = m_threads.find(key);
    if (found == m_threads.end())
        return;
    m_threads.erase(found);
    emit ended(key);
}

void WorkerThreads::requestStop(const QString& key) const
{
    const auto found = m_threads.find(key);
    if (found != m_threads.end())
        found->second.requestStop();
}

void WorkerThreads::requestStopAll() const
{
    for (const auto& [key, thread] : m_threads)
        thread.requestStop();
}

} // namespace zentrel
