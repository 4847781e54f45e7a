#pragma once

#include <chrono>
#include <memory>

class QThread;

namespace zentrel {

class WorkerThread;

// The one owner of a thread started by CThreadLauncher::Run. Letting go of it asks the thread to
// stop and waits for it to end, so no thread outlives the object that started it. The wait is
// bounded: a thread that will not end by then is left to end with the process.
class ThreadHandle final {
public:
    static constexpr std::chrono::milliseconds kJoinWait{5000};

    ThreadHandle();
    explicit ThreadHandle(std::unique_ptr<WorkerThread> thread);
    ~ThreadHandle();
    ThreadHandle(ThreadHandle&& other) noexcept;
    ThreadHandle& operator=(ThreadHandle&& other) noexcept;
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;

    explicit operator bool() const { return m_thread != nullptr; }
    // For connecting to its finished signal; null for an empty handle.
    QThread* thread() const;
    bool isFinished() const;

    // Asks the thread to stop: a worker waiting in its loop, or fetching a page, gives up.
    void requestStop() const;
    // Waits for the thread to end; true when it has (or there is none).
    bool wait(std::chrono::milliseconds deadline) const;
    // Asks the thread to stop, waits for it and lets go of it.
    void reset() noexcept;

private:
    std::unique_ptr<WorkerThread> m_thread;
};

} // namespace zentrel
