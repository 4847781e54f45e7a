#include "engine/database/CountsRefresh.h"

#include "engine/platform/SqlDatabase.h"

namespace zentrel {

namespace {

// The copy statement with the rows it covers; only rows whose copy differs are written.
QString copySql(const QString& where)
{
    return QStringLiteral("UPDATE project.Keyword SET (Searches, CacheDate) = (SELECT c.Count, "
                          "c.dte FROM cache.Cache AS c WHERE c.KW = Keyword.Normalized) WHERE ") +
           where +
           QStringLiteral("EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
                          "Keyword.Normalized AND (c.Count IS NOT Keyword.Searches OR c.dte IS "
                          "NOT Keyword.CacheDate))");
}

void ensureTables(const SqlDatabase& db)
{
    db.connection().exec(QStringLiteral(
        "CREATE TEMP TABLE IF NOT EXISTS CountsPending (KW TEXT PRIMARY KEY COLLATE NOCASE) "
        "WITHOUT ROWID;"
        "CREATE TEMP TABLE IF NOT EXISTS CountsSynced (Id INTEGER PRIMARY KEY CHECK (Id = 1), "
        "ProjectVersion INTEGER, CacheVersion INTEGER, LastKeyword INTEGER);"));
}

struct Versions {
    qint64 project = 0;
    qint64 cache = 0;
};

// Changes in value whenever another connection committed to the file.
Versions dataVersions(const SqlDatabase& db)
{
    return {db.scalar(QStringLiteral("PRAGMA project.data_version")).toLongLong(),
            db.scalar(QStringLiteral("PRAGMA cache.data_version")).toLongLong()};
}

void remember(const SqlDatabase& project, const Versions& versions)
{
    project.execute(QStringLiteral("DELETE FROM temp.CountsPending"));
    project.execute(QStringLiteral("INSERT OR REPLACE INTO temp.CountsSynced (Id, ProjectVersion, "
                                   "CacheVersion, LastKeyword) VALUES (1, ?1, ?2, (SELECT "
                                   "coalesce(max(pkKeyword), 0) FROM project.Keyword))"),
                    {versions.project, versions.cache});
}

} // namespace

void CountsRefresh::markKeys(const SqlDatabase& db, const QStringList& keys)
{
    auto guard = db.lock();
    ensureTables(db);
    auto mark =
        db.query(QStringLiteral("INSERT OR IGNORE INTO temp.CountsPending (KW) VALUES (?1)"));
    for (const QString& key : keys) {
        mark.bind(1, key);
        mark.execute();
    }
}

void CountsRefresh::markAll(const SqlDatabase& db)
{
    auto guard = db.lock();
    ensureTables(db);
    db.execute(QStringLiteral("DELETE FROM temp.CountsSynced"));
}

void CountsRefresh::refreshAll(const SqlDatabase& project)
{
    project.execute(copySql({}));
}

void CountsRefresh::refresh(const SqlDatabase& project)
{
    auto guard = project.lock();
    ensureTables(project);
    const Versions now = dataVersions(project);
    bool known = false;
    qint64 lastKeyword = 0;
    {
        auto synced = project.query(QStringLiteral("SELECT ProjectVersion, CacheVersion, "
                                                   "LastKeyword FROM temp.CountsSynced"));
        if (synced.next()) {
            known = synced.int64(0) == now.project && synced.int64(1) == now.cache;
            lastKeyword = synced.int64(2);
        }
    }
    if (!known) {
        refreshAll(project);
    } else {
        project.execute(copySql(QStringLiteral("pkKeyword > ?1 AND ")), {lastKeyword});
        project.execute(
            copySql(QStringLiteral("Normalized IN (SELECT KW FROM temp.CountsPending) AND ")));
    }
    remember(project, now);
}

} // namespace zentrel
