#include <gtest/gtest.h>

#include "engine/database/DueWrites.h"

using namespace zentrel;

namespace {

DueKey place(qint64 relevancy, qint64 length, qint64 pk)
{
    return {relevancy < 0 ? QVariant() : QVariant(relevancy), length, pk};
}

// The first place written since a count, or that it is not known.
TEST(DueWrites, GivesTheFirstPlaceWrittenSinceACount)
{
    DueWrites writes;
    EXPECT_TRUE(writes.since(0).known);
    EXPECT_FALSE(writes.since(0).first);

    writes.add(place(3, 10, 7));
    writes.add(place(-1, 2, 1)); // no relevancy: after every ranked keyword
    writes.add(place(3, 10, 5));
    writes.add(place(4, 20, 9));
    const std::uint64_t placed = writes.count();
    EXPECT_EQ(placed, 4u);
    EXPECT_EQ(writes.since(0).first->pk, 9);
    EXPECT_EQ(writes.since(1).first->pk, 9);
    EXPECT_EQ(writes.since(3).first->pk, 9);
    writes.add(place(3, 10, 6));
    EXPECT_EQ(writes.since(placed).first->pk, 6);
    EXPECT_FALSE(writes.since(writes.count()).first);

    writes.add(std::nullopt);
    EXPECT_FALSE(writes.since(placed).known);
    EXPECT_TRUE(writes.since(writes.count()).known);
    EXPECT_FALSE(writes.since(writes.count() + 1).known);
}

// More writes than are kept: what came before the oldest kept is no longer known.
TEST(DueWrites, ForgetsTheOldestPlacesBeyondWhatItKeeps)
{
    DueWrites writes;
    writes.add(place(5, 1, 1));
    for (qint64 i = 0; i < 5000; ++i)
        writes.add(place(3, 10, 100 + i));
    EXPECT_FALSE(writes.since(0).known);
    EXPECT_FALSE(writes.since(1).known);
    const DueSince latest = writes.since(writes.count() - 10);
    ASSERT_TRUE(latest.known);
    EXPECT_EQ(latest.first->pk, 100 + 5000 - 10);
}

} // namespace
