#include "engine/platform/CKeyedCollection.h"

#include <gtest/gtest.h>

#include "engine/platform/ZError.h"

using zentrel::CKeyedCollection;

TEST(CKeyedCollection, ItemsByPositionAndKeyInOrder)
{
    CKeyedCollection c;
    c.Add(QStringLiteral("a"), QStringLiteral("First"));
    c.Add(2);
    c.Add(QStringLiteral("c"), QStringLiteral("third"));
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(1).toString(), "a");
    EXPECT_EQ(c.Item(2).toInt(), 2);
    EXPECT_EQ(c.Item(QStringLiteral("THIRD")).toString(), "c");
    EXPECT_TRUE(c.Exists(QStringLiteral("first")));
    EXPECT_FALSE(c.Exists(QStringLiteral("second")));

    QStringList seen;
    for (const QVariant& v : c)
        seen << v.toString();
    EXPECT_EQ(seen, QStringList({"a", "2", "c"}));
}

TEST(CKeyedCollection, RemoveKeepsKeysPointingAtTheirItems)
{
    CKeyedCollection c;
    for (int i = 1; i <= 5; ++i)
        c.Add(i, QStringLiteral("k%1").arg(i));
    c.Remove(2);
    c.Remove(QStringLiteral("K4"));
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(QStringLiteral("k5")).toInt(), 5);
    EXPECT_EQ(c.Item(2).toInt(), 3);
    EXPECT_FALSE(c.Exists(QStringLiteral("k2")));
}

TEST(CKeyedCollection, BeforeAndAfterInsertAtPositions)
{
    CKeyedCollection c;
    c.Add(QStringLiteral("b"), QStringLiteral("b"));
    c.Add(QStringLiteral("a"), QStringLiteral("a"), 1);
    c.Add(QStringLiteral("c"), QStringLiteral("c"), std::nullopt, 2);
    EXPECT_EQ(c.Item(1).toString(), "a");
    EXPECT_EQ(c.Item(3).toString(), "c");
    EXPECT_EQ(c.Item(QStringLiteral("b")).toString(), "b");
}

TEST(CKeyedCollection, ErrorsForDuplicateKeyAndBadIndex)
{
    CKeyedCollection c;
    c.Add(1, QStringLiteral("x"));
    EXPECT_THROW(c.Add(2, QStringLiteral("X")), zentrel::ZError);
    EXPECT_THROW(c.Item(0), zentrel::ZError);
    EXPECT_THROW(c.Item(2), zentrel::ZError);
    EXPECT_THROW(c.Item(QStringLiteral("missing")), zentrel::ZError);
    EXPECT_EQ(c.Count(), 1);
}

TEST(CKeyedCollection, HoldsSharedObjects)
{
    auto inner = std::make_shared<CKeyedCollection>();
    inner->Add(7);
    CKeyedCollection c;
    c.AddObject(inner, QStringLiteral("inner"));
    EXPECT_EQ(c.Object<CKeyedCollection>(QStringLiteral("inner")).get(), inner.get());
}
