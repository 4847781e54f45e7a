#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include <QHash>
#include <QString>

#include "engine/platform/SqlStatement.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zentrel {

// One SQLite connection. Every use goes through its one recursive lock, so several threads can
// share it and nested operations can take the lock again. Foreign keys are on, NOCASE compares
// text case-blind beyond ASCII, and a busy file is waited for rather than reported. Further
// database files are attached under schema names; a transaction opens only at the outermost
// begin, inner begins join it.
class SqlConnection : public std::enable_shared_from_this<SqlConnection> {
    struct Private {};

public:
    // Opens the file as the main database; ":memory:" gives a connection with no file of its
    // own. Without create, a missing file is an error.
    static std::shared_ptr<SqlConnection> open(const QString& path, bool create = false);

    SqlConnection(Private, sqlite3* db);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    std::recursive_mutex& mutex() const { return m_mutex; }
    std::unique_lock<std::recursive_mutex> lock() const
    {
        return std::unique_lock<std::recursive_mutex>(m_mutex);
    }

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

    // Quotes an identifier for SQL text.
    static QString quoted(const QString& identifier);

private:
    friend class SqlStatement;
    void release(sqlite3_stmt* statement);
    void clearCache();
    void check(int rc) const;

    sqlite3* m_db;
    mutable std::recursive_mutex m_mutex;
    QHash<QString, std::vector<sqlite3_stmt*>> m_idle;
    int m_depth = 0;
    bool m_rollbackOnly = false;
};

using SqlConnectionPtr = std::shared_ptr<SqlConnection>;

} // namespace zentrel
