#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/SqlDate.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace zentrel;
using namespace dbasertest;

namespace {

// Which writes on the connection change the stamps of the research timers' due keywords: those
// that may add a due keyword or move one in the order. Those that can only take keywords off
// (a delete, a count stored or copied, a lookup dated on) leave them.
struct WriteCase {
    const char* name;
    const char* sql;
    bool counts;
    bool lookups;
};

class DueStamps : public DBaserFixture, public ::testing::WithParamInterface<WriteCase> {
protected:
    void SetUp() override
    {
        openBoth();
        addKeywords({"blue widget", "red widget"});
        db->ProjectDB()->execute("UPDATE Keyword SET Relevancy = 3, Searches = 10, LookupDate = "
                                 "?1 WHERE KW = 'red widget'",
                                 {SqlDate::now() - 40});
        db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES ('red widget', 10, 1), "
                               "('green', NULL, 1)");
    }
};

TEST_P(DueStamps, ChangeWithTheWritesThatMatter)
{
    const DueStamp counts = db->NotOverturedStamp();
    const DueStamp lookups = db->ForLookupStamp();
    db->ProjectDB()->execute(QString::fromLatin1(GetParam().sql));
    EXPECT_EQ(!db->NotOverturedStamp().sameWrites(counts), GetParam().counts);
    EXPECT_EQ(!db->ForLookupStamp().sameWrites(lookups), GetParam().lookups);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, DueStamps,
    ::testing::Values(
        WriteCase{"Nothing", "SELECT 1", false, false},
        WriteCase{"Added", "INSERT INTO Keyword (KW, Normalized) VALUES ('green', 'green')", true,
                  false},
        WriteCase{"AddedRanked",
                  "INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES ('green', 'green', 3)",
                  true, true},
        WriteCase{"AddedBanned",
                  "INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES ('green', 'green', 0)",
                  false, false},
        WriteCase{"AddedCounted",
                  "INSERT INTO Keyword (KW, Normalized, Relevancy, Searches) VALUES ('green', "
                  "'green', 4, 5)",
                  false, true},
        WriteCase{"Deleted", "DELETE FROM Keyword", false, false},
        WriteCase{"Ranked", "UPDATE Keyword SET Relevancy = 4 WHERE KW = 'blue widget'", true,
                  true},
        WriteCase{"RankedDown", "UPDATE Keyword SET Relevancy = 1 WHERE KW = 'red widget'", false,
                  false},
        WriteCase{"Banned", "UPDATE Keyword SET Relevancy = 0 WHERE KW = 'blue widget'", false,
                  false},
        WriteCase{"RankedTheSame", "UPDATE Keyword SET Relevancy = 3 WHERE KW = 'red widget'",
                  false, false},
        WriteCase{"Respelled", "UPDATE Keyword SET KW = 'blue  widget' WHERE KW = 'blue widget'",
                  true, false},
        WriteCase{"RespelledRanked",
                  "UPDATE Keyword SET KW = 'red  widget' WHERE KW = 'red widget'", false, true},
        WriteCase{"Rekeyed", "UPDATE Keyword SET pkKeyword = pkKeyword + 100", true, true},
        WriteCase{"NewIdentity",
                  "UPDATE Keyword SET Normalized = 'blue widgets' WHERE KW = 'blue widget'", true,
                  false},
        WriteCase{"CountCopied",
                  "UPDATE Keyword SET Searches = 5, CacheDate = 1 WHERE KW = 'blue "
                  "widget'",
                  false, false},
        WriteCase{"CountCleared", "UPDATE Keyword SET Searches = NULL WHERE KW = 'red widget'",
                  true, false},
        WriteCase{"LookedUpNow", "UPDATE Keyword SET LookupDate = 2e9 WHERE KW = 'red widget'",
                  false, false},
        WriteCase{"LookupDatedBack", "UPDATE Keyword SET LookupDate = 1 WHERE KW = 'red widget'",
                  false, true},
        WriteCase{"LookupDateCleared",
                  "UPDATE Keyword SET LookupDate = NULL WHERE KW = 'red widget'", false, true},
        WriteCase{"CacheCountStored",
                  "INSERT INTO Cache (KW, Count, dte) VALUES ('yellow', 3, 1) ON CONFLICT (KW) "
                  "DO UPDATE SET Count = excluded.Count",
                  false, false},
        WriteCase{"CacheCountGiven", "UPDATE Cache SET Count = 4 WHERE KW = 'green'", false, false},
        WriteCase{"CacheCountChanged", "UPDATE Cache SET Count = 11 WHERE KW = 'red widget'", false,
                  false},
        WriteCase{"CacheCountCleared", "UPDATE Cache SET Count = NULL WHERE KW = 'red widget'",
                  true, false},
        WriteCase{"CacheCountRenamed",
                  "UPDATE Cache SET KW = 'red widgets' WHERE KW = 'red widget'", true, false},
        WriteCase{"CacheCountDeleted", "DELETE FROM Cache WHERE KW = 'red widget'", true, false},
        WriteCase{"CacheEmptied", "DELETE FROM Cache", true, false},
        WriteCase{"CacheNoCountDeleted", "DELETE FROM Cache WHERE KW = 'green'", false, false},
        WriteCase{"CacheCountReplacedByNone",
                  "INSERT OR REPLACE INTO Cache (KW, Count, dte) VALUES ('red widget', NULL, 2)",
                  true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program's write reaches the stamps through the files.
TEST_F(DBaserFixture, DueStampsChangeWithAnotherConnectionsWrite)
{
    openBoth();
    addKeywords({"blue widget"});
    const DueStamp counts = db->NotOverturedStamp();
    const DueStamp lookups = db->ForLookupStamp();
    {
        auto other = SqlConnection::open(projectFile);
        other->exec("UPDATE Keyword SET LookupDate = 1");
    }
    EXPECT_FALSE(db->NotOverturedStamp().sameWrites(counts));
    EXPECT_FALSE(db->ForLookupStamp().sameWrites(lookups));
}

// The stamps of one open never match those of another.
TEST_F(DBaserFixture, DueStampsChangeWithAnOpen)
{
    openBoth();
    const DueStamp counts = db->NotOverturedStamp();
    db->OpenProjectDB(projectFile);
    EXPECT_FALSE(db->NotOverturedStamp().sameWrites(counts));
}

} // namespace
