#include "engine/database/CacheReKey.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <QRegularExpression>

#include "engine/database/CountsRefresh.h"
#include "engine/database/StoredKeys.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

struct CountRow {
    QString key;
    QString identity;
    QVariant count;
    QVariant date;
};

std::vector<CountRow> countsBeyondAscii(const SqlDatabase& cache)
{
    std::vector<CountRow> rows;
    auto all = cache.query(QStringLiteral("SELECT KW, Count, dte FROM cache.Cache WHERE ") +
                           StoredKeys::beyondAscii("KW"));
    while (all.next()) {
        const QString key = all.text(0);
        rows.push_back({key, StoredKeys::identity(key), all.value(1), all.value(2)});
    }
    return rows;
}

// Whether the table's keys come in this collation's order (another client's VACUUM orders them
// by its own).
bool inKeyOrder(const SqlDatabase& cache)
{
    std::string previous;
    bool first = true;
    auto keys = cache.query(QStringLiteral("SELECT KW FROM cache.Cache"));
    while (keys.next()) {
        const std::string_view key = keys.utf8(0);
        if (!first && SqlFunctions::compareNoCase(previous, key) >= 0)
            return false;
        previous.assign(key);
        first = false;
    }
    return true;
}

bool isNewer(const QVariant& date, const QVariant& than)
{
    return !date.isNull() && (than.isNull() || date.toDouble() > than.toDouble());
}

struct StoredCount {
    QString key;
    QVariant count;
    QVariant date;
};

std::optional<StoredCount> storedCount(const SqlDatabase& cache, const QString& key)
{
    auto row =
        cache.query(QStringLiteral("SELECT KW, Count, dte FROM cache.Cache WHERE KW = ?1"), {key});
    if (!row.next())
        return std::nullopt;
    return StoredCount{row.text(0), row.value(1), row.value(2)};
}

// In a table in this collation's order each key is found where it is, so it changes in place.
void reKeyInPlace(const SqlDatabase& cache, const std::vector<CountRow>& rows)
{
    for (const CountRow& row : rows) {
        if (row.identity == row.key)
            continue;
        const std::optional<StoredCount> holder = storedCount(cache, row.identity);
        if (!holder || holder->key == row.key) {
            cache.execute(QStringLiteral("UPDATE cache.Cache SET KW = ?1 WHERE KW = ?2"),
                          {row.identity, row.key});
            continue;
        }
        const std::optional<StoredCount> own = storedCount(cache, row.key);
        if (own && isNewer(own->date, holder->date)) {
            cache.execute(
                QStringLiteral("UPDATE cache.Cache SET Count = ?1, dte = ?2 WHERE KW = ?3"),
                {own->count, own->date, row.identity});
        }
        cache.execute(QStringLiteral("DELETE FROM cache.Cache WHERE KW = ?1"), {row.key});
    }
}

// A table in another order is made again: its keys could not be found where they are.
void rebuild(const SqlDatabase& cache, std::vector<CountRow> rows)
{
    static const QRegularExpression tableName(
        QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\"Cache\"|\\[Cache\\]|`Cache`|Cache(?=\\W))"),
        QRegularExpression::CaseInsensitiveOption);
    QString create =
        cache
            .scalar(QStringLiteral(
                "SELECT sql FROM cache.sqlite_master WHERE type = 'table' AND name = 'Cache'"))
            .toString();
    if (!tableName.match(create).hasMatch())
        throw SqlError(SQLITE_ERROR,
                       QStringLiteral("Cannot make the table Cache again: %1").arg(create));
    create.replace(tableName, QStringLiteral("CREATE TABLE cache.CacheReKeyed"));
    cache.execute(QStringLiteral("DROP TABLE IF EXISTS cache.CacheReKeyed"));
    cache.execute(create);
    cache.execute(
        QStringLiteral("INSERT INTO cache.CacheReKeyed SELECT * FROM cache.Cache WHERE NOT (") +
        StoredKeys::beyondAscii("KW") + QLatin1Char(')'));
    // Keys that stay first, so that of equal dates theirs stays.
    std::stable_partition(rows.begin(), rows.end(),
                          [](const CountRow& row) { return row.identity == row.key; });
    {
        auto put = cache.query(QStringLiteral(
            "INSERT INTO cache.CacheReKeyed (KW, Count, dte) VALUES (?1, ?2, ?3) ON CONFLICT (KW) "
            "DO UPDATE SET Count = excluded.Count, dte = excluded.dte WHERE excluded.dte > dte OR "
            "(dte IS NULL AND excluded.dte IS NOT NULL)"));
        for (const CountRow& row : rows) {
            put.bind(1, row.identity).bind(2, row.count).bind(3, row.date);
            put.execute();
        }
    }
    cache.execute(QStringLiteral("DROP TABLE cache.Cache"));
    cache.execute(QStringLiteral("ALTER TABLE cache.CacheReKeyed RENAME TO Cache"));
}

} // namespace

bool CacheReKey::upgrade(const SqlDatabase& cache)
{
    auto guard = cache.lock();
    if (StoredKeys::isReKeyed(cache))
        return false;
    SqlTransaction transaction(cache.connection());
    std::vector<CountRow> rows = countsBeyondAscii(cache);
    const bool changes = std::any_of(rows.begin(), rows.end(),
                                     [](const CountRow& row) { return row.identity != row.key; });
    if (changes) {
        if (inKeyOrder(cache))
            reKeyInPlace(cache, rows);
        else
            rebuild(cache, std::move(rows));
        CountsRefresh::markAll(cache);
    }
    StoredKeys::markReKeyed(cache);
    transaction.commit();
    return changes;
}

} // namespace zentrel
