#include "engine/platform/CDataNode.h"

#include <gtest/gtest.h>

#include "engine/platform/ZError.h"

using zentrel::CDataNode;
using zentrel::CDataNodes;

namespace {

QStringList valuesOf(const CDataNode& node, const QString& name)
{
    QStringList values;
    for (const QVariant& v : node.Attributes().Item(name).Values())
        values << v.toString();
    return values;
}

// A group-record-like tree with awkward texts in every place.
CDataNode sampleTree()
{
    CDataNode root;
    root.setValue(QStringLiteral("  1\tTop <group> & \"more\"\t12  "));
    root.Attributes().Add(QStringLiteral("Description"), QStringLiteral("Loaded from 'x.txt'."));
    root.Attributes().Add(QStringLiteral("Type"), QStringLiteral("GOOGLE_SEARCH"));
    root.Attributes().Add(QStringLiteral("Description"), QStringLiteral("second\nline"));
    root.Attributes().Add(QStringLiteral("Odd"), QStringLiteral("cr\r\nlf \x01 bell"));
    root.Attributes().Add(QStringLiteral("Unicode"), QStringLiteral("Grüße 日本 😀"));
    root.Attributes().Add(QStringLiteral("Empty"), QString());
    CDataNode& child = root.Children().Add();
    child.setValue(QStringLiteral("2\tChild\t"));
    child.Attributes().Add(QStringLiteral("n"), 7);
    CDataNode* deepest = &child.Children().Add();
    for (int depth = 0; depth < 30; ++depth) {
        deepest->setValue(QStringLiteral("depth %1").arg(depth));
        deepest = &deepest->Children().Add();
    }
    root.Children().Add().setValue(QStringLiteral("3\tSecond child\t"));
    return root;
}

} // namespace

TEST(CDataNode, SaveAndLoadKeepTheWholeTree)
{
    const CDataNode original = sampleTree();
    CDataNode loaded;
    loaded.setValue(QStringLiteral("replaced"));
    loaded.Attributes().Add(QStringLiteral("stale"), 1);
    loaded.LoadFromText(original.SaveToText());

    EXPECT_EQ(loaded.Value(), original.Value());
    ASSERT_EQ(loaded.Attributes().Count(), 5);
    EXPECT_FALSE(loaded.Attributes().Exists(QStringLiteral("stale")));
    EXPECT_EQ(valuesOf(loaded, QStringLiteral("Description")),
              QStringList({"Loaded from 'x.txt'.", "second\nline"}));
    EXPECT_EQ(valuesOf(loaded, QStringLiteral("Odd")), QStringList({"cr\r\nlf \x01 bell"}));
    EXPECT_EQ(valuesOf(loaded, QStringLiteral("Unicode")), QStringList({"Grüße 日本 😀"}));
    EXPECT_EQ(valuesOf(loaded, QStringLiteral("Empty")), QStringList({""}));
    QStringList names;
    for (const auto& attribute : loaded.Attributes())
        names << attribute.Name();
    EXPECT_EQ(names, QStringList({"Description", "Type", "Odd", "Unicode", "Empty"}));

    ASSERT_EQ(loaded.Children().Count(), 2);
    const CDataNode& child = loaded.Children().Item(1);
    EXPECT_EQ(child.Value(), "2\tChild\t");
    EXPECT_EQ(valuesOf(child, QStringLiteral("N")), QStringList({"7"}));
    EXPECT_EQ(loaded.Children().Item(2).Value(), "3\tSecond child\t");
    const CDataNode* node = &child.Children().Item(1);
    for (int depth = 0; depth < 30; ++depth) {
        ASSERT_EQ(node->Value(), QStringLiteral("depth %1").arg(depth));
        ASSERT_EQ(node->Children().Count(), 1);
        node = &node->Children().Item(1);
    }
    EXPECT_EQ(node->Children().Count(), 0);
    EXPECT_EQ(loaded.SaveToText(), original.SaveToText());
}

TEST(CDataNode, MalformedTextIsAnErrorAndLeavesTheNodeAlone)
{
    CDataNode node;
    node.setValue(QStringLiteral("kept"));
    const QString good = sampleTree().SaveToText();
    for (const QString& bad :
         {QString(), QStringLiteral("not xml"), good.left(good.size() / 2),
          QStringLiteral("<other/>"), QStringLiteral("<node><value>v</value><bogus/></node>"),
          QStringLiteral("<node><attribute><value>v</value></attribute></node>"),
          QStringLiteral("<node><value encoding=\"base64\">!!</value></node>")}) {
        EXPECT_THROW(node.LoadFromText(bad), zentrel::ZError) << bad.toStdString();
        EXPECT_EQ(node.Value(), "kept");
        EXPECT_EQ(node.Children().Count(), 0);
    }
}

TEST(CDataNodes, AddAppendsEmptyNodesInOrderAndCopiesAreDeep)
{
    CDataNodes nodes;
    CDataNode& first = nodes.Add();
    EXPECT_TRUE(first.Value().isEmpty());
    EXPECT_EQ(first.Attributes().Count(), 0);
    first.setValue(QStringLiteral("a"));
    for (int i = 0; i < 100; ++i)
        nodes.Add().setValue(QString::number(i));
    EXPECT_EQ(first.Value(), "a");
    ASSERT_EQ(nodes.Count(), 101);
    EXPECT_EQ(nodes.Item(101).Value(), "99");
    EXPECT_THROW(nodes.Item(0), zentrel::ZError);
    EXPECT_THROW(nodes.Item(102), zentrel::ZError);

    int seen = 0;
    for (const CDataNode& node : nodes)
        EXPECT_EQ(node.Value(), seen++ == 0 ? QStringLiteral("a") : QString::number(seen - 2));
    EXPECT_EQ(seen, 101);

    CDataNodes copy = nodes;
    copy.Item(1).setValue(QStringLiteral("changed"));
    copy.Item(1).Children().Add();
    EXPECT_EQ(nodes.Item(1).Value(), "a");
    EXPECT_EQ(nodes.Item(1).Children().Count(), 0);
}

TEST(CDataNode, SharedNodeTravelsInAVariant)
{
    const auto node = std::make_shared<CDataNode>(sampleTree());
    const QVariant variant = QVariant::fromValue(node);
    EXPECT_EQ(variant.value<zentrel::CDataNodePtr>(), node);
}
