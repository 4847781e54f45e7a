#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/ProgramWiring.h"
#include "app/collect/FMoveToGroup.h"
#include "app/collect/GroupTree.h"
#include "app/collect/MMisc.h"
#include "app/collect/ucGroups.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/ucKW.h"
#include "app/shell/CSplitter.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "engine/database/DBaser.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/app/keywords/KWTestDoubles.h"

namespace {

using kwtest::ScriptedServices;

class GroupsPage : public testing::Test {
protected:
    kwtest::Project project;
    ScriptedServices services;
    kwtest::PagesOwner owner;
    GroupPickMemory memory;
    ucGroups page;

    void SetUp() override { page.resize(800, 600); }
    void init() { page.init(project.db.get(), project.store.get(), &services, &owner, &memory); }

    QTreeWidgetItem* node(int id) const
    {
        return GroupTree::find(*page.tv(), GroupTree::keyOf(id));
    }
    void select(int id) { GroupTree::select(*page.tv(), node(id)); }
    int selectedId() const { return GroupTree::tag(GroupTree::selected(*page.tv())); }
    QStringList shown() const
    {
        QStringList kws;
        for (int r = 0; r < page.KWs()->model()->rowCount(); ++r)
            kws << page.KWs()->model()->rowAt(r).keyword;
        return kws;
    }
    QStringList outline() const { return outlineOf(*page.tv()); }
    static QStringList outlineOf(const QTreeWidget& tree)
    {
        QStringList lines;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
            lines << QString(depth * 2, QLatin1Char(' ')) + n->text(0);
            for (int i = 0; i < n->childCount(); ++i)
                walk(n->child(i), depth + 1);
        };
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            walk(tree.topLevelItem(i), 0);
        return lines;
    }
    QVariant parentOf(int id) const
    {
        return project.db->ProjectDB()->scalar(
            QStringLiteral("SELECT ParentGroup FROM [Group] WHERE pkGroup=?"), {id});
    }
    QString nameOf(int id) const
    {
        return project.db->ProjectDB()
            ->scalar(QStringLiteral("SELECT Name FROM [Group] WHERE pkGroup=?"), {id})
            .toString();
    }
    int groupCount() const
    {
        return project.db->ProjectDB()
            ->scalar(QStringLiteral("SELECT count(*) FROM [Group]"))
            .toInt();
    }
    // A kept keyword in the group.
    int keyword(const QString& kw, int group)
    {
        const int id = project.add(kw, 10, 3);
        project.group({id}, group);
        return id;
    }
};

} // namespace

TEST_F(GroupsPage, EmptyProjectOffersNothing)
{
    init();
    EXPECT_EQ(page.tv()->topLevelItemCount(), 0);
    EXPECT_EQ(GroupTree::selected(*page.tv()), nullptr);
    EXPECT_EQ(page.KWs()->PageType(), 4);
    EXPECT_EQ(page.KWs()->GroupId(), 0);
    EXPECT_EQ(page.KWs()->model()->rowCount(), 0);
    int dialogs = 0;
    services.onDialog = [&](QDialog& d) {
        ++dialogs;
        d.reject();
    };
    page.cmdRemove_Click();
    page.cmdRename_Click();
    page.mnuMoveGroup_Click();
    page.mnuMoveGroupToRoot_Click();
    page.popupTreeMenu(QPoint(5, 5));
    page.show();
    page.tv()->setFocus();
    QTest::keyClick(page.tv(), Qt::Key_Delete);
    QTest::keyClick(page.tv(), Qt::Key_F2);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.prompts.empty());
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(page.mnuTreeContext()->isVisible());
}

