#include "engine/database/CountsCopy.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QVariant>

#include "engine/database/LargeWriteCache.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlStatement.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

enum class Kind : quint8 { Null, Integer, Real, Other };

Kind kindOf(int type)
{
    switch (type) {
    case SQLITE_NULL:
        return Kind::Null;
    case SQLITE_INTEGER:
        return Kind::Integer;
    case SQLITE_FLOAT:
        return Kind::Real;
    default:
        return Kind::Other;
    }
}

// A number as a row holds it, read without a QVariant.
struct Number {
    qint64 integer = 0;
    double real = 0;
    Kind kind = Kind::Null;

    static Number of(const SqlStatement& row, int column)
    {
        Number number;
        number.kind = kindOf(row.type(column));
        if (number.kind == Kind::Integer)
            number.integer = row.int64(column);
        else if (number.kind == Kind::Real)
            number.real = row.real(column);
        return number;
    }
};

// A keyword's two copies, kept small: a million of them are held at once.
struct KeywordCopy {
    qint64 searches = 0;
    double cacheDate = 0;
    Kind searchesKind = Kind::Null;
    Kind cacheDateKind = Kind::Null;

    // SQL's "IS NOT" against the cache's values. A value of another kind than the column's
    // counts as different, so that writing it converts or refuses it just as a plain UPDATE
    // would.
    bool differsFrom(const Number& count, const Number& dte) const
    {
        return differs(searchesKind, count.kind, Kind::Integer,
                       [&] { return searches != count.integer; }) ||
               differs(cacheDateKind, dte.kind, Kind::Real, [&] { return cacheDate != dte.real; });
    }

    template <class Unequal>
    static bool differs(Kind copy, Kind source, Kind expected, Unequal unequal)
    {
        if (copy == Kind::Null || source == Kind::Null)
            return copy != source;
        return copy != expected || source != expected || unequal();
    }
};

// Every keyword's copies, by id. Ids are mostly dense, so a keyword is found by its offset
// from the first id; when deletions left them sparse, by a binary search of the ids.
class KeywordCopies {
public:
    explicit KeywordCopies(const SqlDatabase& project)
    {
        auto rows = project.query(QStringLiteral(
            "SELECT pkKeyword, Searches, CacheDate FROM project.Keyword ORDER BY pkKeyword"));
        while (rows.next()) {
            m_ids.push_back(rows.int64(0));
            const Number searches = Number::of(rows, 1);
            const Number cacheDate = Number::of(rows, 2);
            m_copies.push_back({searches.integer, cacheDate.real, searches.kind, cacheDate.kind});
        }
        if (!m_ids.empty())
            m_first = m_ids.front();
        if (!m_ids.empty() && m_ids.back() - m_first + 1 == static_cast<qint64>(m_ids.size()))
            std::vector<qint64>().swap(m_ids); // dense: the offset is enough
    }

    const KeywordCopy* find(qint64 keyword) const
    {
        qint64 at = keyword - m_first;
        if (!m_ids.empty()) {
            const auto it = std::lower_bound(m_ids.begin(), m_ids.end(), keyword);
            if (it == m_ids.end() || *it != keyword)
                return nullptr;
            at = it - m_ids.begin();
        }
        return at >= 0 && at < static_cast<qint64>(m_copies.size()) ? &m_copies[at] : nullptr;
    }

private:
    std::vector<KeywordCopy> m_copies;
    std::vector<qint64> m_ids; // empty when the ids are dense
    qint64 m_first = 0;
};

struct Change {
    qint64 keyword = 0;
    QVariant searches;
    QVariant cacheDate;
};

bool isAscii(std::string_view text)
{
    unsigned char bits = 0;
    for (const char c : text)
        bits |= static_cast<unsigned char>(c);
    return bits < 0x80;
}

// One side of the walk, whose keys must come strictly ascending in the collation's order. A
// file whose index was built under another NOCASE (the sqlite3 client's own folds ASCII letters
// only) may hold keys beyond ASCII in another order, and the walk would miss keys; two keys of
// plain ASCII come in the same order under either. The key is read once per row.
class KeyWalk {
public:
    explicit KeyWalk(SqlStatement rows)
        : m_rows(std::move(rows))
    {
        if (step())
            remember();
    }

