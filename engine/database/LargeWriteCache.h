#pragma once

#include <mutex>
#include <optional>

#include <QString>
#include <QtGlobal>

namespace zentrel {

class SqlDatabase;

// A larger page cache for one file while a large write lasts. With the default one a write of
// thousands of keywords into a big project keeps spilling dirty index pages to the log and
// reading them back; with room for them each page is written once, at the commit. The previous
// size comes back when the object goes, which frees the pages beyond it; it is made before the
// write's transaction so that it goes after the commit. Holds the connection's lock throughout.
class LargeWriteCache {
public:
    // Rows below which the default cache is kept.
    static constexpr qsizetype kLargeWrite = 1000;
    // The cache for a large write, in KiB.
    static constexpr qint64 kCacheKiB = 131072;

    LargeWriteCache(const SqlDatabase& db, qsizetype rows);
    ~LargeWriteCache();
    LargeWriteCache(const LargeWriteCache&) = delete;
    LargeWriteCache& operator=(const LargeWriteCache&) = delete;

private:
    const SqlDatabase& m_db;
    std::unique_lock<std::recursive_mutex> m_lock;
    std::optional<qint64> m_previous;
};

} // namespace zentrel
