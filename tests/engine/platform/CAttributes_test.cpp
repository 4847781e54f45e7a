#include "engine/platform/CAttributes.h"

#include <gtest/gtest.h>

#include "engine/platform/ZError.h"

using zentrel::CAttribute;
using zentrel::CAttributes;

TEST(CAttributes, AddingAnExistingNameAppendsItsValue)
{
    CAttributes attributes;
    attributes.Add(QStringLiteral("Type"), QStringLiteral("GOOGLE_SEARCH"));
    CAttribute& description = attributes.Add(QStringLiteral("Description"), QStringLiteral("one"));
    CAttribute& again = attributes.Add(QStringLiteral("DESCRIPTION"), 2);

    EXPECT_EQ(&description, &again);
    ASSERT_EQ(attributes.Count(), 2);
    EXPECT_EQ(again.Name(), "Description");
    ASSERT_EQ(again.Values().Count(), 2);
    EXPECT_EQ(again.Values().Item(1).toString(), "one");
    EXPECT_EQ(again.Values().Item(2).toInt(), 2);
}

TEST(CAttributes, ItemAndExistsIgnoreCaseAndAMissingNameIsAnError)
{
    CAttributes attributes;
    attributes.Add(QStringLiteral("CS_SET_RANK"), 4);
    EXPECT_TRUE(attributes.Exists(QStringLiteral("cs_set_rank")));
    EXPECT_EQ(attributes.Item(QStringLiteral("Cs_Set_Rank")).Values().Item(1).toInt(), 4);
    EXPECT_FALSE(attributes.Exists(QStringLiteral("CS_INCLUDE_KWS_COUNT")));
    EXPECT_THROW(attributes.Item(QStringLiteral("CS_INCLUDE_KWS_COUNT")), zentrel::ZError);
}

TEST(CAttributes, ReferencesStayValidAndEnumerationKeepsOrder)
{
    CAttributes attributes;
    CAttribute& first = attributes.Add(QStringLiteral("a"), 1);
    for (int i = 0; i < 200; ++i)
        attributes.Add(QStringLiteral("n%1").arg(i), i);
    EXPECT_EQ(first.Name(), "a");

    QStringList names;
    for (const CAttribute& attribute : attributes)
        names << attribute.Name();
    ASSERT_EQ(names.size(), 201);
    EXPECT_EQ(names.first(), "a");
    EXPECT_EQ(names.at(1), "n0");
    EXPECT_EQ(names.last(), "n199");
}

TEST(CAttributes, CopiesAreIndependentAndTravelInAVariant)
{
    CAttributes original;
    original.Add(QStringLiteral("x"), 1);
    CAttributes copy = original;
    copy.Add(QStringLiteral("x"), 2);
    copy.Add(QStringLiteral("y"), 3);
    EXPECT_EQ(original.Count(), 1);
    EXPECT_EQ(original.Item(QStringLiteral("x")).Values().Count(), 1);
    EXPECT_EQ(copy.Item(QStringLiteral("X")).Values().Count(), 2);

    const auto shared = std::make_shared<CAttributes>(copy);
    const QVariant variant = QVariant::fromValue(shared);
    EXPECT_EQ(variant.value<zentrel::CAttributesPtr>(), shared);
}