    bool valid() const { return m_valid; }
    std::string_view key() const { return m_key; }
    const SqlStatement& row() const { return m_rows; }

    // Steps on; false when the next key is out of order.
    bool next()
    {
        if (!step())
            return true;
        const bool ascii = isAscii(m_key);
        if (!(ascii && m_previousAscii) && SqlFunctions::compareNoCase(m_previous, m_key) >= 0)
            return false;
        m_previous.assign(m_key);
        m_previousAscii = ascii;
        return true;
    }

private:
    bool step()
    {
        m_valid = m_rows.next();
        m_key = m_valid ? m_rows.utf8(0) : std::string_view();
        return m_valid;
    }

    void remember()
    {
        m_previous.assign(m_key);
        m_previousAscii = isAscii(m_key);
    }

    SqlStatement m_rows;
    std::string_view m_key;
    std::string m_previous;
    bool m_previousAscii = true;
    bool m_valid = false;
};

// Holds the connection's own mutex over many calls, so that each one only enters it again.
class HeldMutex {
public:
    explicit HeldMutex(sqlite3* db)
        : m_mutex(sqlite3_db_mutex(db))
    {
        sqlite3_mutex_enter(m_mutex);
    }
    ~HeldMutex() { sqlite3_mutex_leave(m_mutex); }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

private:
    sqlite3_mutex* m_mutex;
};

// The keys of both sides are read in their indexes' order, so a walk side by side pairs them;
// nothing when either side is out of order.
std::optional<std::vector<Change>> changedCopies(const SqlDatabase& project)
{
    const HeldMutex held(project.connection().handle());
    const KeywordCopies copies(project);
    KeyWalk keys(project.query(QStringLiteral(
        "SELECT Normalized, pkKeyword FROM project.Keyword ORDER BY Normalized COLLATE NOCASE")));
    KeyWalk counts(project.query(
        QStringLiteral("SELECT KW, Count, dte FROM cache.Cache ORDER BY KW COLLATE NOCASE")));
    std::vector<Change> changes;
    while (keys.valid() && counts.valid()) {
        const int order = SqlFunctions::compareNoCase(keys.key(), counts.key());
        if (order == 0) {
            const qint64 keyword = keys.row().int64(1);
            const KeywordCopy* copy = copies.find(keyword);
            if (copy == nullptr ||
                copy->differsFrom(Number::of(counts.row(), 1), Number::of(counts.row(), 2)))
                changes.push_back({keyword, counts.row().value(1), counts.row().value(2)});
        }
        if (order <= 0 && !keys.next())
            return std::nullopt;
        if (order >= 0 && !counts.next())
            return std::nullopt;
    }
    return changes;
}

} // namespace

void CountsCopy::copyWhere(const SqlDatabase& project, const QString& where,
                           const QVariantList& params)
{
    project.execute(
        QStringLiteral("UPDATE project.Keyword SET (Searches, CacheDate) = (SELECT c.Count, "
                       "c.dte FROM cache.Cache AS c WHERE c.KW = Keyword.Normalized) WHERE ") +
            where +
            QStringLiteral("EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
                           "Keyword.Normalized AND (c.Count IS NOT Keyword.Searches OR c.dte IS "
                           "NOT Keyword.CacheDate))"),
        params);
}

void CountsCopy::copyAll(const SqlDatabase& project)
{
    auto guard = project.lock();
    const std::optional<std::vector<Change>> found = changedCopies(project);
    if (!found) {
        copyWhere(project, {});
        return;
    }
    const std::vector<Change>& changes = *found;
    if (changes.empty())
        return;
    const LargeWriteCache largeWrite(project, static_cast<qsizetype>(changes.size()));
    SqlTransaction transaction(project.connection());
    auto update = project.query(QStringLiteral(
        "UPDATE project.Keyword SET Searches = ?1, CacheDate = ?2 WHERE pkKeyword = ?3"));
    for (const Change& change : changes) {
        update.bind(1, change.searches).bind(2, change.cacheDate).bind(3, change.keyword);
        update.execute();
    }
    transaction.commit();
}

} // namespace zentrel
