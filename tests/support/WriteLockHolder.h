#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QString>

namespace testsupport {

// Another program's write lock on a database file: a connection of its own, on a thread of its
// own, holds a write transaction from construction until it is released (or for a given time).
class WriteLockHolder {
public:
    // Returns once the lock is held; an open or a begin that fails makes held() false.
    explicit WriteLockHolder(const QString& file,
                             std::chrono::milliseconds holdFor = std::chrono::hours(1));
    ~WriteLockHolder();
    WriteLockHolder(const WriteLockHolder&) = delete;
    WriteLockHolder& operator=(const WriteLockHolder&) = delete;

    bool held() const { return m_held; }
    void release();

private:
    void run(const QString& file, std::chrono::milliseconds holdFor);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_held = false;
    bool m_released = false;
    std::thread m_thread;
};

} // namespace testsupport
