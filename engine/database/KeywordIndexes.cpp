#include "engine/database/KeywordIndexes.h"

#include "engine/database/IndexBuild.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"

namespace zentrel {

namespace {

// Each listing reads its rows in index order (the key pkKeyword ends every index); the two
// listing indexes hold the shown spelling too, so a listing never visits the table.
const char* const kIndexes[] = {
    "DROP INDEX IF EXISTS project.KeywordRanked",
    "DROP INDEX IF EXISTS project.KeywordCandidates",
    "CREATE INDEX IF NOT EXISTS project.KeywordRankOrder ON Keyword (Relevancy DESC, Searches "
    "DESC, pkKeyword, KW) WHERE Relevancy IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS project.KeywordCandidateOrder ON Keyword (Searches DESC, "
    "length(KW), pkKeyword, KW, Relevancy) WHERE Relevancy IS NULL",
    "CREATE INDEX IF NOT EXISTS project.KeywordToCount ON Keyword (Relevancy DESC, length(KW)) "
    "WHERE Searches IS NULL",
    "CREATE INDEX IF NOT EXISTS project.KeywordToLookUp ON Keyword (Relevancy DESC, length(KW)) "
    "WHERE Relevancy > 2",
    "CREATE INDEX IF NOT EXISTS project.KeywordText ON Keyword (KW)",
};

// The count code of a relevancy: 123 candidates, 433 kept, 434 banned, NULL none.
QString codeOf(const char* row)
{
    return QStringLiteral("CASE WHEN %1.Relevancy IS NULL THEN 123 WHEN %1.Relevancy > 0 THEN "
                          "433 WHEN %1.Relevancy = 0 THEN 434 END")
        .arg(QLatin1String(row));
}

QStringList counterSql()
{
    const QString add = QStringLiteral("UPDATE KeywordCount SET Cnt = Cnt + 1 WHERE Code = ");
    const QString remove = QStringLiteral("UPDATE KeywordCount SET Cnt = Cnt - 1 WHERE Code = ");
    return {
        QStringLiteral("DROP TRIGGER IF EXISTS project.KeywordCountAdd"),
        QStringLiteral("DROP TRIGGER IF EXISTS project.KeywordCountRemove"),
        QStringLiteral("DROP TRIGGER IF EXISTS project.KeywordCountRank"),
        QStringLiteral("DROP TABLE IF EXISTS project.KeywordCount"),
        QStringLiteral("CREATE TABLE project.KeywordCount (Code INTEGER PRIMARY KEY, Cnt "
                       "INTEGER NOT NULL) STRICT"),
        QStringLiteral("INSERT INTO project.KeywordCount (Code, Cnt) SELECT c.Code, (SELECT "
                       "count(*) FROM project.Keyword AS k WHERE ") +
            codeOf("k") +
            QStringLiteral(" = c.Code) FROM (SELECT 123 AS Code UNION ALL SELECT 433 UNION ALL "
                           "SELECT 434) AS c"),
        QStringLiteral("CREATE TRIGGER project.KeywordCountAdd AFTER INSERT ON Keyword BEGIN ") +
            add + codeOf("new") + QStringLiteral("; END"),
        QStringLiteral("CREATE TRIGGER project.KeywordCountRemove AFTER DELETE ON Keyword BEGIN ") +
            remove + codeOf("old") + QStringLiteral("; END"),
        QStringLiteral("CREATE TRIGGER project.KeywordCountRank AFTER UPDATE OF Relevancy ON "
                       "Keyword WHEN ") +
            codeOf("old") + QStringLiteral(" IS NOT ") + codeOf("new") + QStringLiteral(" BEGIN ") +
            remove + codeOf("old") + QStringLiteral("; ") + add + codeOf("new") +
            QStringLiteral("; END"),
    };
}

bool countersComplete(const SqlDatabase& project)
{
    return project
               .scalar(QStringLiteral(
                   "SELECT count(*) FROM project.sqlite_master WHERE (type = 'trigger' AND name "
                   "IN ('KeywordCountAdd', 'KeywordCountRemove', 'KeywordCountRank')) OR (type = "
                   "'table' AND name = 'KeywordCount')"))
               .toInt() == 4;
}

// Whether the file holds every index and none of the names they replaced.
bool indexesComplete(const SqlDatabase& project)
{
    return project
        .scalar(QStringLiteral(
            "SELECT count(*) = 5 AND sum(name IN ('KeywordRanked', 'KeywordCandidates')) = "
            "0 FROM project.sqlite_master WHERE type = 'index' AND name IN "
            "('KeywordRankOrder', 'KeywordCandidateOrder', 'KeywordToCount', "
            "'KeywordToLookUp', 'KeywordText', 'KeywordRanked', 'KeywordCandidates')"))
        .toBool();
}

} // namespace

void KeywordIndexes::ensure(const SqlDatabase& project)
{
    auto guard = project.lock();
    // Nothing to write, so no write transaction at every open.
    if (indexesComplete(project) && countersComplete(project))
        return;
    IndexBuild::run(project, QStringLiteral("the keyword indexes of the project"), [&] {
        for (const char* sql : kIndexes)
            project.execute(QString::fromLatin1(sql));
        if (!countersComplete(project)) {
            for (const QString& sql : counterSql())
                project.execute(sql);
        }
    });
}

std::optional<int> KeywordIndexes::keptCount(const SqlDatabase& project, int code)
{
    if (code != 123 && code != 433 && code != 434)
        return std::nullopt;
    QVariant count;
    try {
        count = project.scalar(
            QStringLiteral("SELECT Cnt FROM project.KeywordCount WHERE Code = ?1"), {code});
    } catch (const SqlError&) {
        return std::nullopt; // no counters in this file
    }
    if (count.isNull())
        return std::nullopt;
    return count.toInt();
}

} // namespace zentrel
