#pragma once

#include <optional>

namespace zentrel {

class SqlDatabase;

// What keeps the keyword statements fast on a large project: one index per listing order and
// per research pick, an index on the shown spelling, and the number of keywords of each kind
// kept up to date by triggers. Plain SQL, so the file stays usable in any SQLite client.
class KeywordIndexes {
public:
    // Creates what is missing (the counters filled from the table); at every project open. A
    // build that fails leaves the file as it was, and raises an error that says so.
    static void ensure(const SqlDatabase& project);
    // The kept number for count code 123, 433 or 434; nothing for other codes or when the
    // counters are missing.
    static std::optional<int> keptCount(const SqlDatabase& project, int code);
};

} // namespace zentrel
