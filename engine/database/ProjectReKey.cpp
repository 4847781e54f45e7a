#include "engine/database/ProjectReKey.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QSet>

#include "engine/database/CountsRefresh.h"
#include "engine/database/StoredKeys.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

struct KeywordKeys {
    qint64 id = 0;
    QString kw;
    QString identity;
    bool identityChanged = false;
};

std::vector<KeywordKeys> keywordsToReKey(const SqlDatabase& project)
{
    std::vector<KeywordKeys> changed;
    auto rows = project.query(QStringLiteral("SELECT pkKeyword, KW, Normalized FROM "
                                             "project.Keyword WHERE ") +
                              StoredKeys::beyondAscii("KW") + QStringLiteral(" OR ") +
                              StoredKeys::beyondAscii("Normalized"));
    while (rows.next()) {
        const QString kw = rows.text(1);
        const QString identity = rows.text(2);
        KeywordKeys keys{rows.int64(0), SqlFunctions::keyForm(kw), StoredKeys::identity(identity)};
        keys.identityChanged = keys.identity != identity;
        if (keys.identityChanged || keys.kw != kw)
            changed.push_back(std::move(keys));
    }
    return changed;
}

struct IndexDef {
    QString name;
    QString sql;
};

// The indexes of Keyword led by a text compared by NOCASE: their order is the collation's. Made
// again once the keys changed, they hold keys in the order of either collation, whatever order
// another client left them in.
std::vector<IndexDef> textIndexes(const SqlDatabase& project)
{
    std::vector<IndexDef> indexes;
    auto rows = project.query(QStringLiteral(
        "SELECT m.name, m.sql FROM project.sqlite_master AS m WHERE m.type = 'index' AND "
        "m.tbl_name = 'Keyword' AND m.sql IS NOT NULL AND (SELECT x.coll FROM "
        "pragma_index_xinfo(m.name, 'project') AS x WHERE x.seqno = 0) = 'NOCASE'"));
    while (rows.next())
        indexes.push_back({rows.text(0), rows.text(1)});
    return indexes;
}

// An index's statement as the file keeps it ("CREATE [UNIQUE] INDEX name ON ..."), made to
// create it in the project's file.
QString inProject(QString sql)
{
    const QLatin1String index("INDEX ");
    const qsizetype at = sql.indexOf(index, 0, Qt::CaseInsensitive);
    if (at < 0)
        throw SqlError(SQLITE_ERROR, QStringLiteral("Cannot make the index again: %1").arg(sql));
    return sql.insert(at + index.size(), QLatin1String("project."));
}

// The ids of keywords whose identities are one, each group in id order.
std::vector<std::vector<qint64>> sameIdentities(const SqlDatabase& project)
{
    std::vector<std::vector<qint64>> groups;
    std::vector<qint64> run;
    std::string previous;
    auto rows = project.query(QStringLiteral("SELECT pkKeyword, Normalized FROM project.Keyword "
                                             "ORDER BY Normalized COLLATE NOCASE, pkKeyword"));
    while (rows.next()) {
        const std::string_view key = rows.utf8(1);
        if (!run.empty() && SqlFunctions::compareNoCase(previous, key) != 0) {
            if (run.size() > 1)
                groups.push_back(run);
            run.clear();
        }
        run.push_back(rows.int64(0));
        previous.assign(key);
    }
    if (run.size() > 1)
        groups.push_back(run);
    return groups;
}

void mergeKeyword(const SqlDatabase& project, qint64 into, qint64 from, bool lookupDates)
{
    const QVariantList ids{into, from};
    project.execute(
        QStringLiteral("INSERT INTO project.KWGroup (fkKW, fkGroup) SELECT DISTINCT ?1, "
                       "g.fkGroup FROM project.KWGroup AS g WHERE g.fkKW = ?2 AND NOT EXISTS "
                       "(SELECT 1 FROM project.KWGroup AS h WHERE h.fkKW = ?1 AND h.fkGroup = "
                       "g.fkGroup)"),
        ids);
    project.execute(QStringLiteral("INSERT INTO project.KeywordOperation (fkKeyword, fkOperation) "
                                   "SELECT DISTINCT ?1, o.fkOperation FROM "
                                   "project.KeywordOperation AS o WHERE o.fkKeyword = ?2 AND NOT "
                                   "EXISTS (SELECT 1 FROM project.KeywordOperation AS p WHERE "
                                   "p.fkKeyword = ?1 AND p.fkOperation = o.fkOperation)"),
                    ids);
    QString sets = QStringLiteral(
        "Relevancy = (SELECT max(Relevancy) FROM project.Keyword WHERE pkKeyword IN (?1, ?2)), "
        "(Searches, CacheDate) = (SELECT Searches, CacheDate FROM project.Keyword WHERE "
        "pkKeyword IN (?1, ?2) ORDER BY CacheDate IS NULL, CacheDate DESC, pkKeyword <> ?1 "
        "LIMIT 1)");
    if (lookupDates) {
        sets += QStringLiteral(", LookupDate = (SELECT max(LookupDate) FROM project.Keyword WHERE "
                               "pkKeyword IN (?1, ?2))");
    }
    project.execute(QStringLiteral("UPDATE project.Keyword SET ") + sets +
                        QStringLiteral(" WHERE pkKeyword = ?1"),
                    ids);
    project.execute(QStringLiteral("DELETE FROM project.Keyword WHERE pkKeyword = ?1"), {from});
}

void mergeSameIdentities(const SqlDatabase& project, const QSet<qint64>& reKeyed)
{
    const bool lookupDates =
        project.hasColumn(QStringLiteral("Keyword"), QStringLiteral("LookupDate"));
    for (const std::vector<qint64>& group : sameIdentities(project)) {
        const auto holder = std::find_if(group.begin(), group.end(),
                                         [&](qint64 id) { return !reKeyed.contains(id); });
        const qint64 into = holder != group.end() ? *holder : group.front();
        for (const qint64 id : group) {
            if (id != into)
                mergeKeyword(project, into, id, lookupDates);
        }
    }
}

void reKeyKeywords(const SqlDatabase& project, const std::vector<KeywordKeys>& changed)
{
    const std::vector<IndexDef> indexes = textIndexes(project);
    for (const IndexDef& index : indexes)
        project.execute(QStringLiteral("DROP INDEX project.") + SqlConnection::quoted(index.name));
    QSet<qint64> reKeyed;
    {
        auto update = project.query(QStringLiteral(
            "UPDATE project.Keyword SET KW = ?1, Normalized = ?2 WHERE pkKeyword = ?3"));
        for (const KeywordKeys& keys : changed) {
            update.bind(1, keys.kw).bind(2, keys.identity).bind(3, keys.id);
            update.execute();
            if (keys.identityChanged)
                reKeyed.insert(keys.id);
        }
    }
    mergeSameIdentities(project, reKeyed);
    for (const IndexDef& index : indexes)
        project.execute(inProject(index.sql));
}

} // namespace

bool ProjectReKey::upgrade(const SqlDatabase& project)
{
    auto guard = project.lock();
    if (StoredKeys::isReKeyed(project))
        return false;
    SqlTransaction transaction(project.connection());
    const std::vector<KeywordKeys> changed = keywordsToReKey(project);
    if (!changed.empty()) {
        reKeyKeywords(project, changed);
        CountsRefresh::markAll(project);
    }
    StoredKeys::markReKeyed(project);
    transaction.commit();
    return !changed.empty();
}

} // namespace zentrel
