#include <gtest/gtest.h>

#include <QSet>

#include "app/keywords/KWWordOrders.h"
#include "engine/platform/ZError.h"

namespace {

TEST(KWWordOrders, ThreeWords)
{
    EXPECT_EQ(KWWordOrders::Orders(QStringLiteral("a b c")),
              (QStringList{"a b c", "a c b", "b a c", "b c a", "c a b", "c b a"}));
}

TEST(KWWordOrders, FourWordsInGroupsByFirstWord)
{
    const QString text = KWWordOrders::OrdersText(QStringLiteral("a b c d"));
    EXPECT_EQ(text.count(QStringLiteral("\r\n\r\n")), 4); // an empty line after each group
    const QStringList orders = KWWordOrders::Orders(QStringLiteral("a b c d"));
    ASSERT_EQ(orders.size(), 24);
    EXPECT_EQ(orders.mid(0, 6),
              (QStringList{"a b c d", "a b d c", "a c b d", "a c d b", "a d b c", "a d c b"}));
    EXPECT_EQ(orders[6], QStringLiteral("b a c d"));
    EXPECT_EQ(orders[23], QStringLiteral("d c b a"));
    EXPECT_EQ(QSet<QString>(orders.begin(), orders.end()).size(), 24);
}

TEST(KWWordOrders, FiveWords)
{
    const QStringList orders = KWWordOrders::Orders(QStringLiteral("v w x y z"));
    ASSERT_EQ(orders.size(), 120);
    EXPECT_EQ(orders.first(), QStringLiteral("v w x y z"));
    EXPECT_EQ(orders[24], QStringLiteral("w v x y z"));
    EXPECT_EQ(orders.last(), QStringLiteral("z y x w v"));
    EXPECT_EQ(QSet<QString>(orders.begin(), orders.end()).size(), 120);
    for (int i = 0; i < 24; ++i)
        EXPECT_TRUE(orders[i].startsWith(QStringLiteral("v "))) << i;
}

TEST(KWWordOrders, RepeatedWordsGiveRepeatedLines)
{
    const QStringList orders = KWWordOrders::Orders(QStringLiteral("a a b"));
    EXPECT_EQ(orders, (QStringList{"a a b", "a b a", "a a b", "a b a", "b a a", "b a a"}));
}

TEST(KWWordOrders, OtherWordCountsAreInvalid)
{
    for (const char* kw : {"a", "a b", "a b c d e f", ""}) {
        try {
            KWWordOrders::Orders(QString::fromLatin1(kw));
            ADD_FAILURE() << kw;
        } catch (const zentrel::ZError& e) {
            EXPECT_EQ(e.number(), zentrel::kInvalidArgument);
        }
    }
}

} // namespace
