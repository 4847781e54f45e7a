#include "engine/platform/SqlDatabase.h"

#include <sqlite3.h>

#include "engine/platform/SqlError.h"

namespace zentrel {

namespace {
QString columnSql(const SqlColumnDef& column)
{
    QString sql = SqlConnection::quoted(column.name) + QLatin1Char(' ') + column.type;
    if (column.primaryKey)
        sql += column.autoIncrement ? QStringLiteral(" PRIMARY KEY AUTOINCREMENT")
                                    : QStringLiteral(" PRIMARY KEY");
    if (column.notNull)
        sql += QStringLiteral(" NOT NULL");
    if (!column.collate.isEmpty())
        sql += QStringLiteral(" COLLATE ") + column.collate;
    if (!column.check.isEmpty())
        sql += QStringLiteral(" CHECK (") + column.check + QLatin1Char(')');
    if (!column.referencesTable.isEmpty()) {
        sql += QStringLiteral(" REFERENCES ") + SqlConnection::quoted(column.referencesTable) +
               QLatin1Char('(') + SqlConnection::quoted(column.referencesColumn) +
               QStringLiteral(") ON UPDATE CASCADE ON DELETE CASCADE");
    }
    return sql;
}

QString quotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted << SqlConnection::quoted(name);
    return quoted.join(QStringLiteral(", "));
}
} // namespace

SqlDatabase::SqlDatabase(SqlConnectionPtr connection, QString schema, QString fileName)
    : m_connection(std::move(connection))
    , m_schema(std::move(schema))
    , m_fileName(std::move(fileName))
{
}

bool SqlDatabase::isOpen() const
{
    return !m_closed.load();
}

void SqlDatabase::close()
{
    auto guard = m_connection->lock();
    if (m_closed.exchange(true))
        return;
    if (m_schema != QLatin1String("main") && m_connection->isAttached(m_schema))
        m_connection->detach(m_schema);
}

void SqlDatabase::checkOpen() const
{
    if (m_closed.load())
        throw SqlError(SQLITE_MISUSE,
                       QStringLiteral("The database '%1' is closed.").arg(m_fileName));
}

SqlConnection& SqlDatabase::connection() const
{
    checkOpen();
    return *m_connection;
}

SqlConnectionPtr SqlDatabase::sharedConnection() const
{
    checkOpen();
    return m_connection;
}

std::unique_lock<std::recursive_mutex> SqlDatabase::lock() const
{
    return m_connection->lock();
}

int SqlDatabase::execute(const QString& sql, const QVariantList& params) const
{
    auto statement = query(sql, params);
    return statement.execute();
}

SqlStatement SqlDatabase::query(const QString& sql, const QVariantList& params) const
{
    auto guard = lock();
    checkOpen();
    auto statement = m_connection->prepare(sql);
    statement.bindAll(params);
    return statement;
}

QVariant SqlDatabase::scalar(const QString& sql, const QVariantList& params) const
{
    auto statement = query(sql, params);
    return statement.next() ? statement.value(0) : QVariant();
}

QString SqlDatabase::qualified(const QString& table) const
{
    return SqlConnection::quoted(m_schema) + QLatin1Char('.') + SqlConnection::quoted(table);
}

qint64 SqlDatabase::addRow(const QString& table, const QStringList& columns,
                           const QVariantList& values) const
{
    QStringList marks;
    for (int i = 1; i <= columns.size(); ++i)
        marks << QStringLiteral("?%1").arg(i);
    auto guard = lock();
    execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(qualified(table), quotedList(columns), marks.join(QStringLiteral(", "))),
            values);
    return m_connection->lastInsertRowId();
}

int SqlDatabase::editRows(const QString& table, const QStringList& columns,
                          const QVariantList& values, const QString& keyColumn,
                          const QVariant& key) const
{
    QStringList sets;
    for (int i = 0; i < columns.size(); ++i)
        sets << SqlConnection::quoted(columns[i]) + QStringLiteral(" = ?%1").arg(i + 1);
    QVariantList params = values;
    params << key;
    return execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                       .arg(qualified(table), sets.join(QStringLiteral(", ")),
                            SqlConnection::quoted(keyColumn))
                       .arg(columns.size() + 1),
                   params);
}

std::optional<QVariantList> SqlDatabase::seek(const QString& table, const QString& keyColumn,
                                              const QVariant& key, const QStringList& columns) const
{
    auto statement =
        query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1 LIMIT 1")
                  .arg(quotedList(columns), qualified(table), SqlConnection::quoted(keyColumn)),
              {key});
    if (!statement.next())
        return std::nullopt;
    QVariantList row;
    for (int i = 0; i < statement.columnCount(); ++i)
        row << statement.value(i);
    return row;
}

bool SqlDatabase::hasTable(const QString& table) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'table' "
                                 "AND name = ?1 COLLATE NOCASE")
                      .arg(SqlConnection::quoted(m_schema)),
                  {table})
               .toInt() > 0;
}

bool SqlDatabase::hasColumn(const QString& table, const QString& column) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info(?1, ?2) "
                                 "WHERE name = ?3 COLLATE NOCASE"),
                  {table, m_schema, column})
               .toInt() > 0;
}

void SqlDatabase::createTable(const SqlTableDef& table) const
{
    QStringList columns;
    for (const auto& column : table.columns)
        columns << columnSql(column);
    execute(QStringLiteral("CREATE TABLE %1 (%2) STRICT")
                .arg(qualified(table.name), columns.join(QStringLiteral(", "))));
}

void SqlDatabase::createIndex(const QString& name, const QString& table, const QStringList& columns,
                              bool unique) const
{
    execute(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                .arg(unique ? QStringLiteral("UNIQUE ") : QString(), qualified(name),
                     SqlConnection::quoted(table), quotedList(columns)));
}

void SqlDatabase::addColumn(const QString& table, const SqlColumnDef& column) const
{
    execute(
        QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(qualified(table), columnSql(column)));
}

} // namespace zentrel
