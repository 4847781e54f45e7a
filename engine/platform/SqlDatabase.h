#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlStatement.h"
#include "engine/platform/SqlTableDef.h"

namespace zentrel {

// One database file as seen through a shared connection: the schema it is attached under and
// the file. It is the shared object handed to workers; once closed, every use raises.
// Unqualified table names in SQL resolve over the whole connection, so statements of one file
// can join the tables of another attached to it.
class SqlDatabase {
public:
    SqlDatabase(SqlConnectionPtr connection, QString schema, QString fileName);

    const QString& schema() const { return m_schema; }
    const QString& fileName() const { return m_fileName; }
    bool isOpen() const;
    // Detaches the file (when it is attached under the schema) and refuses further use.
    void close();

    SqlConnection& connection() const;
    SqlConnectionPtr sharedConnection() const;
    std::unique_lock<std::recursive_mutex> lock() const;

    // Runs a statement with its parameters bound in order; the number of rows changed.
    int execute(const QString& sql, const QVariantList& params = {}) const;
    // A statement with its parameters bound, ready to walk with next().
    SqlStatement query(const QString& sql, const QVariantList& params = {}) const;
    // The first column of the first row, or a null variant without rows.
    QVariant scalar(const QString& sql, const QVariantList& params = {}) const;

    // Adds a row; its rowid.
    qint64 addRow(const QString& table, const QStringList& columns,
                  const QVariantList& values) const;
    // Sets the columns of the rows whose key column equals the key; rows changed.
    int editRows(const QString& table, const QStringList& columns, const QVariantList& values,
                 const QString& keyColumn, const QVariant& key) const;
    // The row whose (indexed) key column equals the key, or nothing.
    std::optional<QVariantList> seek(const QString& table, const QString& keyColumn,
                                     const QVariant& key, const QStringList& columns) const;

    bool hasTable(const QString& table) const;
    bool hasColumn(const QString& table, const QString& column) const;
    void createTable(const SqlTableDef& table) const;
    void createIndex(const QString& name, const QString& table, const QStringList& columns,
                     bool unique = false) const;
    void addColumn(const QString& table, const SqlColumnDef& column) const;

    // The table name qualified by this database's schema, quoted.
    QString qualified(const QString& table) const;

private:
    void checkOpen() const;

    SqlConnectionPtr m_connection;
    QString m_schema;
    QString m_fileName;
    std::atomic<bool> m_closed{false};
};

using SqlDatabasePtr = std::shared_ptr<SqlDatabase>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::SqlDatabasePtr)
