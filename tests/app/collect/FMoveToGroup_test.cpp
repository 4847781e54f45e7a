#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "app/ProgramWiring.h"
#include "app/collect/FMoveToGroup.h"
#include "app/collect/GroupIcons.h"
#include "app/collect/GroupTree.h"
#include "app/collect/MMisc.h"
#include "app/collect/MainWindowKWOwner.h"
#include "app/collect/ucGroups.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/ucKW.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "engine/database/DBaser.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/app/keywords/KWTestDoubles.h"
#include "tests/support/OnModal.h"

namespace {

using kwtest::ScriptedServices;

// The texts of the tree, depth-first, indented by two blanks per level.
QStringList outline(const QTreeWidget& tree)
{
    QStringList lines;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* node, int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + node->text(0);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), 0);
    return lines;
}

QTreeWidgetItem* nodeOf(const QTreeWidget& tree, int id)
{
    return GroupTree::find(tree, GroupTree::keyOf(id));
}

class PickerTest : public testing::Test {
protected:
    kwtest::Project project;
    ScriptedServices services;
    GroupPickMemory memory;
    int dialogs = 0;

    // Runs one picker; onDialog acts on the shown dialog.
    bool pick(bool pickRank, int& picked, bool moveGroupMode = false, int hidden = 0,
              int* rank = nullptr, const std::function<void(FMoveToGroup&)>& onDialog = {})
    {
        services.onDialog = [&](QDialog& dialog) {
            ++dialogs;
            if (onDialog)
                onDialog(static_cast<FMoveToGroup&>(dialog));
            else
                dialog.reject();
        };
        FMoveToGroup picker;
        picker.init(&services, project.db.get(), &memory);
        return picker.ShowPicker(StringTable::text(166), StringTable::text(167), pickRank, picked,
                                 moveGroupMode, hidden, rank);
    }
    int groupCount() const
    {
        return project.db->ProjectDB()
            ->scalar(QStringLiteral("SELECT count(*) FROM [Group]"))
            .toInt();
    }
};

} // namespace

TEST(FillGroupTree, NestsHidesCountsAndExpands)
{
    kwtest::Project project;
    const int fruit = project.db->AddGroup(QStringLiteral("fruit"));
    const int apples = project.db->AddGroup(QStringLiteral("apples"), fruit);
    project.db->AddGroup(QStringLiteral("green"), apples);
    const int pears = project.db->AddGroup(QStringLiteral("pears"), fruit);
    project.db->AddGroup(QStringLiteral("tools"));
    const int kw = project.add(QStringLiteral("pear tart"), 10, 3);
    project.group({kw}, pears);

    QTreeWidget tree;
    MMisc::FillGroupTree(nullptr, project.db->GetGroups(nullptr), tree, false, false, 0);
    EXPECT_EQ(outline(tree), (QStringList{"fruit", "  apples", "    green", "  pears", "tools"}));
    QTreeWidgetItem* node = nodeOf(tree, apples);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(GroupTree::key(node), QStringLiteral("pk%1").arg(apples));
    EXPECT_EQ(GroupTree::tag(node), apples);
    EXPECT_FALSE(node->icon(0).isNull());
    EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());

    struct Case {
        int hidden;
        bool showCount;
        QStringList expected;
    };
    zentrel::CAttributes counts;
    counts.Add(QStringLiteral("CS_INCLUDE_KWS_COUNT"), QString());
    const Case cases[] = {
        {apples, false, {"fruit", "  pears", "tools"}},
        {fruit, false, {"tools"}},
        {pears, true, {"fruit (0)", "  apples (0)", "    green (0)", "tools (0)"}},
        {0, true, {"fruit (0)", "  apples (0)", "    green (0)", "  pears (1)", "tools (0)"}},
    };
    for (const Case& c : cases) {
        QTreeWidget other;
        MMisc::FillGroupTree(nullptr, project.db->GetGroups(&counts), other, true, c.showCount,
                             c.hidden);
        EXPECT_EQ(outline(other), c.expected) << c.hidden;
        EXPECT_TRUE(other.topLevelItem(0)->isExpanded());
    }
}

