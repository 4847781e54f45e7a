#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "engine/database/DueChanges.h"

#include <cstring>

#include <sqlite3.h>

#include <QHash>

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

bool isNumber(sqlite3_value* value)
{
    const int type = sqlite3_value_type(value);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A column's value before or after the write; null where it cannot be read.
sqlite3_value* valueOf(sqlite3* db, int column, int (*side)(sqlite3*, int, sqlite3_value**))
{
    sqlite3_value* value = nullptr;
    if (column < 0 || column >= sqlite3_preupdate_count(db) ||
        side(db, column, &value) != SQLITE_OK)
        return nullptr;
    return value;
}

sqlite3_value* before(sqlite3* db, int column)
{
    return valueOf(db, column, sqlite3_preupdate_old);
}

sqlite3_value* after(sqlite3* db, int column)
{
    return valueOf(db, column, sqlite3_preupdate_new);
}

// Whether the column kept its value; one that cannot be read counts as changed.
bool kept(sqlite3* db, int column)
{
    sqlite3_value* old = before(db, column);
    sqlite3_value* now = after(db, column);
    return old && now && sameValue(old, now);
}

// Whether the column turned NULL; one that cannot be read counts as turned.
bool cleared(sqlite3* db, int column)
{
    sqlite3_value* old = before(db, column);
    sqlite3_value* now = after(db, column);
    return !old || !now ||
           (sqlite3_value_type(now) == SQLITE_NULL && sqlite3_value_type(old) != SQLITE_NULL);
}

// Whether a date stayed or moved on: from none to one, or to a later one.
bool datedOn(sqlite3* db, int column)
{
    sqlite3_value* old = before(db, column);
    sqlite3_value* now = after(db, column);
    if (!old || !now)
        return false;
    if (sqlite3_value_type(old) == SQLITE_NULL)
        return true;
    return isNumber(old) && isNumber(now) && sqlite3_value_double(now) >= sqlite3_value_double(old);
}

// Whether the row as written may be one the count timer has due: no count copy, not banned.
bool mayWantCount(sqlite3* db, int searches, int relevancy)
{
    sqlite3_value* count = after(db, searches);
    if (count && sqlite3_value_type(count) != SQLITE_NULL)
        return false;
    sqlite3_value* rank = after(db, relevancy);
    return !(rank && isNumber(rank) && sqlite3_value_double(rank) == 0);
}

// Whether the row as written may be one the lookup timer has due: ranked above 2.
bool mayWantLookup(sqlite3* db, int relevancy)
{
    sqlite3_value* rank = after(db, relevancy);
    if (!rank)
        return true;
    if (sqlite3_value_type(rank) == SQLITE_NULL)
        return false;
    return !isNumber(rank) || sqlite3_value_double(rank) > 2;
}

// The characters of a text as SQL's length() counts them: up to the first NUL, a lead byte with
// the continuation bytes after it.
qint64 characters(sqlite3_value* text)
{
    const auto* z = sqlite3_value_text(text);
    const auto* const end = z + sqlite3_value_bytes(text);
    qint64 count = 0;
    while (z < end && *z != 0) {
        ++count;
        if (*z++ >= 0xC0) {
            while (z < end && (*z & 0xC0) == 0x80)
                ++z;
        }
    }
    return count;
}

bool named(const char* name, const char* wanted)
{
    return name && sqlite3_stricmp(name, wanted) == 0;
}

// The columns of a table by their names in lower case.
QHash<QString, int> columnsOf(SqlConnection& connection, const char* table, const char* schema)
{
    QHash<QString, int> columns;
    SqlStatement rows =
        connection.prepare(QStringLiteral("SELECT cid, name FROM pragma_table_info('%1', '%2')")
                               .arg(QLatin1String(table), QLatin1String(schema)));
    while (rows.next())
        columns.insert(rows.text(1).toLower(), static_cast<int>(rows.int64(0)));
    return columns;
}

} // namespace

DueChanges::DueChanges(SqlConnectionPtr connection)
    : m_connection(std::move(connection))
{
    auto guard = m_connection->lock();
    const QHash<QString, int> keyword = columnsOf(*m_connection, "Keyword", "project");
    m_keyword = {keyword.value(QStringLiteral("pkkeyword"), -1),
                 keyword.value(QStringLiteral("kw"), -1),
                 keyword.value(QStringLiteral("normalized"), -1),
                 keyword.value(QStringLiteral("relevancy"), -1),
                 keyword.value(QStringLiteral("searches"), -1),
                 keyword.value(QStringLiteral("lookupdate"), -1)};
    const QHash<QString, int> cache = columnsOf(*m_connection, "Cache", "cache");
    m_cache = {cache.value(QStringLiteral("kw"), -1), cache.value(QStringLiteral("count"), -1)};
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
    else if (named(schema, "cache") && named(table, "Cache"))
        changes->countChanged(db, op);
}

// A keyword deleted, or the old place of one moved, leaves a timer one due keyword fewer; what
// matters is the row written, where a timer may have it due.
void DueChanges::keywordChanged(sqlite3* db, int op, long long oldKey, long long newKey)
{
    if (op == SQLITE_DELETE)
        return;
    const KeywordColumns& c = m_keyword;
    const bool wantsCount = mayWantCount(db, c.searches, c.relevancy);
    const bool wantsLookup = mayWantLookup(db, c.relevancy);
    if (!wantsCount && !wantsLookup) // the common count copy: nothing more to read
        return;
    const bool placed =
        op == SQLITE_INSERT || oldKey != newKey || !kept(db, c.kw) || !kept(db, c.relevancy);
    const bool counts =
        wantsCount && (placed || !kept(db, c.normalized) || cleared(db, c.searches));
    const bool lookups = wantsLookup && (placed || !datedOn(db, c.lookupDate));
    if (!counts && !lookups)
        return;
    const std::optional<DueKey> place = placeWritten(db);
    if (counts)
        m_counts.add(place);
    if (lookups)
        m_lookups.add(place);
}

std::optional<DueKey> DueChanges::placeWritten(sqlite3* db) const
{
    sqlite3_value* pk = after(db, m_keyword.pk);
    sqlite3_value* kw = after(db, m_keyword.kw);
    sqlite3_value* relevancy = after(db, m_keyword.relevancy);
    if (!pk || !kw || !relevancy || sqlite3_value_type(pk) != SQLITE_INTEGER ||
        sqlite3_value_type(kw) != SQLITE_TEXT)
        return std::nullopt;
    DueKey place;
    if (sqlite3_value_type(relevancy) == SQLITE_INTEGER)
        place.relevancy = QVariant(static_cast<qlonglong>(sqlite3_value_int64(relevancy)));
    else if (sqlite3_value_type(relevancy) != SQLITE_NULL)
        return std::nullopt;
    place.length = characters(kw);
    place.pk = sqlite3_value_int64(pk);
    return place;
}

// A count stored only takes keywords off the count timer; one removed or cleared may put back a
// keyword, whose place is not known here.
void DueChanges::countChanged(sqlite3* db, int op)
{
    if (op == SQLITE_INSERT)
        return;
    sqlite3_value* count = before(db, m_cache.count);
    if (count && sqlite3_value_type(count) == SQLITE_NULL)
        return;
    if (op == SQLITE_DELETE || !kept(db, m_cache.kw) || cleared(db, m_cache.count))
        m_counts.add(std::nullopt);
}

} // namespace zentrel
