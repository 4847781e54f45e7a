#include "engine/database/CacheImportQuery.h"

#include "engine/database/CacheIndex.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

// The pieces that every found keyword holds: each word cut at its "*".
QStringList pieces(const QStringList& words)
{
    QStringList all;
    for (const QString& word : words)
        all += word.split(QLatin1Char('*'), Qt::SkipEmptyParts);
    return all;
}

} // namespace

std::vector<CacheImportQuery::Row>
CacheImportQuery::Run(const SqlDatabase& ProjectDB, const QStringList& Words, bool IncludeBanned)
{
    const auto guard = ProjectDB.lock();
    // The cache's keyword index narrows the keywords to those holding every piece it can look
    // up; containsall() still decides.
    const QString match = CacheIndex::matchAll(pieces(Words));
    const bool indexed = !match.isEmpty() && CacheIndex::exists(ProjectDB);
    const QString sql =
        QStringLiteral("SELECT c.KW, c.Count, k.Relevancy IS NULL OR (?2 AND k.Relevancy = 0) "
                       "FROM (SELECT KW, Count FROM cache.Cache WHERE ") +
        (indexed ? QStringLiteral("KW IN (SELECT KW FROM cache.CacheText WHERE CacheText MATCH "
                                  "?4) AND ")
                 : QString()) +
        QStringLiteral(
            "Count > 0 AND containsall(KW, ?1) ORDER BY Count DESC, KW LIMIT ?3) AS c "
            "LEFT JOIN project.Keyword AS k ON k.Normalized = c.KW ORDER BY c.Count DESC, "
            "c.KW");
    // The matches are taken highest count first, a few more than are wanted, and only those are
    // looked up in the project; when too many of them are held, more are taken. A lookup for
    // every match would cost more than the scan when most keywords match.
    for (qint64 taken = 2 * kMaxRows;; taken *= 4) {
        QVariantList params{Words.join(QLatin1Char(' ')), IncludeBanned ? 1 : 0, taken};
        if (indexed)
            params << match;
        auto rows = ProjectDB.query(sql, params);
        std::vector<Row> found;
        qint64 read = 0;
        while (found.size() < static_cast<size_t>(kMaxRows) && rows.next()) {
            ++read;
            if (rows.int32(2) != 0)
                found.push_back({rows.text(0), rows.int64(1)});
        }
        if (found.size() == static_cast<size_t>(kMaxRows) || read < taken)
            return found;
    }
}

int CacheImportQuery::Unban(const SqlDatabase& ProjectDB, const QStringList& KWs)
{
    const auto guard = ProjectDB.lock();
    SqlTransaction transaction(ProjectDB.connection());
    auto unban = ProjectDB.query(QStringLiteral(
        "UPDATE project.Keyword SET Relevancy = NULL WHERE Normalized = ?1 AND Relevancy = 0"));
    int changed = 0;
    for (const QString& kw : KWs) {
        unban.bind(1, MParser::NormalizeKW(
                          MParser::LowerCase(MParser::TrimBlanks(MParser::StripInvisible(kw)))));
        changed += unban.execute();
        unban.reset();
    }
    transaction.commit();
    return changed;
}

} // namespace zentrel
