#include "engine/database/CountStore.h"

#include <algorithm>

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

const QString kCounted = QStringLiteral("EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
                                        "Keyword.Normalized AND c.Count IS NOT NULL)");
const QString kToCount =
    QStringLiteral("Searches IS NULL AND (Relevancy <> 0 OR Relevancy IS NULL)");
const QString kToLookUp = QStringLiteral("Relevancy > 2");
const QString kPlace = QStringLiteral("KW, Relevancy, length(KW), pkKeyword");
const QString kOrder = QStringLiteral("Relevancy DESC, length(KW), pkKeyword");

// One stretch of the order that the timer's index reads as one range.
struct Stretch {
    QString where;
    QString order;
    QVariantList params;
};

// The stretches that make up the order from a place on, first first.
std::vector<Stretch> stretchesFrom(const std::optional<DueKey>& from)
{
    if (!from)
        return {{QString(), kOrder, {}}};
    const QVariant& relevancy = from->relevancy;
    if (relevancy.isNull())
        return {{QStringLiteral("AND Relevancy IS NULL AND length(KW) = ? AND pkKeyword >= ? "),
                 QStringLiteral("pkKeyword"),
                 {from->length, from->pk}},
                {QStringLiteral("AND Relevancy IS NULL AND length(KW) > ? "),
                 QStringLiteral("length(KW), pkKeyword"),
                 {from->length}}};
    return {
        {QStringLiteral("AND Relevancy = ? AND length(KW) = ? AND pkKeyword >= ? "),
         QStringLiteral("pkKeyword"),
         {relevancy, from->length, from->pk}},
        {QStringLiteral("AND Relevancy = ? AND length(KW) > ? "),
         QStringLiteral("length(KW), pkKeyword"),
         {relevancy, from->length}},
        {QStringLiteral("AND Relevancy < ? "), kOrder, {relevancy}},
        {QStringLiteral("AND Relevancy IS NULL "), QStringLiteral("length(KW), pkKeyword"), {}}};
}

DueRow rowOf(const SqlStatement& rows)
{
    return {rows.text(0), {rows.value(1), rows.int64(2), rows.int64(3)}};
}

// Keyword text compared as stored, found through the text index.
const QString kSameText = QStringLiteral("KW = ?1 AND KW = ?1 COLLATE BINARY");
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

CountStore::UncountedPage CountStore::withoutCountFrom(const SqlDatabase& project,
                                                       const std::optional<DueKey>& from, int count,
                                                       bool truly)
{
    UncountedPage first;
    for (const Stretch& stretch : stretchesFrom(from)) {
        const int left = count - static_cast<int>(first.page.rows.size());
        if (left <= 0)
            break;
        QVariantList params = stretch.params;
        params << left;
        auto rows = project.query(
            QStringLiteral("SELECT ") + kPlace + QStringLiteral(", ") + kCounted +
                QStringLiteral(" FROM project.Keyword WHERE ") + kToCount + u' ' +
                (truly ? QStringLiteral("AND NOT ") + kCounted + u' ' : QString()) + stretch.where +
                QStringLiteral("ORDER BY ") + stretch.order + QStringLiteral(" LIMIT ?"),
            params);
        while (rows.next()) {
            first.page.rows.push_back(rowOf(rows));
            first.behind = first.behind || rows.int64(4) != 0;
        }
    }
    return first;
}

DuePage CountStore::forLookupFrom(const SqlDatabase& project, const std::optional<DueKey>& from,
                                  int count, double now)
{
    // The ranked keywords are read in order, the ones looked up lately too (as the index has
    // no dates): when the first of them comes due bounds how long the page holds.
    const double since = now - kLookupDays;
    DuePage first;
    for (const Stretch& stretch : stretchesFrom(from)) {
        auto rows = project.query(QStringLiteral("SELECT ") + kPlace +
                                      QStringLiteral(", LookupDate FROM project.Keyword WHERE ") +
                                      kToLookUp + u' ' + stretch.where +
                                      QStringLiteral("ORDER BY ") + stretch.order,
                                  stretch.params);
        while (static_cast<int>(first.rows.size()) < count && rows.next()) {
            if (rows.isNull(4) || rows.real(4) < since)
                first.rows.push_back(rowOf(rows));
            else
                first.keptUntil = std::min(first.keptUntil, rows.real(4) + kLookupDays);
        }
        if (static_cast<int>(first.rows.size()) >= count)
            break;
    }
    return first;
}

// A count in the cache that the copies have not reached yet counts too, as it does for a read
// of the order once the copies are mended.
DueCheck CountStore::withoutCount(const SqlDatabase& project, const QString& kw)
{
    return {project
                .scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM project.Keyword WHERE ") +
                            kSameText + QStringLiteral(" AND ") + kToCount +
                            QStringLiteral(" AND NOT ") + kCounted + u')',
                        {kw})
                .toBool()};
}

DueCheck CountStore::forLookup(const SqlDatabase& project, const QString& kw, double now)
{
    const double since = now - kLookupDays;
    DueCheck check;
    auto rows = project.query(QStringLiteral("SELECT LookupDate FROM project.Keyword WHERE ") +
                                  kSameText + QStringLiteral(" AND ") + kToLookUp,
                              {kw});
    while (rows.next()) {
        if (rows.isNull(0) || rows.real(0) < since) {
            check.due = true;
            return check;
        }
        check.keptUntil = std::min(check.keptUntil, rows.real(0) + kLookupDays);
    }
    return check;
}

void CountStore::updateLookupDate(const SqlDatabase& project, const QString& kw)
{
    project.execute(QStringLiteral("UPDATE project.Keyword SET LookupDate = ?1 WHERE KW = ?2"),
                    {SqlDate::now(), kw});
}

} // namespace zentrel