TEST_F(GroupsPage, FirstGroupIsShownOnceAndSelected)
{
    init();
    services.inputs = {QStringLiteral("  first  ")};
    page.cmdAdd_Click();
    EXPECT_EQ(services.prompts, std::vector<QString>{StringTable::text(171)});
    ASSERT_EQ(GroupTree::count(*page.tv()), 1);
    EXPECT_EQ(outline(), QStringList{"first"});
    const int first = selectedId();
    EXPECT_GT(first, 0);
    EXPECT_EQ(nameOf(first), QStringLiteral("first"));
    EXPECT_EQ(page.KWs()->GroupId(), first);
    EXPECT_EQ(page.lastLoadedGroup(), first);

    services.inputs = {QStringLiteral("sub")};
    page.mnuAddGroup_Click();
    EXPECT_EQ(services.prompts.back(), StringTable::text(159));
    EXPECT_EQ(outline(), (QStringList{"first", "  sub"}));
    EXPECT_TRUE(node(first)->isExpanded());
    EXPECT_EQ(parentOf(selectedId()).toInt(), first);
    EXPECT_EQ(page.KWs()->GroupId(), selectedId());

    services.inputs = {QString()}; // cancelled
    page.cmdAddRoot_Click();
    EXPECT_EQ(groupCount(), 2);
}

TEST_F(GroupsPage, GroupWithSubgroupsIsNotDeletedALeafOnlyAfterYes)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"), a);
    const int kw = keyword(QStringLiteral("kept"), b);
    init();
    select(a);
    page.cmdRemove_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, StringTable::text(160));
    EXPECT_EQ(services.messages[0].style, 48);
    EXPECT_EQ(groupCount(), 2);

    select(b);
    services.msgAnswers = {KWServices::No};
    page.cmdRemove_Click();
    EXPECT_EQ(services.messages.back().prompt,
              QStringLiteral("Are you sure you want to delete group 'b'?"));
    EXPECT_EQ(services.messages.back().style, 52);
    EXPECT_EQ(groupCount(), 2);
    EXPECT_NE(node(b), nullptr);

    services.msgAnswers = {KWServices::Yes};
    page.cmdRemove_Click();
    EXPECT_EQ(groupCount(), 1);
    EXPECT_EQ(node(b), nullptr);
    EXPECT_EQ(outline(), QStringList{"a"});
    EXPECT_TRUE(project.exists(kw));
    EXPECT_EQ(
        project.db->ProjectDB()->scalar(QStringLiteral("SELECT count(*) FROM KWGroup")).toInt(), 0);
}

TEST_F(GroupsPage, MovedSubtreeKeepsItsChildren)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"), a);
    project.db->AddGroup(QStringLiteral("c"), b);
    const int d = project.db->AddGroup(QStringLiteral("d"));
    init();
    select(b);
    page.mnuMoveGroupToRoot_Click();
    EXPECT_EQ(outline(), (QStringList{"a", "b", "  c", "d"}));
    EXPECT_TRUE(parentOf(b).isNull());
    EXPECT_EQ(selectedId(), b);
    EXPECT_EQ(page.KWs()->GroupId(), b);

    QStringList offered;
    services.onDialog = [&](QDialog& dialog) {
        auto& picker = static_cast<FMoveToGroup&>(dialog);
        EXPECT_EQ(picker.windowTitle(), StringTable::text(169));
        for (QTreeWidgetItemIterator it(picker.tv()); *it; ++it)
            offered << (*it)->text(0);
        GroupTree::select(*picker.tv(), GroupTree::find(*picker.tv(), GroupTree::keyOf(d)));
        picker.cmdOK()->click();
    };
    page.mnuMoveGroup_Click();
    EXPECT_EQ(offered, (QStringList{"a", "d"}));
    EXPECT_EQ(outline(), (QStringList{"a", "d", "  b", "    c"}));
    EXPECT_EQ(parentOf(b).toInt(), d);
    EXPECT_EQ(selectedId(), b);

    services.onDialog = [&](QDialog& dialog) {
        static_cast<FMoveToGroup&>(dialog).cmdMoveToRoot()->click();
    };
    page.mnuMoveGroup_Click();
    EXPECT_EQ(outline(), (QStringList{"a", "b", "  c", "d"}));
    EXPECT_TRUE(parentOf(b).isNull());

    services.onDialog = [&](QDialog& dialog) { dialog.reject(); };
    select(a);
    page.mnuMoveGroup_Click();
    EXPECT_EQ(outline(), (QStringList{"a", "b", "  c", "d"}));
}