TEST(GroupIcons, ClosedAndOpenFolders)
{
    const QImage closed = GroupIcons::pixmap(QStringLiteral("kf")).toImage();
    const QImage open = GroupIcons::pixmap(QStringLiteral("kfo")).toImage();
    EXPECT_EQ(closed.size(), QSize(16, 16));
    EXPECT_EQ(open.size(), QSize(16, 16));
    EXPECT_NE(closed, open);
    EXPECT_TRUE(GroupIcons::pixmap(QStringLiteral("other")).isNull());
}

TEST_F(PickerTest, NoGroupsAndNoRankAsksOnceWithoutTheDialog)
{
    int picked = -5;
    EXPECT_FALSE(pick(false, picked)); // empty answer
    EXPECT_EQ(services.prompts, (std::vector<QString>{StringTable::text(174)}));
    EXPECT_EQ(groupCount(), 0);
    EXPECT_EQ(picked, -5);

    services.inputs = {QStringLiteral("  "), QStringLiteral(" first ")};
    EXPECT_FALSE(pick(false, picked)); // blank: nothing made
    EXPECT_EQ(groupCount(), 0);
    ASSERT_TRUE(pick(false, picked));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(groupCount(), 1);
    EXPECT_EQ(project.db->ProjectDB()
                  ->scalar(QStringLiteral("SELECT Name FROM [Group] WHERE pkGroup=?"), {picked})
                  .toString(),
              QStringLiteral("first"));
}

TEST_F(PickerTest, NoGroupsWithRankShowsTheNewGroup)
{
    services.inputs = {QStringLiteral("first")};
    int picked = 0;
    int rank = -1;
    QStringList shown;
    ASSERT_TRUE(pick(true, picked, false, 0, &rank, [&](FMoveToGroup& dialog) {
        shown = outline(*dialog.tv());
        EXPECT_TRUE(dialog.optRank(3)->isVisible());
        EXPECT_FALSE(dialog.cmdMoveToRoot()->isVisible());
        GroupTree::select(*dialog.tv(), dialog.tv()->topLevelItem(0));
        dialog.optRank(3)->click();
        dialog.cmdOK()->click();
    }));
    EXPECT_EQ(shown, QStringList{"first"});
    EXPECT_EQ(rank, 3);
    EXPECT_EQ(memory.lastRank, 3);
    EXPECT_EQ(picked, project.db->GetGroups(nullptr).Item(1).Value().section('\t', 0, 0).toInt());
}

TEST_F(PickerTest, MovedGroupAndItsDescendantsAreNeverOffered)
{
    const int only = project.db->AddGroup(QStringLiteral("only"));
    int picked = 0;
    EXPECT_FALSE(pick(false, picked, true, only));
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, StringTable::text(178));
    EXPECT_EQ(services.messages[0].style, 48);

    const int child = project.db->AddGroup(QStringLiteral("child"), only);
    project.db->AddGroup(QStringLiteral("grandchild"), child);
    const int other = project.db->AddGroup(QStringLiteral("other"));
    project.db->AddGroup(QStringLiteral("under other"), other);
    QStringList shown;
    EXPECT_FALSE(pick(false, picked, true, child, nullptr, [&](FMoveToGroup& dialog) {
        shown = outline(*dialog.tv());
        EXPECT_TRUE(dialog.cmdMoveToRoot()->isVisible());
        EXPECT_FALSE(dialog.lblRank()->isVisible());
        dialog.cmdCancel()->click();
    }));
    EXPECT_EQ(shown, (QStringList{"only", "other", "  under other"}));
}

TEST_F(PickerTest, OkWithNothingSelectedKeepsTheDialogOpen)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    int picked = 0;
    ASSERT_TRUE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
        dialog.cmdOK()->click();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].prompt, StringTable::text(163));
        EXPECT_EQ(services.messages[0].style, 48);
        GroupTree::select(*dialog.tv(), nodeOf(*dialog.tv(), a));
        dialog.cmdOK()->click();
        EXPECT_FALSE(dialog.isVisible());
    }));
    EXPECT_EQ(picked, a);
}

