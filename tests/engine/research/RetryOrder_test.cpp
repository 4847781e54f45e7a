#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <vector>

#include "engine/research/RetryOrder.h"
#include "tests/engine/research/QStringPrinter.h"

using namespace zentrel;

namespace {

// Ends a job of the keyword, failed or done.
void run(RetryOrder& turns, const QString& kw, bool failed)
{
    const QString cookie = "job " + kw;
    turns.started(cookie, kw);
    turns.ended(cookie, failed);
}

// The due keywords "k0", "k1", ... in order, as the database hands them to the pick; records
// how many rows each read gave.
class DueKeywords {
public:
    explicit DueKeywords(int count)
        : m_count(count)
    {
    }
    RetryOrder::Due source()
    {
        return {[this] { return m_stamp; },
                {},
                [this](const DueStamp&, const std::optional<DueKey>& from, int n) {
                    DuePage page;
                    for (qint64 i = from ? from->pk : 0; i < m_count && std::ssize(page.rows) < n;
                         ++i)
                        page.rows.push_back({QStringLiteral("k%1").arg(i), {5, 0, i}});
                    m_read.push_back(static_cast<int>(page.rows.size()));
                    return page;
                },
                [this](const DueStamp&, const QString& kw) {
                    ++m_checked;
                    return DueCheck{kw.mid(1).toInt() < m_count};
                }};
    }
    // Anything written that may change the due keywords.
    void write() { ++m_stamp.changes; }
    int rowsRead() const { return std::accumulate(m_read.cbegin(), m_read.cend(), 0); }
    int checked() const { return m_checked; }
    void forget()
    {
        m_read.clear();
        m_checked = 0;
    }

private:
    int m_count;
    DueStamp m_stamp;
    std::vector<int> m_read;
    int m_checked = 0;
};

struct PickCase {
    const char* name;
    std::vector<std::pair<const char*, bool>> jobs; // keyword, failed
    QStringList candidates;
    QString picked;
};

class ResearchTurnsPick : public ::testing::TestWithParam<PickCase> {};

TEST_P(ResearchTurnsPick, PicksTheFirstNotBehindElseTheEarliestFailure)
{
    RetryOrder turns;
    for (const auto& [kw, failed] : GetParam().jobs)
        run(turns, kw, failed);
    EXPECT_EQ(turns.pick(GetParam().candidates), GetParam().picked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResearchTurnsPick,
    ::testing::Values(
        PickCase{"NothingFailed", {}, {"a", "b"}, "a"},
        PickCase{"FailedGoesBehind", {{"a", true}}, {"a", "b"}, "b"},
        PickCase{"AllBehindEarliestFirst", {{"b", true}, {"a", true}}, {"a", "b"}, "b"},
        PickCase{
            "AFailureAgainGoesToTheBack", {{"a", true}, {"b", true}, {"a", true}}, {"a", "b"}, "b"},
        PickCase{"DoneIsForgotten", {{"a", true}, {"a", false}}, {"a", "b"}, "a"},
        PickCase{"NoCandidates", {{"a", true}}, {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RetryOrder, HoldsOneEntryPerKeywordWhateverTheFailures)
{
    RetryOrder turns;
    for (int round = 0; round < 50; ++round) {
        for (const char* kw : {"a", "b", "c"})
            run(turns, kw, true);
    }
    EXPECT_EQ(turns.behind(), QStringList({"a", "b", "c"}));
    run(turns, "b", false);
    EXPECT_EQ(turns.behind(), QStringList({"a", "c"}));
}

TEST(RetryOrder, AsksForFewKeywordsWhenTheFirstIsNotBehind)
{
    RetryOrder turns;
    for (int i = 20000; i < 40000; ++i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(100000);
    EXPECT_EQ(turns.pick(due.source()), "k0");
    EXPECT_LE(due.rowsRead(), 16);
}

// Each failed keyword is read past once while nothing changes, not at every pick.
TEST(RetryOrder, ReadsOnFromWhereTheLastPickGot)
{
    RetryOrder turns;
    for (int i = 0; i < 1000; ++i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(5000);
    EXPECT_EQ(turns.pick(due.source()), "k1000");
    EXPECT_LE(due.rowsRead(), 2 * 1001) << "a few, then one more than behind";
    for (int i = 1000; i < 1100; ++i) {
        due.forget();
        run(turns, QStringLiteral("k%1").arg(i), true);
        EXPECT_EQ(turns.pick(due.source()), QStringLiteral("k%1").arg(i + 1));
        EXPECT_LE(due.rowsRead(), 16) << "one page from the keyword that failed";
    }
    due.write();
    due.forget();
    EXPECT_EQ(turns.pick(due.source()), "k1100");
    EXPECT_GE(due.rowsRead(), 1100) << "after a change, from the first keyword again";
}

TEST(RetryOrder, AllDueBehindGivesTheEarliestFailure)
{
    RetryOrder turns;
    for (int i = 99; i >= 0; --i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(100);
    EXPECT_EQ(turns.pick(due.source()), "k99");
    // Failing again, each goes to the back; the next is found at once.
    for (int i = 99; i > 90; --i) {
        due.forget();
        run(turns, QStringLiteral("k%1").arg(i), true);
        EXPECT_EQ(turns.pick(due.source()), QStringLiteral("k%1").arg(i - 1));
        EXPECT_LE(due.rowsRead() + due.checked(), 2);
    }
}

// A keyword behind that is done may come before the position: the next pick reads from the first.
TEST(RetryOrder, ADoneKeywordBehindIsSeenAgain)
{
    RetryOrder turns;
    for (int i = 0; i < 40; ++i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(100);
    EXPECT_EQ(turns.pick(due.source()), "k40");
    run(turns, "k3", false);
    EXPECT_EQ(turns.pick(due.source()), "k3");
}

} // namespace
