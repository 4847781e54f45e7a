#include "engine/database/CountsRefresh.h"

#include <optional>

#include "engine/database/CacheIndex.h"
#include "engine/database/CountsCopy.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"

namespace zentrel {

namespace {

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

    bool operator==(const Versions&) const = default;
};

// Changes in value whenever another connection committed to the file.
Versions dataVersions(const SqlDatabase& db)
{
    return {db.scalar(QStringLiteral("PRAGMA project.data_version")).toLongLong(),
            db.scalar(QStringLiteral("PRAGMA cache.data_version")).toLongLong()};
}

// What the project's copies were last brought up to: the cache (its file, its id and its
// generation, which every change of Cache raises) and the last keyword then. Kept in the project
// file, so that reopening files that did not change copies nothing. A trigger on the copies
// deletes it whenever anything, this program or another, changes a copy or a key.
struct Synced {
    QString cacheId;
    QString cacheFile;
    qint64 generation = -1;
    qint64 lastKeyword = 0;

    bool sameCache(const Synced& other) const
    {
        return !cacheId.isEmpty() && cacheId == other.cacheId && cacheFile == other.cacheFile &&
               generation == other.generation;
    }
};

// Where both files stand, taken before a copy: whatever changes after it is newer than the
// record made from it.
struct Snapshot {
    Versions versions;
    Synced cache;
};

qint64 lastKeyword(const SqlDatabase& project)
{
    return project.scalar(QStringLiteral("SELECT coalesce(max(pkKeyword), 0) FROM project.Keyword"))
        .toLongLong();
}

Snapshot snapshotOf(const SqlDatabase& db)
{
    Snapshot now;
    now.versions = dataVersions(db);
    now.cache.cacheFile =
        db.scalar(QStringLiteral("SELECT file FROM pragma_database_list WHERE name = 'cache'"))
            .toString();
    now.cache.lastKeyword = lastKeyword(db);
    // Without the triggers that count it, the generation says nothing.
    if (!CacheIndex::exists(db))
        return now;
    try {
        auto row = db.query(QStringLiteral("SELECT Id, Generation FROM cache.CacheGeneration"));
        if (row.next()) {
            now.cache.cacheId = row.text(0);
            now.cache.generation = row.int64(1);
        }
    } catch (const SqlError&) {
        // A cache without its generation: nothing can be trusted.
    }
    return now;
}

const QString kWatch = QStringLiteral("CountsSyncedWatch");

void ensurePersisted(const SqlDatabase& project)
{
    project.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS project.CountsSynced (CacheId "
                                   "TEXT, CacheFile TEXT, Generation INTEGER, LastKeyword "
                                   "INTEGER) STRICT"));
    project.execute(QStringLiteral("CREATE TRIGGER IF NOT EXISTS project.%1 AFTER UPDATE OF "
                                   "Searches, CacheDate, Normalized ON Keyword BEGIN DELETE FROM "
                                   "CountsSynced; END")
                        .arg(kWatch));
}

// The record, when there is one and the trigger that takes it back still watches the copies.
std::optional<Synced> persisted(const SqlDatabase& project)
{
    const int watched =
        project
            .scalar(QStringLiteral("SELECT count(*) FROM project.sqlite_master WHERE (type = "
                                   "'table' AND name = 'CountsSynced') OR (type = 'trigger' AND "
                                   "name = ?1 AND tbl_name = 'Keyword')"),
                    {kWatch})
            .toInt();
    if (watched != 2)
        return std::nullopt;
    auto row = project.query(QStringLiteral(
        "SELECT CacheId, CacheFile, Generation, LastKeyword FROM project.CountsSynced"));
    if (!row.next())
        return std::nullopt;
    return Synced{row.text(0), row.text(1), row.int64(2), row.int64(3)};
}

void persist(const SqlDatabase& project, const Synced& synced)
{
    const auto before = persisted(project);
    if (before && before->sameCache(synced) && before->lastKeyword == synced.lastKeyword)
        return;
    project.execute(QStringLiteral("DELETE FROM project.CountsSynced"));
    project.execute(QStringLiteral("INSERT INTO project.CountsSynced (CacheId, CacheFile, "
                                   "Generation, LastKeyword) VALUES (?1, ?2, ?3, ?4)"),
                    {synced.cacheId, synced.cacheFile, synced.generation, synced.lastKeyword});
}

void remember(const SqlDatabase& project, const Snapshot& before)
{
    project.execute(QStringLiteral("DELETE FROM temp.CountsPending"));
    project.execute(QStringLiteral("INSERT OR REPLACE INTO temp.CountsSynced (Id, ProjectVersion, "
                                   "CacheVersion, LastKeyword) VALUES (1, ?1, ?2, ?3)"),
                    {before.versions.project, before.versions.cache, before.cache.lastKeyword});
    // Another connection that committed since the snapshot may have changed the copies after
    // the copy read them: no record then.
    if (dataVersions(project) == before.versions)
        persist(project, before.cache);
    else
        project.execute(QStringLiteral("DELETE FROM project.CountsSynced"));
}

// Where the copies stand: the last keyword they cover, or nothing when everything is to be
// copied.
std::optional<qint64> syncedUpTo(const SqlDatabase& project, const Snapshot& now)
{
    auto session = project.query(
        QStringLiteral("SELECT ProjectVersion, CacheVersion, LastKeyword FROM temp.CountsSynced"));
    if (session.next()) {
        if (session.int64(0) != now.versions.project || session.int64(1) != now.versions.cache)
            return std::nullopt; // another connection wrote
        return session.int64(2);
    }
    // The first refresh since a file was attached: what the project file remembers.
    const auto before = persisted(project);
    if (before && before->sameCache(now.cache))
        return before->lastKeyword;
    return std::nullopt;
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
    markAttached(db);
    if (db.connection().isAttached(QStringLiteral("project"))) {
        ensurePersisted(db);
        db.execute(QStringLiteral("DELETE FROM project.CountsSynced"));
    }
}

void CountsRefresh::markAttached(const SqlDatabase& db)
{
    auto guard = db.lock();
    ensureTables(db);
    db.execute(QStringLiteral("DELETE FROM temp.CountsSynced"));
}

void CountsRefresh::refreshAll(const SqlDatabase& project)
{
    CountsCopy::copyAll(project);
}

bool CountsRefresh::copiesEverything(const SqlDatabase& project)
{
    auto guard = project.lock();
    ensureTables(project);
    return !syncedUpTo(project, snapshotOf(project));
}

void CountsRefresh::refresh(const SqlDatabase& project)
{
    auto guard = project.lock();
    ensureTables(project);
    const Snapshot now = snapshotOf(project);
    const std::optional<qint64> upTo = syncedUpTo(project, now);
    ensurePersisted(project);
    if (upTo) {
        CountsCopy::copyWhere(project, QStringLiteral("pkKeyword > ?1 AND "), {*upTo});
        CountsCopy::copyWhere(
            project, QStringLiteral("Normalized IN (SELECT KW FROM temp.CountsPending) AND "));
    } else {
        refreshAll(project);
    }
    remember(project, now);
}

} // namespace zentrel
