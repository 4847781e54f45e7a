#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/SqlDate.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace zentrel;
using namespace dbasertest;

namespace {

// Which writes on the connection change the stamps of the research timers' due keywords: those
// that may add a due keyword or change the order, and not the copies of counts.
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
                  true},
        WriteCase{"Deleted", "DELETE FROM Keyword WHERE KW = 'blue widget'", true, true},
        WriteCase{"Ranked", "UPDATE Keyword SET Relevancy = 4 WHERE KW = 'blue widget'", true,
                  true},
        WriteCase{"RankedTheSame", "UPDATE Keyword SET Relevancy = 3 WHERE KW = 'red widget'",
                  false, false},
        WriteCase{"Respelled", "UPDATE Keyword SET KW = 'blue  widget' WHERE KW = 'blue widget'",
                  true, true},
        WriteCase{"Rekeyed", "UPDATE Keyword SET pkKeyword = 100 WHERE KW = 'blue widget'", true,
                  true},
        WriteCase{"CountCopied",
                  "UPDATE Keyword SET Searches = 5, CacheDate = 1 WHERE KW = 'blue "
                  "widget'",
                  false, false},
        WriteCase{"CountCleared", "UPDATE Keyword SET Searches = NULL WHERE KW = 'red widget'",
                  true, false},
        WriteCase{"LookedUp", "UPDATE Keyword SET LookupDate = 1 WHERE KW = 'red widget'", false,
                  true},
        WriteCase{"CacheCount", "INSERT INTO Cache (KW, Count, dte) VALUES ('green', 3, 1)", true,
                  false}),
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