TEST_F(GroupsPage, BlankRenameChangesNothing)
{
    const int a = project.db->AddGroup(QStringLiteral("old name"));
    init();
    select(a);
    services.inputs = {QStringLiteral("   ")};
    page.cmdRename_Click();
    EXPECT_EQ(services.prompts.back(), QStringLiteral("Type new name for group 'old name'. "));
    EXPECT_EQ(services.lastDefault, QStringLiteral("old name"));
    EXPECT_EQ(nameOf(a), QStringLiteral("old name"));
    EXPECT_EQ(outline(), QStringList{"old name"});

    services.inputs = {QStringLiteral(" new name ")};
    page.cmdRename_Click();
    EXPECT_EQ(nameOf(a), QStringLiteral("new name"));
    EXPECT_EQ(outline(), QStringList{"new name"});
}

TEST_F(GroupsPage, SameGroupClickedTwiceDoesNotReload)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"));
    keyword(QStringLiteral("one"), a);
    keyword(QStringLiteral("other"), b);
    init();
    EXPECT_EQ(shown(), QStringList{"one"});
    select(a);
    page.tv_NodeClick();
    EXPECT_EQ(page.lastLoadedGroup(), a);
    keyword(QStringLiteral("two"), a);
    page.tv_NodeClick();
    EXPECT_EQ(shown(), QStringList{"one"});
    select(b);
    EXPECT_EQ(shown(), QStringList{"other"});
    select(a);
    EXPECT_EQ(shown().size(), 2);
}

TEST_F(GroupsPage, GroupShownBeforeARebuildLoadsWhenClicked)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"));
    keyword(QStringLiteral("in a"), a);
    keyword(QStringLiteral("in b"), b);
    init();
    select(b);
    EXPECT_EQ(shown(), QStringList{"in b"});
    emit project.db->GroupInfoChanged();
    EXPECT_EQ(selectedId(), a);
    EXPECT_EQ(shown(), QStringList{"in a"});
    select(b);
    EXPECT_EQ(shown(), QStringList{"in b"});
}

TEST_F(GroupsPage, MenuDeleteActsOnWhatHasTheFocus)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"));
    const int kw = keyword(QStringLiteral("kept"), a);
    init();
    page.show();
    select(a);
    page.KWs()->selectRows({0});
    page.KWs()->lv()->setFocus();
    services.msgAnswers = {KWServices::OK};
    page.MenuEvent(QStringLiteral("CS_MENU_DELETE"), 0);
    EXPECT_EQ(services.messages.back().prompt, StringTable::text(129));
    EXPECT_FALSE(project.exists(kw));
    EXPECT_EQ(groupCount(), 2);

    select(b);
    page.tv()->setFocus();
    services.msgAnswers = {KWServices::Yes};
    page.MenuEvent(QStringLiteral("CS_MENU_DELETE"), 0);
    EXPECT_EQ(groupCount(), 1);
    EXPECT_EQ(node(b), nullptr);
}

TEST_F(GroupsPage, MenuDispatchByIdentifier)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    init();
    select(a);
    services.inputs = {QStringLiteral("sub"), QStringLiteral("top"), QStringLiteral("renamed")};
    page.MenuEvent(QStringLiteral("CS_MENU_NEW_GROUP"), 0);
    page.MenuEvent(QStringLiteral("CS_MENU_NEW_GROUP_TO_ROOT"), 0);
    select(a);
    page.MenuEvent(QStringLiteral("CS_MENU_RENAME_GROUP"), 0);
    EXPECT_EQ(outline(), (QStringList{"renamed", "  sub", "top"}));
    GroupTree::select(*page.tv(), page.tv()->topLevelItem(0)->child(0));
    page.MenuEvent(QStringLiteral("CS_MENU_MOVE_GROUP_TO_ROOT"), 0);
    EXPECT_EQ(outline(), (QStringList{"renamed", "sub", "top"}));
    int dialogs = 0;
    services.onDialog = [&](QDialog& dialog) {
        ++dialogs;
        dialog.reject();
    };
    page.MenuEvent(QStringLiteral("CS_MENU_MOVE_GROUP"), 0);
    EXPECT_EQ(dialogs, 1);
    const size_t asked = services.prompts.size();
    page.MenuEvent(QStringLiteral("CS_MENU_FIND_NEXT"), 0);
    page.MenuEvent(QStringLiteral("CS_MENU_UNKNOWN"), 0);
    EXPECT_EQ(services.prompts.size(), asked);
    page.MenuEvent(QStringLiteral("CS_MENU_FIND"), 0); // the inner page asks
    EXPECT_EQ(services.prompts.size(), asked + 1);
}

