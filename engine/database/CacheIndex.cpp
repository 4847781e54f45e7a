#include "engine/database/CacheIndex.h"

#include <QElapsedTimer>

#include "engine/database/IndexBuild.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

// Trigrams: texts of fewer than 3 characters are never found, so they are not indexed. Every
// change of the table also counts up the cache's generation (see CountsRefresh).
const char* const kBump = "UPDATE CacheGeneration SET Generation = Generation + 1; ";
const char* const kRemoveOld =
    "DELETE FROM CacheText WHERE rowid IN (SELECT rowid FROM CacheText WHERE CacheText MATCH "
    "'\"' || replace(old.KW, '\"', '\"\"') || '\"' AND KW = old.KW); ";
const char* const kAddNew = "INSERT INTO CacheText (KW) SELECT new.KW WHERE length(new.KW) >= 3; ";

QStringList buildSql()
{
    const QString bump = QString::fromLatin1(kBump);
    const QString removeOld = QString::fromLatin1(kRemoveOld);
    const QString addNew = QString::fromLatin1(kAddNew);
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS cache.CacheGeneration (Id TEXT NOT NULL, "
                       "Generation INTEGER NOT NULL) STRICT"),
        QStringLiteral("INSERT INTO cache.CacheGeneration (Id, Generation) SELECT "
                       "lower(hex(randomblob(16))), 0 WHERE NOT EXISTS (SELECT 1 FROM "
                       "cache.CacheGeneration)"),
        QStringLiteral("UPDATE cache.CacheGeneration SET Generation = Generation + 1"),
        QStringLiteral("CREATE VIRTUAL TABLE cache.CacheText USING fts5(KW, tokenize = 'trigram')"),
        QStringLiteral(
            "INSERT INTO cache.CacheText (KW) SELECT KW FROM cache.Cache WHERE length(KW) >= 3"),
        QStringLiteral("CREATE TRIGGER cache.CacheTextAdd AFTER INSERT ON Cache BEGIN ") + addNew +
            bump + QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER cache.CacheTextRemove AFTER DELETE ON Cache BEGIN ") +
            removeOld + bump + QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER cache.CacheTextRename AFTER UPDATE OF KW ON Cache BEGIN ") +
            removeOld + addNew + bump + QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER cache.CacheCountChange AFTER UPDATE OF Count, dte ON Cache "
                       "BEGIN ") +
            bump + QStringLiteral("END"),
    };
}

// The generation goes too: without the triggers nothing counts it up, and a project would trust
// copies of counts that changed meanwhile.
const char* const kDrop[] = {
    "DROP TRIGGER IF EXISTS cache.CacheTextAdd",    "DROP TRIGGER IF EXISTS cache.CacheTextRemove",
    "DROP TRIGGER IF EXISTS cache.CacheTextRename", "DROP TRIGGER IF EXISTS cache.CacheCountChange",
    "DROP TABLE IF EXISTS cache.CacheText",         "DROP TABLE IF EXISTS cache.CacheGeneration",
};

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

void run(const SqlDatabase& cache, const char* const* statements, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        cache.execute(QString::fromLatin1(statements[i]));
}

void run(const SqlDatabase& cache, const QStringList& statements)
{
    for (const QString& sql : statements)
        cache.execute(sql);
}

} // namespace

bool CacheIndex::exists(const SqlDatabase& cache)
{
    return cache
               .scalar(QStringLiteral(
                   "SELECT count(*) FROM cache.sqlite_master WHERE name IN ('CacheText', "
                   "'CacheTextAdd', 'CacheTextRemove', 'CacheTextRename', 'CacheCountChange', "
                   "'CacheGeneration')"))
               .toInt() == 6;
}

void CacheIndex::drop(const SqlDatabase& cache)
{
    auto guard = cache.lock();
    SqlTransaction transaction(cache.connection());
    run(cache, kDrop, std::size(kDrop));
    transaction.commit();
}

void CacheIndex::ensure(const SqlDatabase& cache, const std::function<void(const QString&)>& note)
{
    auto guard = cache.lock();
    if (exists(cache))
        return;
    const int rows = cache.scalar(QStringLiteral("SELECT count(*) FROM cache.Cache")).toInt();
    note(QStringLiteral("Building the keyword index of the cache '%1' (%2 keywords)...")
             .arg(cache.fileName())
             .arg(rows));
    QElapsedTimer timer;
    timer.start();
    IndexBuild::run(cache, QStringLiteral("the keyword index of the cache"), [&] {
        run(cache, kDrop, std::size(kDrop));
        run(cache, buildSql());
    });
    note(QStringLiteral("The keyword index of the cache '%1' is built (%2 s).")
             .arg(cache.fileName())
             .arg(static_cast<double>(timer.elapsed()) / 1000.0, 0, 'f', 1));
}

QString CacheIndex::matchFor(const QString& text)
{
    // The index folds case its own way; beyond ASCII the engine's case-blind test could find
    // keywords that the index would not.
    if (text.size() < 3 || !isAscii(text))
        return {};
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CacheIndex::matchAll(const QStringList& texts)
{
    QStringList phrases;
    for (const QString& text : texts) {
        const QString phrase = matchFor(text);
        if (!phrase.isEmpty())
            phrases << phrase;
    }
    return phrases.join(QStringLiteral(" AND "));
}

QStringList CacheIndex::keywordsWithWord(const SqlDatabase& project, const QString& word)
{
    const QString filter = QStringLiteral(
        "containsword(c.KW, ?1) AND c.Count > 0 AND k.Relevancy IS NULL ORDER BY c.KW");
    const QString from = QStringLiteral(
        "SELECT c.KW FROM cache.Cache AS c LEFT JOIN project.Keyword AS k ON k.Normalized = c.KW "
        "WHERE ");
    auto guard = project.lock();
    const QString match = matchFor(word);
    const bool indexed = !match.isEmpty() && exists(project);
    auto rows = indexed ? project.query(from +
                                            QStringLiteral("c.KW IN (SELECT KW FROM "
                                                           "cache.CacheText WHERE CacheText "
                                                           "MATCH ?2) AND ") +
                                            filter,
                                        {word, match})
                        : project.query(from + filter, {word});
    QStringList keywords;
    while (rows.next())
        keywords << rows.text(0);
    return keywords;
}

} // namespace zentrel
