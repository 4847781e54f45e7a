#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "engine/database/DueChanges.h"

#include <cstring>

#include <sqlite3.h>

#include <QStringList>

#include "engine/platform/SqlStatement.h"

namespace zentrel {

namespace {

bool sameValue(sqlite3_value* a, sqlite3_value* b)
{
    const int type = sqlite3_value_type(a);
    if (type != sqlite3_value_type(b))
        return false;
    switch (type) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT:
        return sqlite3_value_double(a) == sqlite3_value_double(b);
    default: {
        const int bytes = sqlite3_value_bytes(a);
        return bytes == sqlite3_value_bytes(b) &&
               std::memcmp(sqlite3_value_blob(a), sqlite3_value_blob(b),
                           static_cast<std::size_t>(bytes)) == 0;
    }
    }
}

// Whether the column kept its value; an unknown column counts as changed.
bool kept(sqlite3* db, int column)
{
    if (column < 0 || column >= sqlite3_preupdate_count(db))
        return false;
    sqlite3_value* before = nullptr;
    sqlite3_value* after = nullptr;
    if (sqlite3_preupdate_old(db, column, &before) != SQLITE_OK ||
        sqlite3_preupdate_new(db, column, &after) != SQLITE_OK || !before || !after)
        return false;
    return sameValue(before, after);
}

// Whether the column turned NULL; an unknown column counts as turned.
bool cleared(sqlite3* db, int column)
{
    if (column < 0 || column >= sqlite3_preupdate_count(db))
        return true;
    sqlite3_value* before = nullptr;
    sqlite3_value* after = nullptr;
    if (sqlite3_preupdate_old(db, column, &before) != SQLITE_OK ||
        sqlite3_preupdate_new(db, column, &after) != SQLITE_OK || !before || !after)
        return true;
    return sqlite3_value_type(after) == SQLITE_NULL && sqlite3_value_type(before) != SQLITE_NULL;
}

bool named(const char* name, const char* wanted)
{
    return name && sqlite3_stricmp(name, wanted) == 0;
}

} // namespace

DueChanges::DueChanges(SqlConnectionPtr connection)
    : m_connection(std::move(connection))
{
    auto guard = m_connection->lock();
    {
        SqlStatement columns = m_connection->prepare(
            QStringLiteral("SELECT cid, name FROM pragma_table_info('Keyword', "
                           "'project')"));
        while (columns.next()) {
            const int cid = static_cast<int>(columns.int64(0));
            const QString name = columns.text(1);
            if (name.compare(QLatin1String("KW"), Qt::CaseInsensitive) == 0)
                m_kw = cid;
            else if (name.compare(QLatin1String("Relevancy"), Qt::CaseInsensitive) == 0)
                m_relevancy = cid;
            else if (name.compare(QLatin1String("Searches"), Qt::CaseInsensitive) == 0)
                m_searches = cid;
            else if (name.compare(QLatin1String("LookupDate"), Qt::CaseInsensitive) == 0)
                m_lookupDate = cid;
        }
    }
    sqlite3_preupdate_hook(m_connection->handle(), &DueChanges::onChange, this);
}

DueChanges::~DueChanges()
{
    // Waits for a change being reported on another thread: the hook runs under SQLite's own
    // lock of the connection.
    sqlite3_preupdate_hook(m_connection->handle(), nullptr, nullptr);
}

void DueChanges::onChange(void* self, sqlite3* db, int op, const char* schema, const char* table,
                          long long oldKey, long long newKey)
{
    auto* changes = static_cast<DueChanges*>(self);
    if (named(schema, "project") && named(table, "Keyword"))
        changes->keywordChanged(db, op, oldKey, newKey);
}

void DueChanges::keywordChanged(sqlite3* db, int op, long long oldKey, long long newKey)
{
    if (op != SQLITE_UPDATE || oldKey != newKey) {
        ++m_counts;
        ++m_lookups;
        return;
    }
    const bool placeKept = kept(db, m_kw) && kept(db, m_relevancy);
    if (!placeKept || cleared(db, m_searches))
        ++m_counts;
    if (!placeKept || !kept(db, m_lookupDate))
        ++m_lookups;
}

} // namespace zentrel
