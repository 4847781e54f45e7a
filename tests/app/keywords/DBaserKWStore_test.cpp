#include <QSignalSpy>

#include <gtest/gtest.h>

#include "app/keywords/DBaserKWStore.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "tests/support/TestSupport.h"

namespace {

struct Store {
    testsupport::TempHome home;
    std::shared_ptr<zentrel::CLog> log = std::make_shared<zentrel::CLog>();
    zentrel::DBaser db;
    DBaserKWStore store{&db};

    Store()
    {
        log->Open(home.file("full.log"), home.file("short.log"));
        db.Init(log);
        db.OpenCacheDB(home.file("c.vxc"));
        db.OpenProjectDB(home.file("p.vxp"));
    }

    void add(const QStringList& kws)
    {
        zentrel::CKeyedCollection collection;
        for (const QString& kw : kws)
            collection.Add(kw);
        zentrel::CDataNode operation;
        db.AddKWs(collection, operation);
    }

    QStringList texts(const KWStore::Query& query)
    {
        QStringList result;
        for (const KWRecord& record : store.getKWsEx(query))
            result << record.kw;
        result.sort();
        return result;
    }
};

} // namespace

TEST(DBaserKWStore, ListsRanksAndDeletes)
{
    Store s;
    s.add({"blue widgets", "red widgets", "green gadgets"});
    KWStore::Query raw;
    EXPECT_EQ(s.texts(raw), (QStringList{"blue widgets", "green gadgets", "red widgets"}));

    QList<int> blue;
    for (const KWRecord& record : s.store.getKWsEx(raw)) {
        EXPECT_EQ(record.relevancy, -1);
        if (record.kw == u"blue widgets")
            blue << record.id;
    }
    s.store.SetRelevancy(blue, 4);
    KWStore::Query kept;
    kept.kind = KWStore::kwk_kws;
    EXPECT_EQ(s.texts(kept), QStringList{"blue widgets"});
    EXPECT_EQ(s.store.getKWsEx(kept).front().relevancy, 4);

    s.store.DeleteKWs(blue);
    EXPECT_TRUE(s.texts(kept).isEmpty());
    EXPECT_EQ(s.store.ProjectDBFilename(), s.home.file("p.vxp"));
}

TEST(DBaserKWStore, WithoutADatabaseItRaises)
{
    DBaserKWStore store(nullptr);
    EXPECT_ANY_THROW(store.getKWsEx({}));
    EXPECT_TRUE(store.ProjectDBFilename().isEmpty());
}