TEST_F(PickerTest, RememberedGroupUntilMoveToRoot)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"), a);
    int picked = 0;
    ASSERT_TRUE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
        EXPECT_EQ(GroupTree::selected(*dialog.tv()), nullptr);
        EXPECT_TRUE(nodeOf(*dialog.tv(), a)->isExpanded());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const QPoint at = dialog.tv()->visualItemRect(nodeOf(*dialog.tv(), b)).center();
        QTest::mouseClick(dialog.tv()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(dialog.tv()->viewport(), Qt::LeftButton, {}, at);
    }));
    EXPECT_EQ(picked, b);
    EXPECT_EQ(memory.lastKey, GroupTree::keyOf(b));

    ASSERT_TRUE(pick(false, picked, true, 0, nullptr, [&](FMoveToGroup& dialog) {
        EXPECT_EQ(GroupTree::tag(GroupTree::selected(*dialog.tv())), b);
        dialog.cmdMoveToRoot()->click();
    }));
    EXPECT_EQ(picked, 0);
    EXPECT_TRUE(memory.lastKey.isEmpty());

    EXPECT_FALSE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
        EXPECT_EQ(GroupTree::selected(*dialog.tv()), nullptr);
        dialog.reject();
    }));
    // A remembered group that is gone is passed over.
    memory.lastKey = GroupTree::keyOf(777);
    EXPECT_FALSE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
        EXPECT_EQ(GroupTree::selected(*dialog.tv()), nullptr);
        dialog.reject();
    }));
}

TEST_F(PickerTest, WhereARankIsAskedForOkWaitsForOne)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    int picked = 0;
    int rank = -1;
    ASSERT_TRUE(pick(true, picked, false, 0, &rank, [&](FMoveToGroup& dialog) {
        GroupTree::select(*dialog.tv(), nodeOf(*dialog.tv(), a));
        EXPECT_FALSE(dialog.cmdOK()->isEnabled());
        dialog.cmdOK()->click();
        dialog.cmdOK_Click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const QPoint at = dialog.tv()->visualItemRect(nodeOf(*dialog.tv(), a)).center();
        QTest::mouseDClick(dialog.tv()->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(dialog.tv(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.OKPressed());
        dialog.optRank(2)->click();
        EXPECT_TRUE(dialog.cmdOK()->isEnabled());
        dialog.cmdOK()->click();
    }));
    EXPECT_EQ(picked, a);
    EXPECT_EQ(rank, 2);
    EXPECT_EQ(memory.lastRank, 2);

    // A remembered rank is chosen from the start; without a rank to ask for, OK waits for none.
    for (const bool pickRank : {true, false}) {
        ASSERT_TRUE(pick(pickRank, picked, false, 0, &rank, [&](FMoveToGroup& dialog) {
            EXPECT_TRUE(dialog.cmdOK()->isEnabled()) << pickRank;
            dialog.cmdOK()->click();
        }));
    }
}

TEST_F(PickerTest, TheFramedGroupIsTheOnePicked)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"));
    struct Case {
        const char* name;
        std::function<void(FMoveToGroup&)> frame; // leaves the frame on a node
        int expected;
    };
    const Case cases[] = {
        {"the tree takes the focus", [](FMoveToGroup& dialog) { dialog.tv()->setFocus(); }, a},
        {"Ctrl+click takes the selection away",
         [&](FMoveToGroup& dialog) {
             const QPoint at = dialog.tv()->visualItemRect(nodeOf(*dialog.tv(), b)).center();
             QTest::mouseClick(dialog.tv()->viewport(), Qt::LeftButton, {}, at);
             QTest::mouseClick(dialog.tv()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
             EXPECT_TRUE(dialog.tv()->selectedItems().isEmpty());
         },
         b},
    };
    for (const Case& c : cases) {
        int picked = 0;
        memory.lastKey.clear();
        EXPECT_TRUE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
            dialog.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            c.frame(dialog);
            ASSERT_NE(dialog.tv()->currentItem(), nullptr) << c.name;
            EXPECT_EQ(GroupTree::tag(dialog.tv()->currentItem()), c.expected) << c.name;
            dialog.cmdOK()->click();
            EXPECT_FALSE(dialog.isVisible()) << c.name;
        })) << c.name;
        EXPECT_EQ(picked, c.expected) << c.name;
        EXPECT_TRUE(services.messages.empty()) << c.name;
    }
}

