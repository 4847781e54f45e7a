#include "engine/database/CountsCopy.h"

#include <algorithm>
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

// The keys of both sides are read in their indexes' order, so a walk side by side pairs them.
std::vector<Change> changedCopies(const SqlDatabase& project)
{
    const KeywordCopies copies(project);
    auto keys = project.query(
        QStringLiteral("SELECT Normalized, pkKeyword FROM project.Keyword ORDER BY Normalized"));
    auto counts =
        project.query(QStringLiteral("SELECT KW, Count, dte FROM cache.Cache ORDER BY KW"));
    std::vector<Change> changes;
    bool key = keys.next();
    bool count = counts.next();
    while (key && count) {
        const int order = SqlFunctions::compareNoCase(keys.utf8(0), counts.utf8(0));
        if (order == 0) {
            const QVariant searches = counts.value(1);
            const QVariant cacheDate = counts.value(2);
            const KeywordCopy* copy = copies.find(keys.int64(1));
            if (copy == nullptr || copy->differsFrom(searches, cacheDate))
                changes.push_back({keys.int64(1), searches, cacheDate});
        }
        if (order <= 0)
            key = keys.next();
        if (order >= 0)
            count = counts.next();
    }
    return changes;
}

} // namespace

void CountsCopy::copyAll(const SqlDatabase& project)
{
    auto guard = project.lock();
    const std::vector<Change> changes = changedCopies(project);
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
