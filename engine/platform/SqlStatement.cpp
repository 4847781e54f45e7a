#include "engine/platform/SqlStatement.h"

#include <sqlite3.h>

#include <QDateTime>

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlError.h"

namespace zentrel {

SqlStatement::SqlStatement(std::shared_ptr<SqlConnection> connection, sqlite3_stmt* statement)
    : m_connection(std::move(connection))
    , m_lock(m_connection->mutex())
    , m_statement(statement)
{
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_connection(std::move(other.m_connection))
    , m_lock(std::move(other.m_lock))
    , m_statement(other.m_statement)
{
    other.m_statement = nullptr;
}

SqlStatement::~SqlStatement()
{
    if (m_statement)
        m_connection->release(m_statement);
}

SqlStatement& SqlStatement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(m_statement, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(m_statement, index, static_cast<qint64>(value.toULongLong()));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_statement, index, value.toDouble());
            break;
        case QMetaType::QDateTime: {
            const QDateTime when = value.toDateTime();
            rc = when.isValid() ? sqlite3_bind_double(m_statement, index, SqlDate::toOle(when))
                                : sqlite3_bind_null(m_statement, index);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_statement, index, bytes.constData(),
                                     static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_statement, index, utf8.constData(),
                                     static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw SqlError::fromHandle(sqlite3_db_handle(m_statement), rc);
    return *this;
}

SqlStatement& SqlStatement::bindText(int index, const QByteArray& utf8)
{
    const int rc = sqlite3_bind_text64(m_statement, index, utf8.constData(),
                                       static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
    if (rc != SQLITE_OK)
        throw SqlError::fromHandle(sqlite3_db_handle(m_statement), rc);
    return *this;
}

SqlStatement& SqlStatement::bindTextNoCopy(int index, QByteArrayView utf8)
{
    // An empty view may hold no pointer, which would bind NULL.
    const int rc =
        sqlite3_bind_text64(m_statement, index, utf8.data() ? utf8.data() : "",
                            static_cast<sqlite3_uint64>(utf8.size()), SQLITE_STATIC, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        throw SqlError::fromHandle(sqlite3_db_handle(m_statement), rc);
    return *this;
}

SqlStatement& SqlStatement::bindInt64(int index, qint64 value)
{
    const int rc = sqlite3_bind_int64(m_statement, index, value);
    if (rc != SQLITE_OK)
        throw SqlError::fromHandle(sqlite3_db_handle(m_statement), rc);
    return *this;
}

SqlStatement& SqlStatement::bindDouble(int index, double value)
{
    const int rc = sqlite3_bind_double(m_statement, index, value);
    if (rc != SQLITE_OK)
        throw SqlError::fromHandle(sqlite3_db_handle(m_statement), rc);
    return *this;
}

SqlStatement& SqlStatement::bindAll(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
    return *this;
}

void SqlStatement::clearBindings()
{
    sqlite3_clear_bindings(m_statement);
}

bool SqlStatement::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const SqlError error = m_connection->error(rc);
    sqlite3_reset(m_statement);
    throw error;
}

int SqlStatement::execute()
{
    while (next()) {
    }
    const int changed = sqlite3_changes(sqlite3_db_handle(m_statement));
    sqlite3_reset(m_statement);
    return changed;
}

void SqlStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqlStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString SqlStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

int SqlStatement::columnIndex(const QString& name) const
{
    for (int i = 0; i < columnCount(); ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool SqlStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

int SqlStatement::type(int column) const
{
    return sqlite3_column_type(m_statement, column);
}

QVariant SqlStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_statement, column)));
    }
    default:
        return {};
    }
}

QVariant SqlStatement::value(const QString& name) const
{
    const int column = columnIndex(name);
    if (column < 0)
        throw SqlError(SQLITE_RANGE, QStringLiteral("No column named '%1'.").arg(name));
    return value(column);
}

qint64 SqlStatement::int64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

int SqlStatement::int32(int column) const
{
    return static_cast<int>(sqlite3_column_int64(m_statement, column));
}

double SqlStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QString SqlStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_statement, column));
}

std::string_view SqlStatement::utf8(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return data ? std::string_view(data,
                                   static_cast<size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string_view();
}

} // namespace zentrel
