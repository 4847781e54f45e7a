#include "engine/platform/SqlError.h"

#include <sqlite3.h>

namespace zentrel {

SqlError::SqlError(int code, const QString& message)
    : ZError(static_cast<std::uint32_t>(code), message, QStringLiteral("SQLite"))
    , m_code(code)
{
}

SqlError SqlError::fromHandle(sqlite3* db, int code)
{
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return SqlError(db ? sqlite3_extended_errcode(db) : code, QString::fromUtf8(message));
}

} // namespace zentrel
