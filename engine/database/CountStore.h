#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "engine/database/DueKeys.h"

namespace zentrel {

class SqlDatabase;

// The search counts of the cache and the lookup dates of the project's keywords.
class CountStore {
public:
    // Stores each (normalised keyword, count) in the cache; names of 256 characters or more
    // are skipped. The caller holds the transaction.
    static void storeCounts(const SqlDatabase& cache,
                            const std::vector<std::pair<QString, QVariant>>& counts);
    // The date of the keyword's count, or the zero date when none is known.
    static QDateTime overDate(const SqlDatabase& project, const QString& kw);
    // Deletes the counts older than 60 days of the project's keywords that are not banned.
    static void deleteStaleCounts(const SqlDatabase& project, const SqlDatabase& cache);
    // Clears the copies of the keywords the cache holds no count for; with a copy of every count
    // after it, the same as clearing every copy first, without writing the copies that stay.
    static void clearCopiesWithoutCount(const SqlDatabase& project);
    // The first keywords whose copy holds no count, in the search-count timer's order.
    // Uncounted::behind tells that the cache holds a count for one of them: the copies are
    // behind the cache. With truly, only keywords without a count in the cache either.
    struct Uncounted {
        QStringList keywords;
        bool behind = false;
    };
    static Uncounted firstWithoutCount(const SqlDatabase& project, int count, bool truly = false);
    static QStringList firstForLookup(const SqlDatabase& project, int count);
    // The same in pages: the first keywords from a place in the timer's order on (from the first
    // when none), each with its place; with behind as above. One seek in the timer's index.
    struct UncountedPage {
        DuePage page;
        bool behind = false;
    };
    static UncountedPage withoutCountFrom(const SqlDatabase& project,
                                          const std::optional<DueKey>& from, int count,
                                          bool truly = false);
    static DuePage forLookupFrom(const SqlDatabase& project, const std::optional<DueKey>& from,
                                 int count, double now);
    // Whether the keyword is among those the first* queries would give.
    static DueCheck withoutCount(const SqlDatabase& project, const QString& kw);
    static DueCheck forLookup(const SqlDatabase& project, const QString& kw, double now);
    static void updateLookupDate(const SqlDatabase& project, const QString& kw);
};

} // namespace zentrel
