#include "engine/database/KeywordStore.h"

#include <sqlite3.h>

#include "engine/database/KeywordIndexes.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlFunctions.h"

namespace zentrel {

namespace {

constexpr int kPieceSize = 50;

bool breaksRules(const QString& kw)
{
    if (kw.size() < 3 || kw.size() > 100)
        return true;
    static const QStringList forbidden = {":", "+", "..", "%", "#", "/", "\\", "?"};
    for (const QString& part : forbidden) {
        if (kw.contains(part))
            return true;
    }
    return false;
}

int intOrMinusOne(const SqlStatement& row, int column)
{
    return row.isNull(column) ? -1 : row.int32(column);
}

SqlError emptyStatement()
{
    return SqlError(SQLITE_ERROR, QStringLiteral("Invalid SQL statement: the statement is empty."));
}

const QString kKeywordColumns = QStringLiteral("k.pkKeyword, k.KW, k.Searches, k.Relevancy");

QString listingSql(const KeywordStore::Listing& listing)
{
    if (listing.groupId) {
        return QStringLiteral(
                   "SELECT %1 FROM project.Keyword AS k INNER JOIN project.KWGroup AS g ON "
                   "k.pkKeyword = g.fkKW WHERE k.Relevancy IS NOT NULL AND "
                   "k.Relevancy > 0 AND g.fkGroup = ?1 ORDER BY k.Relevancy DESC, "
                   "k.Searches DESC, k.pkKeyword")
            .arg(kKeywordColumns);
    }
    switch (listing.kind) {
    case kwk_raw:
        return QStringLiteral(
                   "SELECT %1 FROM project.Keyword AS k WHERE k.Relevancy IS NULL ORDER BY "
                   "k.Searches DESC, length(k.KW), k.pkKeyword")
            .arg(kKeywordColumns);
    case kwk_kws:
        if (listing.excludeGrouped) {
            return QStringLiteral(
                       "SELECT %1 FROM project.Keyword AS k WHERE NOT EXISTS (SELECT 1 FROM "
                       "project.KWGroup AS g WHERE g.fkKW = k.pkKeyword) AND k.Relevancy IS "
                       "NOT NULL AND k.Relevancy > 0 ORDER BY k.Relevancy DESC, "
                       "k.Searches DESC, k.pkKeyword")
                .arg(kKeywordColumns);
        }
        return QStringLiteral(
                   "SELECT %1 FROM project.Keyword AS k WHERE k.Relevancy IS NOT NULL AND "
                   "k.Relevancy > 0 ORDER BY k.Relevancy DESC, k.Searches DESC, "
                   "k.pkKeyword")
            .arg(kKeywordColumns);
    case kwk_banned:
        return QStringLiteral("SELECT %1 FROM project.Keyword AS k WHERE k.Relevancy = 0 ORDER BY "
                              "k.Searches DESC, k.pkKeyword")
            .arg(kKeywordColumns);
    }
    return {};
}

QString countSql(int code)
{
    switch (code) {
    case 123:
        return QStringLiteral(
            "SELECT count(*) AS cnt FROM project.Keyword WHERE Relevancy IS NULL");
    case 433:
        return QStringLiteral(
            "SELECT count(*) AS cnt FROM project.Keyword WHERE Relevancy IS NOT NULL "
            "AND Relevancy > 0");
    case 434:
        return QStringLiteral("SELECT count(*) AS cnt FROM project.Keyword WHERE Relevancy = 0");
    case 511:
        // Driven from the memberships (CROSS JOIN keeps that order), not from the keywords.
        return QStringLiteral(
            "SELECT count(*) AS cnt FROM project.KWGroup CROSS JOIN project.Keyword ON "
            "Keyword.pkKeyword = KWGroup.fkKW WHERE Relevancy IS NOT NULL AND "
            "Relevancy > 0");
    case 542:
        return QStringLiteral("SELECT count(*) AS cnt FROM project.\"Group\"");
    default:
        return {};
    }
}

} // namespace

KeywordStore::Filtered KeywordStore::filter(const QStringList& keywords)
{
    Filtered result;
    for (const QString& item : keywords) {
        QString kw = MParser::LowerCase(MParser::TrimBlanks(MParser::StripInvisible(item)));
        if (breaksRules(kw)) {
            result.rejected << kw;
            continue;
        }
        kw.replace(QLatin1Char('-'), QLatin1Char(' ')).replace(QLatin1Char('~'), QLatin1Char(' '));
        kw.replace(QLatin1String("  "), QLatin1String(" "));
        result.accepted << kw;
    }
    return result;
}

void KeywordStore::storeOperation(const SqlDatabase& db, const QString& id,
                                  const QString& description, const QString& parameter)
{
    db.execute(QStringLiteral("INSERT INTO project.Operation (pkOperation, Processed, Description, "
                              "Parameter) VALUES (?1, ?2, ?3, ?4) ON CONFLICT (pkOperation) DO "
                              "NOTHING"),
               {id, SqlDate::now(), description, parameter});
    if (db.scalar(QStringLiteral("SELECT count(*) FROM project.Operation WHERE pkOperation = ?1"),
                  {id})
            .toInt() == 0) {
        throw SqlError(SQLITE_ERROR,
                       QStringLiteral("The operation '%1' cannot be stored.").arg(id));
    }
}

void KeywordStore::storeKeywords(const SqlDatabase& db, const QStringList& accepted,
                                 std::optional<int> relevancy, const QString& operationId)
{
    // A new keyword costs one insert; a found one an update of its spelling (and relevancy).
    auto insert =
        db.query(QStringLiteral("INSERT INTO project.Keyword (KW, Normalized, Relevancy) VALUES "
                                "(?1, ?2, ?3) ON CONFLICT (Normalized) DO NOTHING"));
    auto update =
        db.query(relevancy ? QStringLiteral("UPDATE project.Keyword SET KW = ?1, Relevancy = ?3 "
                                            "WHERE Normalized = ?2 RETURNING pkKeyword")
                           : QStringLiteral("UPDATE project.Keyword SET KW = ?1 WHERE "
                                            "Normalized = ?2 RETURNING pkKeyword"));
    auto link =
        db.query(QStringLiteral("INSERT INTO project.KeywordOperation (fkKeyword, fkOperation) "
                                "VALUES (?1, ?2) ON CONFLICT DO NOTHING"));
    const QVariant rank = relevancy ? QVariant(*relevancy) : QVariant();
    for (const QString& item : accepted) {
        const QString kw = MParser::TrimBlanks(item);
        // SQLite ends a text's length at a NUL character, so the table's rules would refuse the
        // keyword and take the whole addition back with it.
        if (kw.isEmpty() || kw.size() > 255 || kw.contains(QChar(0)))
            continue;
        const QString normalized = MParser::NormalizeKW(kw);
        insert.bind(1, kw).bind(2, normalized).bind(3, rank);
        qint64 id = 0;
        if (insert.execute() == 1) {
            id = db.connection().lastInsertRowId();
        } else {
            update.bind(1, kw).bind(2, normalized);
            if (relevancy)
                update.bind(3, *relevancy);
            if (!update.next())
                throw SqlError(SQLITE_ERROR,
                               QStringLiteral("The keyword '%1' was not stored.").arg(kw));
            id = update.int64(0);
            update.reset();
        }
        link.bind(1, id).bind(2, operationId);
        link.execute();
    }
}

bool KeywordStore::updateKW(const SqlDatabase& db, const QString& kw)
{
    // The spelling is kept but for its invisible characters and the fold of its letters beyond
    // ASCII, which the text's index needs.
    const QString spelling = SqlFunctions::keyForm(MParser::StripInvisible(kw));
    return db.execute(QStringLiteral("UPDATE project.Keyword SET KW = ?1 WHERE Normalized = ?2"),
                      {spelling, MParser::NormalizeKW(spelling)}) > 0;
}

std::vector<QVariantList> KeywordStore::pieces(const QVariantList& ids)
{
    std::vector<QVariantList> result;
    for (qsizetype start = 0; start < ids.size(); start += kPieceSize)
        result.push_back(ids.mid(start, kPieceSize));
    return result;
}

QString KeywordStore::placeholders(int n, int first)
{
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?%1").arg(first + i);
    return marks.join(QStringLiteral(", "));
}

void KeywordStore::setRelevancy(const SqlDatabase& db, const QVariantList& ids, int relevancy)
{
    for (const QVariantList& piece : pieces(ids)) {
        QVariantList params{relevancy};
        params += piece;
        db.execute(
            QStringLiteral("UPDATE project.Keyword SET Relevancy = ?1 WHERE pkKeyword IN (%1)")
                .arg(placeholders(static_cast<int>(piece.size()), 2)),
            params);
    }
}

void KeywordStore::deleteKWs(const SqlDatabase& db, const QVariantList& ids)
{
    for (const QVariantList& piece : pieces(ids)) {
        db.execute(QStringLiteral("DELETE FROM project.Keyword WHERE pkKeyword IN (%1)")
                       .arg(placeholders(static_cast<int>(piece.size()), 1)),
                   piece);
    }
}

KeywordTable KeywordStore::list(const SqlDatabase& db, const Listing& listing)
{
    QString sql = listingSql(listing);
    if (sql.isEmpty())
        throw emptyStatement();
    QVariantList params;
    if (listing.groupId)
        params << *listing.groupId;
    // Without a limit no LIMIT clause: a negative one would send the rows through a sorter.
    if (listing.limit >= 0) {
        params << listing.limit;
        sql += QStringLiteral(" LIMIT ?%1").arg(params.size());
    }
    KeywordTable table;
    auto rows = db.query(sql, params);
    while (rows.next())
        table.append(rows.int32(0), rows.text(1), intOrMinusOne(rows, 2), intOrMinusOne(rows, 3));
    return table;
}

int KeywordStore::count(const SqlDatabase& db, int code)
{
    if (const auto kept = KeywordIndexes::keptCount(db, code))
        return *kept;
    const QString sql = countSql(code);
    if (sql.isEmpty())
        throw emptyStatement();
    return db.scalar(sql).toInt();
}

void KeywordStore::normalizeAll(const SqlDatabase& project, const SqlDatabase& cache)
{
    std::vector<std::pair<qint64, QString>> keywords;
    {
        auto rows = project.query(QStringLiteral("SELECT pkKeyword, KW FROM project.Keyword"));
        while (rows.next())
            keywords.emplace_back(rows.int64(0), rows.text(1));
    }
    for (const auto& [id, kw] : keywords) {
        try {
            project.execute(
                QStringLiteral("UPDATE project.Keyword SET Normalized = ?1 WHERE pkKeyword = ?2"),
                {MParser::NormalizeKW(kw), id});
        } catch (const ZError&) {
            try {
                project.execute(QStringLiteral("DELETE FROM project.Keyword WHERE pkKeyword = ?1"),
                                {id});
            } catch (const ZError&) {
            }
        }
    }
    QStringList cached;
    {
        auto rows = cache.query(QStringLiteral("SELECT KW FROM %1").arg(cache.qualified("Cache")));
        while (rows.next())
            cached << rows.text(0);
    }
    const QString update =
        QStringLiteral("UPDATE %1 SET KW = ?1 WHERE KW = ?2").arg(cache.qualified("Cache"));
    const QString remove =
        QStringLiteral("DELETE FROM %1 WHERE KW = ?1").arg(cache.qualified("Cache"));
    for (const QString& kw : cached) {
        const QString normalized = MParser::NormalizeKW(kw);
        if (normalized == kw)
            continue;
        try {
            cache.execute(update, {normalized, kw});
        } catch (const ZError&) {
            try {
                cache.execute(remove, {kw});
            } catch (const ZError&) {
            }
        }
    }
}

} // namespace zentrel
