#include "engine/platform/SqlConnection.h"

#include <sqlite3.h>

#include <thread>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include "engine/platform/SqlError.h"
#include "engine/platform/SqlFunctions.h"

namespace zentrel {

namespace {

constexpr size_t kIdlePerStatement = 4;
constexpr std::chrono::milliseconds kBusyPoll{10};

// The thread of the user interface, which must never wait long.
bool onApplicationThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

// Whether another connection holds the file's write lock: a write transaction that does not
// wait fails at once.
bool heldElsewhere(const char* file)
{
    sqlite3* probe = nullptr;
    int rc = sqlite3_open_v2(file, &probe, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(probe, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            sqlite3_exec(probe, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(probe);
    return (rc & 0xff) == SQLITE_BUSY;
}

// The files another connection holds, of those this connection has not locked itself; all of
// those when none can be found held (the lock went in the meantime).
QStringList busyFiles(sqlite3* db)
{
    QStringList candidates;
    QStringList held;
    for (int i = 0; const char* schema = sqlite3_db_name(db, i); ++i) {
        const char* file = sqlite3_db_filename(db, schema);
        if (file == nullptr || *file == '\0' || sqlite3_txn_state(db, schema) == SQLITE_TXN_WRITE)
            continue;
        candidates << QString::fromUtf8(file);
        if (heldElsewhere(file))
            held << candidates.last();
    }
    return held.isEmpty() ? candidates : held;
}

} // namespace

std::shared_ptr<SqlConnection> SqlConnection::open(const QString& path, bool create)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_URI;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const SqlError error = SqlError::fromHandle(db, rc);
        sqlite3_close_v2(db);
        throw error;
    }
    auto connection = std::make_shared<SqlConnection>(Private{}, db);
    if (path != QLatin1String(":memory:")) {
        // Reading the schema proves that the file is a database.
        connection->exec(QStringLiteral("SELECT count(*) FROM main.sqlite_master;"
                                        "PRAGMA main.journal_mode=WAL;"
                                        "PRAGMA main.synchronous=NORMAL;"));
    }
    return connection;
}

SqlConnection::SqlConnection(Private, sqlite3* db)
    : m_db(db)
{
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &SqlConnection::onBusy, this);
    SqlFunctions::install(m_db);
    exec(QStringLiteral("PRAGMA foreign_keys=ON;"));
}

SqlConnection::~SqlConnection()
{
    clearCache();
    sqlite3_close_v2(m_db);
}

std::unique_lock<std::recursive_mutex> SqlConnection::lock() const
{
    std::unique_lock<std::recursive_mutex> guard(m_mutex, std::try_to_lock);
    if (guard.owns_lock() || !onApplicationThread()) {
        if (!guard.owns_lock())
            guard.lock();
        return guard;
    }
    ++m_interactiveWaiters;
    guard.lock();
    --m_interactiveWaiters;
    return guard;
}

int SqlConnection::onBusy(void* self, int count)
{
    return static_cast<SqlConnection*>(self)->keepWaiting(count) ? 1 : 0;
}

bool SqlConnection::keepWaiting(int count)
{
    const auto now = std::chrono::steady_clock::now();
    if (count == 0)
        m_busySince = now;
    const auto waited = now - m_busySince;
    if (waited >= kInteractiveBusyWait) {
        // Held longer than the application's thread waits: another program's lock, not a
        // short write of this program's own, so a worker gives the connection up to that thread.
        if (onApplicationThread() || m_interactiveWaiters.load() > 0 || waited >= kWorkerBusyWait)
            return false;
    }
    std::this_thread::sleep_for(kBusyPoll);
    return true;
}

SqlError SqlConnection::error(int rc) const
{
    const SqlError error = SqlError::fromHandle(m_db, rc);
    if (error.primaryCode() != SQLITE_BUSY)
        return error;
    const QString files = busyFiles(m_db).join(QStringLiteral("' or '"));
    return SqlError(
        error.code(),
        QStringLiteral("The database file '%1' is locked by another program.").arg(files));
}

void SqlConnection::check(int rc) const
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw error(rc);
}