TEST_F(GroupsPage, TreeKeysAndPopup)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    init();
    page.show();
    select(a);
    page.tv()->setFocus();
    services.inputs = {QStringLiteral("by shift"), QStringLiteral("by ctrl"),
                       QStringLiteral("renamed")};
    QTest::keyClick(page.tv(), Qt::Key_Insert);
    EXPECT_EQ(groupCount(), 1);
    QTest::keyClick(page.tv(), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(page.tv(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(outline(), (QStringList{"a", "by shift", "by ctrl"}));
    select(a);
    QTest::keyClick(page.tv(), Qt::Key_F2);
    EXPECT_EQ(nameOf(a), QStringLiteral("renamed"));
    services.msgAnswers = {KWServices::Yes};
    QTest::keyClick(page.tv(), Qt::Key_Delete);
    EXPECT_EQ(node(a), nullptr);

    select(GroupTree::tag(page.tv()->topLevelItem(0)));
    QTest::keyClick(page.tv(), Qt::Key_Menu);
    EXPECT_TRUE(page.mnuTreeContext()->isVisible());
    page.mnuTreeContext()->hide();
    const QPoint at = page.tv()->visualItemRect(page.tv()->topLevelItem(0)).center();
    QTest::mouseClick(page.tv()->viewport(), Qt::RightButton, {}, at);
    EXPECT_TRUE(page.mnuTreeContext()->isVisible());
    page.mnuTreeContext()->hide();
    QStringList items;
    for (QAction* action : page.mnuTreeContext()->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, (QStringList{"New &Group...", "New &Subgroup...", "-", "&Move...",
                                  "Move To R&oot", "-", "&Rename...", "-", "&Delete"}));
}

TEST_F(GroupsPage, SplitterBarKeepsItsLimits)
{
    init();
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    CSplitter* splitter = page.splitter();
    splitter->splitterDown();
    splitter->splitterMove(-2000);
    splitter->splitterUp();
    EXPECT_GE(splitter->barPosition(), ucGroups::kMinBarTop / 15);
    splitter->splitterDown();
    splitter->splitterMove(2000);
    splitter->splitterUp();
    EXPECT_GE(page.height() - splitter->barPosition(), ucGroups::kMinBelowBar / 15);
    EXPECT_GE(page.minimumHeight(), ucGroups::kMinHeight / 15);
    EXPECT_GT(page.cmdAdd()->x(), page.tv()->geometry().right());
}

TEST(GroupsPageInTheWindow, NewGroupFromTheMainMenu)
{
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    auto* groups = dynamic_cast<ucGroups*>(window.page(Tab::Groups));
    ASSERT_NE(groups, nullptr);
    script.input(QStringLiteral("from the menu"));
    window.DispatchMenuEvent(QStringLiteral("CS_MENU_NEW_GROUP_TO_ROOT"), 0);
    ASSERT_EQ(groups->tv()->topLevelItemCount(), 1);
    EXPECT_EQ(groups->tv()->topLevelItem(0)->text(0), QStringLiteral("from the menu"));
    window.InitTab(Tab::Groups);
    EXPECT_EQ(groups->tv()->topLevelItemCount(), 1);

    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTabBar* ts = window.ts();
    QTest::mouseClick(ts, Qt::LeftButton, {}, ts->tabRect(3).center());
    ASSERT_EQ(window.currentPage(), Tab::Groups);
    EXPECT_EQ(QApplication::focusWidget(), groups->tv());
    // The tree's Delete wins over the menu's shortcut.
    script.answer(MsgService::Yes);
    QTest::keyClick(groups->tv(), Qt::Key_Delete);
    EXPECT_EQ(groups->tv()->topLevelItemCount(), 0);
    window.close();
}

TEST_F(GroupsPage, FinalizeLetsGoOfTheEngine)
{
    project.db->AddGroup(QStringLiteral("a"));
    init();
    init(); // again, as after another project was opened
    page.Finalize();
    project.db->AddGroup(QStringLiteral("b"));
    emit project.db->GroupInfoChanged();
    EXPECT_EQ(outline(), QStringList{"a"});
    page.cmdAdd_Click();
    EXPECT_TRUE(services.prompts.empty());
}

TEST_F(GroupsPage, RefusedNamesAreLoggedAndLeaveTheTree)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    init();
    select(a);
    const QString tooLong(300, QLatin1Char('x'));
    services.inputs = {tooLong, tooLong};
    page.cmdAddRoot_Click();
    page.cmdRename_Click();
    EXPECT_EQ(outline(), QStringList{"a"});
    EXPECT_EQ(nameOf(a), QStringLiteral("a"));
    ASSERT_EQ(services.log.size(), 2u);
    EXPECT_EQ(services.log[0].source, QStringLiteral("ucGroups.cmdAddRoot_Click"));
    EXPECT_EQ(services.log[0].level, 4);
    EXPECT_EQ(services.log[1].source, QStringLiteral("ucGroups.cmdRename_Click"));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(GroupsPage, AMovedGroupStandsWhereTheTreeFilledAfreshShowsIt)
{
    // 1 a, 2 b under a, 3 c under b, 4 d, 5 e under d, 6 f
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"), a);
    project.db->AddGroup(QStringLiteral("c"), b);
    const int d = project.db->AddGroup(QStringLiteral("d"));
    const int e = project.db->AddGroup(QStringLiteral("e"), d);
    const int f = project.db->AddGroup(QStringLiteral("f"));
    struct Case {
        int group;
        int newParent; // 0: Move To Root
    };
    const Case cases[] = {{b, 0}, {b, d}, {a, f}, {a, 0}, {e, 0}, {f, e}, {f, 0}, {e, d}};
    init();
    for (const Case& c : cases) {
        select(c.group);
        if (c.newParent == 0) {
            page.mnuMoveGroupToRoot_Click();
        } else {
            services.onDialog = [&](QDialog& dialog) {
                auto& picker = static_cast<FMoveToGroup&>(dialog);
                GroupTree::select(*picker.tv(),
                                  GroupTree::find(*picker.tv(), GroupTree::keyOf(c.newParent)));
                picker.cmdOK()->click();
            };
            page.mnuMoveGroup_Click();
        }
        // What the group picker shows, collapsed as the page's tree is.
        QTreeWidget fresh;
        MMisc::FillGroupTree(nullptr, project.db->GetGroups(nullptr), fresh, false, false, 0);
        EXPECT_EQ(outline(), outlineOf(fresh)) << c.group << " to " << c.newParent;
        EXPECT_EQ(selectedId(), c.group);
    }
}

TEST_F(GroupsPage, TheFramedGroupIsTheOneShownAndActedOn)
{
    const int a = project.db->AddGroup(QStringLiteral("a"));
    const int b = project.db->AddGroup(QStringLiteral("b"));
    const int c = project.db->AddGroup(QStringLiteral("c"));
    keyword(QStringLiteral("in a"), a);
    keyword(QStringLiteral("in c"), c);
    init();
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    // A deleted group hands the frame to a neighbour, which is selected and shown.
    select(b);
    services.msgAnswers = {KWServices::Yes};
    page.cmdRemove_Click();
    ASSERT_EQ(node(b), nullptr);
    ASSERT_NE(page.tv()->currentItem(), nullptr);
    const int framed = GroupTree::tag(page.tv()->currentItem());
    EXPECT_EQ(page.tv()->selectedItems(), QList<QTreeWidgetItem*>{node(framed)});
    EXPECT_EQ(page.KWs()->GroupId(), framed);
    EXPECT_EQ(shown(), QStringList{framed == a ? "in a" : "in c"});

    // Ctrl+click takes the selection away and leaves the frame: F2 renames the framed group.
    page.tv()->setFocus();
    const QPoint at = page.tv()->visualItemRect(node(c)).center();
    QTest::mouseClick(page.tv()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseClick(page.tv()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    ASSERT_TRUE(page.tv()->selectedItems().isEmpty());
    EXPECT_EQ(shown(), QStringList{"in c"});
    services.inputs = {QStringLiteral("renamed")};
    QTest::keyClick(page.tv(), Qt::Key_F2);
    EXPECT_EQ(nameOf(c), QStringLiteral("renamed"));

    // The tree taking the focus again picks the framed group.
    page.KWs()->lv()->setFocus();
    page.tv()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(page.tv()->selectedItems(), QList<QTreeWidgetItem*>{node(c)});
}
