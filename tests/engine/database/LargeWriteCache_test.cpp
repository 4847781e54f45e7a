#include "engine/database/LargeWriteCache.h"

#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class LargeWriteCacheTest : public DBaserFixture {
protected:
    void SetUp() override { openBoth(); }

    const SqlDatabase& project() const { return *db->ProjectDB(); }

    qint64 cacheSize() const { return project().scalar("PRAGMA project.cache_size").toLongLong(); }

    void setCacheSize(qint64 size) const
    {
        project().execute(QString("PRAGMA project.cache_size = %1").arg(size));
    }
};

TEST_F(LargeWriteCacheTest, GrowsTheCacheForALargeWriteOnlyAndPutsItBack)
{
    const qint64 large = -LargeWriteCache::kCacheKiB;
    struct Case {
        qint64 before;
        qsizetype rows;
        qint64 during;
    };
    const Case cases[] = {
        {-2000, 10, -2000},
        {-2000, LargeWriteCache::kLargeWrite - 1, -2000},
        {-2000, LargeWriteCache::kLargeWrite, large},
        {500, 50000, large},
        {large * 2, 50000, large * 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " with " << c.rows << " rows");
        setCacheSize(c.before);
        {
            const LargeWriteCache largeWrite(project(), c.rows);
            EXPECT_EQ(cacheSize(), c.during);
        }
        EXPECT_EQ(cacheSize(), c.before);
    }
}

TEST_F(LargeWriteCacheTest, ALargeAdditionIsStoredWholeAndLeavesTheCacheAsItWas)
{
    const qint64 before = cacheSize();
    QStringList many;
    for (int i = 0; i < 2 * LargeWriteCache::kLargeWrite; ++i)
        many << QString("widget %1").arg(i);
    addKeywords(many);
    EXPECT_EQ(keywordCount(), many.size());
    EXPECT_EQ(cacheSize(), before);
}

TEST_F(LargeWriteCacheTest, TemporaryFilesAreKeptInMemory)
{
    EXPECT_EQ(project().scalar("PRAGMA temp_store").toInt(), 2);
}

} // namespace
