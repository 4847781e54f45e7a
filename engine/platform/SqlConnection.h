#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include <QHash>
#include <QString>

#include "engine/platform/SqlError.h"
#include "engine/platform/SqlStatement.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zentrel {

// One SQLite connection. Every use goes through its one recursive lock, so several threads can
// share it and nested operations can take the lock again. Foreign keys are on and NOCASE
// compares text case-blind beyond ASCII. A file that another connection holds is waited for:
// about two seconds on the application's thread, which must not freeze, and long on other
// threads, except that a worker that has waited as long gives the connection up to the
// application's thread waiting for it. Then the error names the file. Further database files
// are attached under schema names; a transaction opens only at the outermost begin, inner begins
// join it.
class SqlConnection : public std::enable_shared_from_this<SqlConnection> {
    struct Private {};

public:
    // How long a statement waits for a file that another connection holds.
    static constexpr std::chrono::milliseconds kInteractiveBusyWait{2000};
    static constexpr std::chrono::milliseconds kWorkerBusyWait{120000};

    // Opens the file as the main database; ":memory:" gives a connection with no file of its
    // own. Without create, a missing file is an error.
    static std::shared_ptr<SqlConnection> open(const QString& path, bool create = false);

    SqlConnection(Private, sqlite3* db);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    std::recursive_mutex& mutex() const { return m_mutex; }
    std::unique_lock<std::recursive_mutex> lock() const;

    // A prepared statement (from the cache when one is idle).
    SqlStatement prepare(const QString& sql);
    // Runs one or more statements without parameters.
    void exec(const QString& sql);

    // Attaches an existing file (never creates one) and switches it to write-ahead logging.
    void attach(const QString& path, const QString& schema);
    void detach(const QString& schema);
    bool isAttached(const QString& schema) const;

    qint64 lastInsertRowId() const;

    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    int transactionDepth() const { return m_depth; }
    // Whether SQLite holds a transaction open: false once it rolled one back by itself (a full
    // disk, a failed write), even inside begin and commit.
    bool isInTransaction() const;

    sqlite3* handle() const { return m_db; }
    // The connection's last error for the result code; a busy file is named in its description.
    SqlError error(int rc) const;

    // Quotes an identifier for SQL text.
    static QString quoted(const QString& identifier);

private:
    friend class SqlStatement;
    void release(sqlite3_stmt* statement);
    void clearCache();
    void check(int rc) const;
    static int onBusy(void* self, int count);
    bool keepWaiting(int count);

    sqlite3* m_db;
    mutable std::recursive_mutex m_mutex;
    // Application threads blocked on the lock: a worker that waited for a busy file as long as
    // they would gives way.
    mutable std::atomic<int> m_interactiveWaiters{0};
    std::chrono::steady_clock::time_point m_busySince;
    QHash<QString, std::vector<sqlite3_stmt*>> m_idle;
    int m_depth = 0;
    bool m_rollbackOnly = false;
};

using SqlConnectionPtr = std::shared_ptr<SqlConnection>;

} // namespace zentrel
