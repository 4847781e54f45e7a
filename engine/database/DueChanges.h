#pragma once

#include <cstdint>
#include <optional>

#include "engine/database/DueWrites.h"
#include "engine/platform/SqlConnection.h"

namespace zentrel {

// Counts the writes on one connection, by any database object on it, that may add a keyword to
// what a research timer has due or move one in its order: a keyword added, given another row
// key, spelling, identity or relevancy, its count copy cleared or its lookup date moved back,
// and a search count in the cache removed or cleared. A write that can only take keywords off
// (a keyword deleted, a count stored, a lookup dated now) is not counted, so a timer's pick
// reads on across its own results, and from the first place written otherwise. Watches the
// connection from its construction to its end.
class DueChanges {
public:
    explicit DueChanges(SqlConnectionPtr connection);
    ~DueChanges();
    DueChanges(const DueChanges&) = delete;
    DueChanges& operator=(const DueChanges&) = delete;

    const DueWrites& counts() const { return m_counts; }
    const DueWrites& lookups() const { return m_lookups; }

private:
    struct KeywordColumns {
        int pk = -1;
        int kw = -1;
        int normalized = -1;
        int relevancy = -1;
        int searches = -1;
        int lookupDate = -1;
    };
    struct CountColumns {
        int kw = -1;
        int count = -1;
    };

    static void onChange(void* self, sqlite3* db, int op, const char* schema, const char* table,
                         long long oldKey, long long newKey);
    void keywordChanged(sqlite3* db, int op, long long oldKey, long long newKey);
    void countChanged(sqlite3* db, int op);
    // Where the row written stands in the timers' order; none when it cannot be read.
    std::optional<DueKey> placeWritten(sqlite3* db) const;

    SqlConnectionPtr m_connection;
    KeywordColumns m_keyword;
    CountColumns m_cache;
    DueWrites m_counts;
    DueWrites m_lookups;
};

} // namespace zentrel
