#include "engine/database/LargeWriteCache.h"

#include <exception>

#include "engine/platform/SqlDatabase.h"

namespace zentrel {

namespace {

QString cacheSizeSql(const SqlDatabase& db)
{
    return QStringLiteral("PRAGMA %1.cache_size").arg(db.schema());
}

} // namespace

LargeWriteCache::LargeWriteCache(const SqlDatabase& db, qsizetype rows)
    : m_db(db)
    , m_lock(db.lock())
{
    if (rows < kLargeWrite)
        return;
    const qint64 previous = db.scalar(cacheSizeSql(db)).toLongLong();
    // A cache already larger stays as it is (sizes below zero are in KiB, above in pages).
    if (previous < 0 && -previous >= kCacheKiB)
        return;
    db.execute(cacheSizeSql(db) + QStringLiteral(" = %1").arg(-kCacheKiB));
    m_previous = previous;
}

LargeWriteCache::~LargeWriteCache()
{
    if (!m_previous)
        return;
    try {
        m_db.execute(cacheSizeSql(m_db) + QStringLiteral(" = %1").arg(*m_previous));
    } catch (const std::exception&) {
        // The file was closed meanwhile; its cache went with it.
    }
}

} // namespace zentrel
