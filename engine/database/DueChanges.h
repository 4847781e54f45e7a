#pragma once

#include <atomic>
#include <cstdint>

#include "engine/platform/SqlConnection.h"

namespace zentrel {

// Counts the writes on one connection, by any database object on it, that may change which
// keywords the research timers have due or their order: keywords added, removed or given another
// row key, and a keyword's spelling, relevancy, count copy cleared or lookup date changed. (The
// cache's counts have their generation.) Watches the connection from its construction to its
// end.
class DueChanges {
public:
    explicit DueChanges(SqlConnectionPtr connection);
    ~DueChanges();
    DueChanges(const DueChanges&) = delete;
    DueChanges& operator=(const DueChanges&) = delete;

    std::uint64_t counts() const { return m_counts.load(); }
    std::uint64_t lookups() const { return m_lookups.load(); }

private:
    static void onChange(void* self, sqlite3* db, int op, const char* schema, const char* table,
                         long long oldKey, long long newKey);
    void keywordChanged(sqlite3* db, int op, long long oldKey, long long newKey);

    SqlConnectionPtr m_connection;
    int m_kw = -1;
    int m_relevancy = -1;
    int m_searches = -1;
    int m_lookupDate = -1;
    std::atomic<std::uint64_t> m_counts = 0;
    std::atomic<std::uint64_t> m_lookups = 0;
};

} // namespace zentrel
