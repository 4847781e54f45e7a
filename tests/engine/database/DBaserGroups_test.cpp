#include <QSignalSpy>

#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class DBaserGroups : public DBaserFixture {
protected:
    void SetUp() override
    {
        openBoth();
        CDataNode operation;
        db->AddKWs(words({"blue widget", "red widget", "green widget", "cheap widget"}), operation);
        for (const QString& id : column("SELECT pkKeyword FROM Keyword ORDER BY pkKeyword"))
            kw << id.toInt();
    }

    QStringList members(int group) const
    {
        return column(
            QString("SELECT fkKW FROM KWGroup WHERE fkGroup = %1 ORDER BY fkKW, rowid").arg(group));
    }

    static QStringList values(const CDataNodes& nodes)
    {
        QStringList list;
        for (const CDataNode& node : nodes)
            list << node.Value();
        return list;
    }

    QString memberList(std::initializer_list<int> positions) const
    {
        QStringList list;
        for (int p : positions)
            list << QString::number(kw[p].toInt());
        return list.join(',');
    }

    QVariantList kw;
};

TEST_F(DBaserGroups, OnlyTheFirstGroupEverRaisesGroupInfoChanged)
{
    QSignalSpy changed(db.get(), &DBaser::GroupInfoChanged);
    const int first = db->AddGroup("first");
    db->AddGroup("second");
    db->RemoveGroup(first);
    db->AddGroup("third");
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(DBaserGroups, TheTreeNestsSubgroupsAndCarriesCountsOnlyWhenAsked)
{
    EXPECT_EQ(db->GetGroups(nullptr).Count(), 0);
    const int top = db->AddGroup("Top");
    const int negative = db->AddGroup("Also top", -3);
    const int child = db->AddGroup("Child", top);
    const int grandChild = db->AddGroup("Grandchild", child);
    db->AddToGroup(items({kw[0], kw[1]}), child);

    const CDataNodes tree = db->GetGroups(nullptr);
    EXPECT_EQ(values(tree), QStringList({QString("%1\tTop\t").arg(top),
                                         QString("%1\tAlso top\t").arg(negative)}));
    EXPECT_EQ(values(tree.Item(1).Children()), QStringList({QString("%1\tChild\t").arg(child)}));
    EXPECT_EQ(values(tree.Item(1).Children().Item(1).Children()),
              QStringList({QString("%1\tGrandchild\t").arg(grandChild)}));
    EXPECT_TRUE(
        projectScalar("SELECT ParentGroup FROM \"Group\" WHERE pkGroup = ?1", {negative}).isNull());

    CAttributes counts;
    counts.Add("CS_INCLUDE_KWS_COUNT", true);
    const CDataNodes counted = db->GetGroups(&counts);
    EXPECT_EQ(values(counted.Item(1).Children()),
              QStringList({QString("%1\tChild\t2").arg(child)}));
    EXPECT_EQ(counted.Item(2).Value(), QString("%1\tAlso top\t0").arg(negative));
}

TEST_F(DBaserGroups, ManyGroupsAllComeBack)
{
    for (int i = 0; i < 250; ++i)
        db->AddGroup(QString("group %1").arg(i));
    EXPECT_EQ(db->GetGroups(nullptr).Count(), 250);
}

TEST_F(DBaserGroups, TheTableRulesRefuseBadNamesAsErrors)
{
    for (const QString& bad : {QString(), QString(256, 'x')}) {
        EXPECT_THROW(db->AddGroup(bad), ZError) << bad.size();
    }
    EXPECT_TRUE(logged(4, 0x113, "DBaser.AddGroup")) << "SQLITE_CONSTRAINT_CHECK";
    EXPECT_EQ(db->GetCount(542), 0);
    EXPECT_EQ(db->GetGroups(nullptr).Count(), 0);
    const int ok = db->AddGroup(QString(255, 'x'));
    EXPECT_THROW(db->UpdateGroup(ok, QString(256, 'y')), ZError);
}

TEST_F(DBaserGroups, UpdateGroupRunsWhatWasGiven)
{
    const int a = db->AddGroup("a");
    const int b = db->AddGroup("b");
    EXPECT_EQ(db->UpdateGroup(a, "it's mine"), 0);
    EXPECT_EQ(db->UpdateGroup(a, {}, b), 0);
    db->UpdateGroup(b, "renamed b", 0);
    db->UpdateGroup(b);
    EXPECT_EQ(column("SELECT Name || '/' || ifnull(ParentGroup, 'null') FROM \"Group\" ORDER BY "
                     "pkGroup"),
              QStringList({QString("it's mine/%1").arg(b), "renamed b/0"}));
}

TEST_F(DBaserGroups, MoveGroupToTheTopClearsTheParentAndACycleLeavesTheTree)
{
    const int top = db->AddGroup("top");
    const int child = db->AddGroup("child", top);
    const int grandChild = db->AddGroup("grandchild", child);
    db->MoveGroup(child, 0);
    EXPECT_TRUE(
        projectScalar("SELECT ParentGroup FROM \"Group\" WHERE pkGroup = ?1", {child}).isNull());
    db->MoveGroup(child, top);
    db->MoveGroup(top, grandChild); // under its own subgroup
    EXPECT_EQ(db->GetGroups(nullptr).Count(), 0);
}

TEST_F(DBaserGroups, AddToGroupLeavesExactlyOneMembershipEach)
{
    const int g = db->AddGroup("g");
    db->AddToGroup(items({kw[0]}), g);
    db->AddToGroup(items({kw[0]}), g);
    EXPECT_EQ(members(g).join(','), memberList({0}));
    db->AddToGroup(items({kw[0], kw[1], kw[2]}), g);
    EXPECT_EQ(members(g).join(','), memberList({0, 1, 2}));
    db->AddToGroup(items({}), g);
    EXPECT_EQ(members(g).size(), 3);
}

TEST_F(DBaserGroups, AFailingAddToGroupKeepsTheOldMemberships)
{
    const int g = db->AddGroup("g");
    db->AddToGroup(items({kw[0], kw[1]}), g);
    EXPECT_THROW(db->AddToGroup(items({kw[0], kw[1], 99999}), g), ZError);
    EXPECT_EQ(members(g).join(','), memberList({0, 1}));
    EXPECT_TRUE(logged(4, 787, "DBaser.AddToGroup")) << "SQLITE_CONSTRAINT_FOREIGNKEY";
}

TEST_F(DBaserGroups, MoveToGroupMovesOrChangesNothing)
{
    const int from = db->AddGroup("from");
    const int to = db->AddGroup("to");
    db->AddToGroup(items({kw[0], kw[1], kw[2]}), from);
    db->MoveToGroup(items({kw[0], kw[1]}), from, to);
    EXPECT_EQ(members(from).join(','), memberList({2}));
    EXPECT_EQ(members(to).join(','), memberList({0, 1}));

    EXPECT_THROW(db->MoveToGroup(items({kw[2]}), from, to + 100), ZError);
    EXPECT_EQ(members(from).join(','), memberList({2})) << "a failed move removes nothing";
    db->MoveToGroup(items({}), from, to);
    EXPECT_EQ(members(from).size(), 1);
}

TEST_F(DBaserGroups, RemovingTakesMembershipsButNotKeywords)
{
    const int g = db->AddGroup("g");
    const int h = db->AddGroup("h");
    db->AddToGroup(items({kw[0], kw[1], kw[2]}), g);
    db->AddToGroup(items({kw[0]}), h);
    db->RemoveFromGroup(items({kw[0]}), g);
    db->RemoveFromGroup(items({kw[1], kw[2]}), g);
    EXPECT_TRUE(members(g).isEmpty());
    db->RemoveGroup(h);
    EXPECT_EQ(projectScalar("SELECT count(*) FROM KWGroup").toInt(), 0);
    EXPECT_EQ(keywordCount(), 4);
}

} // namespace
