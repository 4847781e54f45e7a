#include <chrono>

#include "engine/platform/SqlError.h"
#include "tests/engine/database/DBaserFixture.h"
#include "tests/support/WriteLockHolder.h"

using namespace dbasertest;
using namespace std::chrono_literals;

namespace {

// Far above the wait of the application's thread for another program's lock, far below a
// worker's.
constexpr auto kInteractiveBound = 10s;

class DBaserLocks : public DBaserFixture {
protected:
    // Runs the call, which must fail within the bound naming the held file and who holds it.
    template <class Call> ZError expectHeld(Call call, const QString& heldFile)
    {
        const auto start = std::chrono::steady_clock::now();
        try {
            call();
        } catch (const ZError& e) {
            EXPECT_LT(std::chrono::steady_clock::now() - start, kInteractiveBound);
            EXPECT_TRUE(e.description().contains("'" + heldFile + "' is locked by another program"))
                << e.description().toStdString();
            return e;
        }
        ADD_FAILURE() << "no error raised";
        return ZError(0, {});
    }
};

TEST_F(DBaserLocks, AFileAnotherProgramHoldsFailsTheApplicationsOperationsWithinSeconds)
{
    openMaster();
    addKeywords({"first one"});
    for (const QString& heldFile : {projectFile, cacheFile}) {
        SCOPED_TRACE(heldFile.toStdString());
        {
            testsupport::WriteLockHolder holder(heldFile);
            ASSERT_TRUE(holder.held());
            const ZError stored = expectHeld([&] { addKeywords({"second one"}); }, heldFile);
            EXPECT_EQ(stored.number() & 0xff, 5u) << "SQLite's busy error";
            EXPECT_TRUE(logged(4, stored.number(), "DBaser.AddKWsEx"));

            DBaser other;
            other.Init(log);
            const ZError opened = expectHeld(
                [&] {
                    other.OpenCacheDB(cacheFile);
                    other.OpenProjectDB(projectFile);
                },
                heldFile);
            EXPECT_EQ(opened.number(), 0x80040288u);
            EXPECT_TRUE(opened.description().startsWith("Cannot open project database '" +
                                                        projectFile + "'. "));
        }
        EXPECT_EQ(keywordCount(), 1) << "nothing of the failed addition is stored";
    }
}

} // namespace