TEST_F(PickerTest, CloseBoxIsCancel)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    int picked = 0;
    EXPECT_FALSE(pick(false, picked, false, 0, nullptr, [&](FMoveToGroup& dialog) {
        GroupTree::select(*dialog.tv(), nodeOf(*dialog.tv(), a));
        dialog.close();
    }));
    EXPECT_EQ(picked, 0);
    EXPECT_TRUE(memory.lastKey.isEmpty());
}

TEST_F(PickerTest, CaptionsOfTheCall)
{
    project.db->AddGroup(QStringLiteral("a"));
    services.onDialog = [&](QDialog& dialog) {
        auto& picker = static_cast<FMoveToGroup&>(dialog);
        EXPECT_EQ(picker.windowTitle(), StringTable::text(169));
        EXPECT_EQ(picker.lblCaption()->text(), StringTable::text(170));
        dialog.reject();
    };
    FMoveToGroup picker;
    picker.init(&services, project.db.get(), &memory);
    int picked = 0;
    EXPECT_FALSE(
        picker.ShowPicker(StringTable::text(169), StringTable::text(170), false, picked, true, 0));
    EXPECT_FALSE(picker.OKPressed());
}

namespace {

// The main window's side of the keyword pages with the real picker.
class PickerOwner final : public kwtest::PagesOwner {
public:
    PickerOwner(ScriptedServices& services, zentrel::DBaser& db)
        : m_services(services)
        , m_db(db)
    {
    }
    bool PickGroup(QWidget*, const QString& caption, const QString& prompt, bool withRank,
                   int& group, int& relevancy) override
    {
        FMoveToGroup picker;
        picker.init(&m_services, &m_db, &memory);
        return picker.ShowPicker(caption, prompt, withRank, group, false, 0, &relevancy);
    }
    GroupPickMemory memory;

private:
    ScriptedServices& m_services;
    zentrel::DBaser& m_db;
};

} // namespace

TEST(PutToGroup, FromTheCandidatesPageWithAndWithoutARank)
{
    kwtest::Project project;
    ScriptedServices services;
    PickerOwner owner(services, *project.db);
    ucKW raw;
    ucKW kws;
    raw.setPageType(0);
    kws.setPageType(2);
    owner.tabs = {{2, &raw}, {3, &kws}};
    const int blue = project.add(QStringLiteral("blue"), 5, -1);
    const int red = project.add(QStringLiteral("red"), 6, -1);
    const int group = project.db->AddGroup(QStringLiteral("colours"));
    raw.init(project.store.get(), &services, &owner);
    kws.init(project.store.get(), &services, &owner);
    auto inGroup = [&](int id) {
        return project.db->ProjectDB()
                   ->scalar(QStringLiteral("SELECT count(*) FROM KWGroup WHERE fkKW=? AND "
                                           "fkGroup=?"),
                            {id, group})
                   .toInt() == 1;
    };
    auto selectOnly = [&](int id) { raw.selectRows({raw.model()->rowOfId(id)}); };
    auto pickGroupWithRank = [&](int rank) {
        services.onDialog = [&, rank](QDialog& dialog) {
            auto& picker = static_cast<FMoveToGroup&>(dialog);
            EXPECT_TRUE(picker.optRank(1)->isVisible());
            GroupTree::select(*picker.tv(), nodeOf(*picker.tv(), group));
            if (rank > 0)
                picker.optRank(rank)->click();
            picker.cmdOK()->click();
            if (picker.isVisible())
                picker.cmdCancel()->click();
        };
    };

    // No rank chosen: OK does nothing, and the user can only cancel.
    selectOnly(blue);
    pickGroupWithRank(0);
    raw.mnuAddToGroup_Click();
    EXPECT_FALSE(inGroup(blue));
    EXPECT_EQ(project.relevancyOf(blue), -1);
    EXPECT_GE(raw.model()->rowOfId(blue), 0);
    EXPECT_FALSE(services.logged(QStringLiteral("ucKW.mnuAddToGroup_Click")));

    // A rank: kept, on the kept page, in the group.
    selectOnly(red);
    pickGroupWithRank(4);
    raw.mnuAddToGroup_Click();
    EXPECT_TRUE(inGroup(red));
    EXPECT_EQ(project.relevancyOf(red), 4);
    EXPECT_LT(raw.model()->rowOfId(red), 0);
    EXPECT_GE(kws.model()->rowOfId(red), 0);
}

