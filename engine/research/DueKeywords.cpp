#include "engine/research/DueKeywords.h"

#include "engine/database/DBaser.h"

namespace zentrel {

RetryOrder::Due DueKeywords::counts(DBaser& db)
{
    return {[&db] { return db.NotOverturedStamp(); },
            [&db](const DueStamp& then) { return db.NotOverturedSince(then); },
            [&db](const DueStamp&, const std::optional<DueKey>& from, int n) {
                return db.NotOverturedFrom(from, n);
            },
            [&db](const DueStamp&, const QString& kw) { return db.NotOverturedDue(kw); }};
}

RetryOrder::Due DueKeywords::lookups(DBaser& db)
{
    return {
        [&db] { return db.ForLookupStamp(); },
        [&db](const DueStamp& then) { return db.ForLookupSince(then); },
        [&db](const DueStamp& now, const std::optional<DueKey>& from, int n) {
            return db.ForLookupFrom(from, n, now.clock);
        },
        [&db](const DueStamp& now, const QString& kw) { return db.ForLookupDue(kw, now.clock); }};
}

} // namespace zentrel
