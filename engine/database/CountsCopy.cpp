#include "engine/database/CountsCopy.h"

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

Kind kindOf(const QVariant& value)
{
    if (value.isNull())
        return Kind::Null;
    if (value.typeId() == QMetaType::LongLong)
        return Kind::Integer;
    return value.typeId() == QMetaType::Double ? Kind::Real : Kind::Other;
}

// A keyword's two copies, kept small: a million of them are held at once.
struct KeywordCopy {
    qint64 searches = 0;
    double cacheDate = 0;
    Kind searchesKind = Kind::Null;
    Kind cacheDateKind = Kind::Null;

    // SQL's "IS NOT" against the cache's values. A value of another kind than the column's
    // counts as different, so that writing it converts or refuses it just as a plain UPDATE
    // would.
    bool differsFrom(const QVariant& count, const QVariant& dte) const
    {
        return differs(searchesKind, kindOf(count), Kind::Integer,
                       [&] { return searches != count.toLongLong(); }) ||
               differs(cacheDateKind, kindOf(dte), Kind::Real,
                       [&] { return cacheDate != dte.toDouble(); });
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
            const QVariant searches = rows.value(1);
            const QVariant cacheDate = rows.value(2);
            m_copies.push_back(
                {searches.toLongLong(), cacheDate.toDouble(), kindOf(searches), kindOf(cacheDate)});
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

// The keys of both sides are read in their indexes' order, so a walk side by side pairs them;
// nothing when either side is out of order.
std::optional<std::vector<Change>> changedCopies(const SqlDatabase& project)
{
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
            const QVariant searches = counts.row().value(1);
            const QVariant cacheDate = counts.row().value(2);
            const KeywordCopy* copy = copies.find(keyword);
            if (copy == nullptr || copy->differsFrom(searches, cacheDate))
                changes.push_back({keyword, searches, cacheDate});
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