SqlStatement SqlConnection::prepare(const QString& sql)
{
    auto guard = lock();
    auto& idle = m_idle[sql];
    sqlite3_stmt* statement = nullptr;
    if (!idle.empty()) {
        statement = idle.back();
        idle.pop_back();
    } else {
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()),
                                          SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        if (rc != SQLITE_OK)
            throw error(rc);
        if (!statement)
            throw SqlError(SQLITE_MISUSE, QStringLiteral("Empty statement."));
    }
    return SqlStatement(shared_from_this(), statement);
}

void SqlConnection::release(sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    auto& idle = m_idle[QString::fromUtf8(sqlite3_sql(statement))];
    if (idle.size() < kIdlePerStatement)
        idle.push_back(statement);
    else
        sqlite3_finalize(statement);
}

void SqlConnection::clearCache()
{
    for (auto& list : m_idle) {
        for (sqlite3_stmt* statement : list)
            sqlite3_finalize(statement);
    }
    m_idle.clear();
}

void SqlConnection::exec(const QString& sql)
{
    auto guard = lock();
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        if ((rc & 0xff) == SQLITE_BUSY)
            throw error(rc);
        throw SqlError(sqlite3_extended_errcode(m_db), text);
    }
}

QString SqlConnection::quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void SqlConnection::attach(const QString& path, const QString& schema)
{
    auto guard = lock();
    // SQLite would fall back to reading a file it may not write (leaving -wal and -shm files
    // behind), and every later write would fail.
    const QFileInfo file(path);
    if (file.isFile() && !file.isWritable())
        throw SqlError(SQLITE_READONLY, QStringLiteral("The file is read-only."));
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    auto statement = prepare(QStringLiteral("ATTACH DATABASE ?1 AS ") + quoted(schema));
    statement.bind(1, url.toString(QUrl::FullyEncoded)).execute();
    if (sqlite3_db_readonly(m_db, schema.toUtf8().constData()) == 1) {
        detach(schema);
        throw SqlError(SQLITE_READONLY, QStringLiteral("The file is read-only."));
    }
    try {
        // Reading the schema proves that the file is a database.
        exec(QStringLiteral("SELECT count(*) FROM %1.sqlite_master;"
                            "PRAGMA %1.journal_mode=WAL;"
                            "PRAGMA %1.synchronous=NORMAL;")
                 .arg(quoted(schema)));
    } catch (...) {
        detach(schema);
        throw;
    }
}

void SqlConnection::detach(const QString& schema)
{
    auto guard = lock();
    clearCache();
    auto statement = prepare(QStringLiteral("DETACH DATABASE ") + quoted(schema));
    statement.execute();
}

bool SqlConnection::isAttached(const QString& schema) const
{
    auto guard = lock();
    return sqlite3_db_filename(m_db, schema.toUtf8().constData()) != nullptr;
}

qint64 SqlConnection::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

bool SqlConnection::isInTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void SqlConnection::beginTransaction()
{
    auto guard = lock();
    if (m_depth == 0) {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        m_rollbackOnly = false;
    }
    ++m_depth;
    guard.release(); // held until the matching commit or rollback
}

void SqlConnection::commitTransaction()
{
    std::unique_lock<std::recursive_mutex> guard(m_mutex, std::adopt_lock);
    if (--m_depth > 0)
        return;
    if (m_rollbackOnly) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw SqlError(SQLITE_ABORT,
                       QStringLiteral("Transaction rolled back by an inner failure."));
    }
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqlConnection::rollbackTransaction()
{
    std::unique_lock<std::recursive_mutex> guard(m_mutex, std::adopt_lock);
    if (--m_depth > 0) {
        m_rollbackOnly = true;
        return;
    }
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace zentrel
