#include "engine/platform/ThreadHandle.h"

#include <QDeadlineTimer>

#include "engine/platform/WorkerThread.h"

namespace zentrel {

ThreadHandle::ThreadHandle() = default;

ThreadHandle::ThreadHandle(std::unique_ptr<WorkerThread> thread)
    : m_thread(std::move(thread))
{
}

ThreadHandle::~ThreadHandle()
{
    reset();
}

ThreadHandle::ThreadHandle(ThreadHandle&& other) noexcept = default;

ThreadHandle& ThreadHandle::operator=(ThreadHandle&& other) noexcept
{
    if (this != &other) {
        reset();
        m_thread = std::move(other.m_thread);
    }
    return *this;
}

QThread* ThreadHandle::thread() const
{
    return m_thread.get();
}

bool ThreadHandle::isFinished() const
{
    return !m_thread || m_thread->isFinished();
}

void ThreadHandle::requestStop() const
{
    if (m_thread)
        m_thread->requestInterruption();
}

bool ThreadHandle::wait(std::chrono::milliseconds deadline) const
{
    return !m_thread || m_thread->wait(QDeadlineTimer(deadline));
}

void ThreadHandle::reset() noexcept
{
    if (!m_thread)
        return;
    requestStop();
    if (!wait(kJoinWait)) {
        // A QThread must not be destroyed while it runs: one that will not end is deliberately
        // never freed and ends with the process.
        static_cast<void>(m_thread.release());
        return;
    }
    m_thread.reset();
}

} // namespace zentrel
