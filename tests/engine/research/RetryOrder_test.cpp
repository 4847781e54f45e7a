#include <gtest/gtest.h>

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

// The due keywords "k0", "k1", ... in order; records how many each call asked for.
class DueKeywords {
public:
    explicit DueKeywords(int count)
        : m_count(count)
    {
    }
    RetryOrder::Candidates source()
    {
        return [this](int n) {
            m_asked.push_back(n);
            QStringList first;
            for (int i = 0; i < n && i < m_count; ++i)
                first << QStringLiteral("k%1").arg(i);
            return first;
        };
    }
    const std::vector<int>& asked() const { return m_asked; }
    int rowsRead() const
    {
        int rows = 0;
        for (const int n : m_asked)
            rows += std::min(n, m_count);
        return rows;
    }

private:
    int m_count;
    std::vector<int> m_asked;
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

TEST(RetryOrder, AsksForMoreOnlyWhileAllWereBehind)
{
    RetryOrder turns;
    for (int i = 0; i < 1000; ++i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(5000);
    EXPECT_EQ(turns.pick(due.source()), "k1000");
    EXPECT_LE(due.asked().back(), 1001);
    EXPECT_LE(due.rowsRead(), 16 + 1001) << "the few first, then one more than behind";
}

TEST(RetryOrder, AllDueBehindGivesTheEarliestFailure)
{
    RetryOrder turns;
    for (int i = 99; i >= 0; --i)
        run(turns, QStringLiteral("k%1").arg(i), true);
    DueKeywords due(100);
    EXPECT_EQ(turns.pick(due.source()), "k99");
    EXPECT_EQ(due.asked().back(), 101);
}

} // namespace
