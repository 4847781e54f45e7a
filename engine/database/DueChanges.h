#pragma once

#include <atomic>
#include <cstdint>

#include "engine/platform/SqlConnection.h"

namespace zentrel {

// Counts the writes on one connection, by any database object on it, that may add a keyword to
// what a research timer has due or move one in its order: a keyword added, given another row
// key, spelling, identity or relevancy, its count copy cleared or its lookup date moved back,
// and a search count in the cache removed or cleared. A write that can only take keywords off
// (a keyword deleted, a count stored, a lookup dated now) is not counted, so a timer's pick
// reads on across its own results. Watches the connection from its construction to its end.
class DueChanges {
public:
    explicit DueChanges(SqlConnectionPtr connection);
    ~DueChanges();
    DueChanges(const DueChanges&) = delete;
    DueChanges& operator=(const DueChanges&) = delete;

    std::uint64_t counts() const { return m_counts.load(); }
    std::uint64_t lookups() const { return m_lookups.load(); }

private:
    struct KeywordColumns {
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

    SqlConnectionPtr m_connection;
    KeywordColumns m_keyword;
    CountColumns m_cache;
    std::atomic<std::uint64_t> m_counts = 0;
    std::atomic<std::uint64_t> m_lookups = 0;
};

} // namespace zentrel
