#include "tests/support/WriteLockHolder.h"

#include "engine/platform/SqlConnection.h"
#include "engine/platform/ZError.h"

namespace testsupport {

WriteLockHolder::WriteLockHolder(const QString& file, std::chrono::milliseconds holdFor)
    : m_thread([this, file, holdFor] { run(file, holdFor); })
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_started; });
}

WriteLockHolder::~WriteLockHolder()
{
    release();
    m_thread.join();
}

void WriteLockHolder::release()
{
    const std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

void WriteLockHolder::run(const QString& file, std::chrono::milliseconds holdFor)
{
    std::shared_ptr<zentrel::SqlConnection> connection;
    try {
        connection = zentrel::SqlConnection::open(file);
        connection->exec(QStringLiteral("BEGIN IMMEDIATE"));
    } catch (const zentrel::ZError&) {
        connection.reset();
    }
    std::unique_lock lock(m_mutex);
    m_started = true;
    m_held = connection != nullptr;
    m_changed.notify_all();
    m_changed.wait_for(lock, holdFor, [this] { return m_released; });
    if (connection)
        connection->exec(QStringLiteral("ROLLBACK"));
}

} // namespace testsupport
