#include "engine/database/CountStore.h"

#include "engine/database/CountsRefresh.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlDate.h"

namespace zentrel {

namespace {
constexpr double kStaleDays = 60.0;
constexpr double kLookupDays = 30.0;

QStringList column(SqlStatement rows)
{
    QStringList values;
    while (rows.next())
        values << rows.text(0);
    return values;
}
} // namespace

void CountStore::storeCounts(const SqlDatabase& cache,
                             const std::vector<std::pair<QString, QVariant>>& counts)
{
    auto store = cache.query(QStringLiteral("INSERT INTO %1 (KW, Count, dte) VALUES (?1, ?2, ?3) "
                                            "ON CONFLICT (KW) DO UPDATE SET Count = "
                                            "excluded.Count, dte = excluded.dte")
                                 .arg(cache.qualified("Cache")));
    QStringList stored;
    for (const auto& [given, count] : counts) {
        // Stored as the identity of the text a reader sees; nothing left names no keyword.
        const QString name = MParser::NormalizeKW(MParser::StripInvisible(given));
        if (name.isEmpty() || name.size() >= 256)
            continue;
        store.bind(1, name).bind(2, count).bind(3, SqlDate::now());
        store.execute();
        stored << name;
    }
    CountsRefresh::markKeys(cache, stored);
}

QDateTime CountStore::overDate(const SqlDatabase& project, const QString& kw)
{
    const QVariant date = project.scalar(
        QStringLiteral("SELECT dte FROM cache.Cache WHERE KW = ?1"), {MParser::NormalizeKW(kw)});
    return date.isNull() ? SqlDate::zeroDate() : SqlDate::fromOle(date.toDouble());
}

void CountStore::deleteStaleCounts(const SqlDatabase& project, const SqlDatabase& cache)
{
    QStringList stale;
    {
        auto rows =
            project.query(QStringLiteral("SELECT c.KW FROM cache.Cache AS c INNER JOIN "
                                         "project.Keyword AS k ON k.Normalized = "
                                         "c.KW WHERE (k.Relevancy <> 0 OR k.Relevancy IS NULL) "
                                         "AND c.dte < ?1"),
                          {SqlDate::now() - kStaleDays});
        while (rows.next())
            stale << rows.text(0);
    }
    auto remove =
        cache.query(QStringLiteral("DELETE FROM %1 WHERE KW = ?1").arg(cache.qualified("Cache")));
    for (const QString& kw : stale) {
        remove.bind(1, kw);
        remove.execute();
    }
}

void CountStore::clearCopiesWithoutCount(const SqlDatabase& project)
{
    project.execute(QStringLiteral(
        "UPDATE project.Keyword SET Searches = NULL, CacheDate = NULL WHERE (Searches IS NOT NULL "
        "OR CacheDate IS NOT NULL) AND NOT EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
        "Keyword.Normalized)"));
}

CountStore::Uncounted CountStore::firstWithoutCount(const SqlDatabase& project, int count,
                                                    bool truly)
{
    const QString counted = QStringLiteral("EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
                                           "Keyword.Normalized AND c.Count IS NOT NULL)");
    auto rows = project.query(
        QStringLiteral("SELECT KW, ") + counted +
            QStringLiteral(" FROM project.Keyword WHERE Searches IS NULL AND (Relevancy <> 0 OR "
                           "Relevancy IS NULL) ") +
            (truly ? QStringLiteral("AND NOT ") + counted + u' ' : QString()) +
            QStringLiteral("ORDER BY Relevancy DESC, length(KW), pkKeyword LIMIT ?1"),
        {count});
    Uncounted first;
    while (rows.next()) {
        first.keywords << rows.text(0);
        first.behind = first.behind || rows.int64(1) != 0;
    }
    return first;
}

QStringList CountStore::firstForLookup(const SqlDatabase& project, int count)
{
    return column(project.query(
        QStringLiteral("SELECT KW FROM project.Keyword WHERE Relevancy > 2 AND (LookupDate IS "
                       "NULL OR LookupDate < ?1) ORDER BY Relevancy DESC, length(KW), "
                       "pkKeyword LIMIT ?2"),
        {SqlDate::now() - kLookupDays, count}));
}

void CountStore::updateLookupDate(const SqlDatabase& project, const QString& kw)
{
    project.execute(QStringLiteral("UPDATE project.Keyword SET LookupDate = ?1 WHERE KW = ?2"),
                    {SqlDate::now(), kw});
}

} // namespace zentrel
