#pragma once

#include <QString>

#include "engine/platform/ZError.h"

struct sqlite3;

namespace zentrel {

// An error reported by SQLite: the number is SQLite's extended result code, the description its
// message.
class SqlError : public ZError {
public:
    SqlError(int code, const QString& message);

    int code() const noexcept { return m_code; }
    // The primary result code (SQLITE_CONSTRAINT for SQLITE_CONSTRAINT_UNIQUE and so on).
    int primaryCode() const noexcept { return m_code & 0xff; }

    // The connection's last error.
    static SqlError fromHandle(sqlite3* db, int code);

private:
    int m_code;
};

} // namespace zentrel
