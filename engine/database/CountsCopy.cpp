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

// One column of a keyword's copy, as SQL compares it.
struct CopiedValue {
    enum Kind : quint8 { Null, Integer, Real, Other };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;

    static CopiedValue of(const QVariant& value)
    {
        if (value.isNull())
            return {};
        if (value.typeId() == QMetaType::LongLong)
            return {Integer, value.toLongLong(), 0};
        if (value.typeId() == QMetaType::Double)
            return {Real, 0, value.toDouble()};
        return {Other, 0, 0};
    }

    // SQL's "IS NOT" against the source. A value of another kind than expected counts as
    // different, so that writing it converts or refuses it just as a plain UPDATE would.
    bool differsFrom(const QVariant& source, Kind expected) const
    {
        const CopiedValue other = of(source);
        if (kind == Null || other.kind == Null)
            return kind != other.kind;
        if (kind != expected || other.kind != expected)
            return true;
        return expected == Integer ? integer != other.integer : real != other.real;
    }
};

struct KeywordCopy {
    qint64 keyword = 0;
    CopiedValue searches;
    CopiedValue cacheDate;
};

// Every keyword's copies, by id. Ids are mostly dense, so a keyword is found by its offset
// from the first id; when deletions left them sparse, by a binary search.
class KeywordCopies {
public:
    explicit KeywordCopies(const SqlDatabase& project)
    {
        auto rows = project.query(QStringLiteral(
            "SELECT pkKeyword, Searches, CacheDate FROM project.Keyword ORDER BY pkKeyword"));
        while (rows.next()) {
            m_copies.push_back(
                {rows.int64(0), CopiedValue::of(rows.value(1)), CopiedValue::of(rows.value(2))});
        }
        m_dense = !m_copies.empty() && m_copies.back().keyword - m_copies.front().keyword + 1 ==
                                           static_cast<qint64>(m_copies.size());
    }

    const KeywordCopy* find(qint64 keyword) const
    {
        if (m_copies.empty())
            return nullptr;
        if (m_dense) {
            const qint64 at = keyword - m_copies.front().keyword;
            return at >= 0 && at < static_cast<qint64>(m_copies.size()) ? &m_copies[at] : nullptr;
        }
        const auto it =
            std::lower_bound(m_copies.begin(), m_copies.end(), keyword,
                             [](const KeywordCopy& copy, qint64 id) { return copy.keyword < id; });
        return it != m_copies.end() && it->keyword == keyword ? &*it : nullptr;
    }

private:
    std::vector<KeywordCopy> m_copies;
    bool m_dense = false;
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
            if (copy == nullptr || copy->searches.differsFrom(searches, CopiedValue::Integer) ||
                copy->cacheDate.differsFrom(cacheDate, CopiedValue::Real))
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