TEST(PutToGroup, ThroughTheMainWindowsPicker)
{
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    auto* candidates = dynamic_cast<KWPageHost*>(window.page(Tab::Raw));
    ASSERT_NE(candidates, nullptr);
    zentrel::CKeyedCollection kws;
    kws.Add(QStringLiteral("green tea"));
    zentrel::CDataNode operation;
    window.database()->AddKWs(kws, operation);
    const int group = window.database()->AddGroup(QStringLiteral("drinks"));
    window.RefreshTab(Tab::Raw);
    ucKW* raw = candidates->kwPage();
    ASSERT_EQ(raw->model()->rowCount(), 1);
    const int id = raw->model()->rowAt(0).id;
    raw->selectRows({0});

    testsupport::onModal<FMoveToGroup>([&](FMoveToGroup* picker) {
        EXPECT_EQ(picker->windowTitle(), StringTable::text(166));
        GroupTree::select(*picker->tv(), nodeOf(*picker->tv(), group));
        picker->optRank(5)->click();
        picker->cmdOK()->click();
    });
    raw->mnuAddToGroup_Click();
    EXPECT_EQ(raw->model()->rowCount(), 0);
    EXPECT_EQ(window.database()
                  ->ProjectDB()
                  ->scalar(QStringLiteral("SELECT Relevancy FROM Keyword WHERE pkKeyword=?"), {id})
                  .toInt(),
              5);
    EXPECT_EQ(wiring.owner()->groupPicks().lastKey, GroupTree::keyOf(group));
    EXPECT_EQ(wiring.owner()->groupPicks().lastRank, 5);
    window.close();
}

TEST_F(PickerTest, RefusedFirstGroupIsLoggedAndPicksNothing)
{
    services.inputs = {QString(300, QLatin1Char('x'))};
    int picked = 0;
    EXPECT_FALSE(pick(false, picked));
    EXPECT_EQ(groupCount(), 0);
    ASSERT_EQ(services.log.size(), 1u);
    EXPECT_EQ(services.log[0].source, QStringLiteral("FMoveToGroup.ShowPicker"));
    EXPECT_EQ(services.log[0].level, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PutToGroup, CandidatesPutIntoAGroupAreCountedThere)
{
    kwtest::Project project;
    ScriptedServices services;
    PickerOwner owner(services, *project.db);
    const int roses = project.db->AddGroup(QStringLiteral("Roses"));
    for (const char* kw : {"red roses", "white roses"})
        project.group({project.add(QString::fromLatin1(kw), 50, 3)}, roses);
    QList<int> candidates;
    for (const char* kw : {"roses delivery", "cheap roses", "roses online"})
        candidates << project.add(QString::fromLatin1(kw), 10, -1);
    ucKW raw;
    raw.setPageType(0);
    ucGroups groups;
    owner.tabs = {{2, &raw}, {4, groups.KWs()}};
    raw.init(project.store.get(), &services, &owner);
    GroupPickMemory memory;
    groups.init(project.db.get(), project.store.get(), &services, &owner, &memory);
    ASSERT_EQ(groups.KWs()->GroupId(), roses);
    EXPECT_EQ(groups.KWs()->lblTotal()->text(), QStringLiteral("Total in group: 2 keyword(s). "));

    raw.selectRows({0, 1, 2});
    int shown = 0;
    services.onDialog = [&](QDialog& dialog) {
        auto& picker = static_cast<FMoveToGroup&>(dialog);
        ++shown;
        GroupTree::select(*picker.tv(), nodeOf(*picker.tv(), roses));
        picker.cmdOK()->click(); // no rank yet: nothing
        EXPECT_TRUE(picker.isVisible());
        picker.optRank(3)->click();
        picker.cmdOK()->click();
    };
    raw.mnuAddToGroup_Click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(raw.model()->rowCount(), 0);
    EXPECT_EQ(groups.KWs()->model()->rowCount(), 5);
    EXPECT_EQ(groups.KWs()->lblTotal()->text(), QStringLiteral("Total in group: 5 keyword(s). "));
    for (const int id : candidates)
        EXPECT_EQ(project.relevancyOf(id), 3);
}
