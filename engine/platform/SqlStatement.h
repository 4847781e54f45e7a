#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3_stmt;

namespace zentrel {

class SqlConnection;

// One prepared statement in use: parameters bound by position (1-based), rows walked with
// next(), columns read by position (0-based) or name. It holds the connection's lock while it
// lives and goes back to the connection's cache when it is destroyed.
class SqlStatement {
public:
    SqlStatement(std::shared_ptr<SqlConnection> connection, sqlite3_stmt* statement);
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&&) = delete;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    SqlStatement& bind(int index, const QVariant& value);
    // Binds text given as UTF-8, and numbers, without a QVariant (for bulk loads).
    SqlStatement& bindText(int index, const QByteArray& utf8);
    // Binds UTF-8 text without copying it: the bytes must stay as they are until the statement
    // has run.
    SqlStatement& bindTextNoCopy(int index, QByteArrayView utf8);
    SqlStatement& bindInt64(int index, qint64 value);
    SqlStatement& bindDouble(int index, double value);
    SqlStatement& bindAll(const QVariantList& values);
    void clearBindings();

    // Steps once; true when a row is available.
    bool next();
    // Runs the statement to its end; the number of rows it changed.
    int execute();
    // Makes the statement ready to run again with new bindings.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    int columnIndex(const QString& name) const; // -1 when absent, case-blind
    bool isNull(int column) const;
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int type(int column) const;
    QVariant value(int column) const;
    QVariant value(const QString& name) const;
    qint64 int64(int column) const;
    int int32(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // The column's text as UTF-8, without a copy; valid until the next step.
    std::string_view utf8(int column) const;
    // The SQLite statement, for reading many rows without a call per column through here.
    sqlite3_stmt* handle() const { return m_statement; }

private:
    std::shared_ptr<SqlConnection> m_connection;
    std::unique_lock<std::recursive_mutex> m_lock;
    sqlite3_stmt* m_statement;
};

} // namespace zentrel
