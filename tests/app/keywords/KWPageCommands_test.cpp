#include <gtest/gtest.h>

#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageCommands.h"
#include "app/shell/Tab.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/app/keywords/KWTestDoubles.h"

namespace {

TEST(KWPageCommands, RankRefreshesTheTabsItTouches)
{
    struct Case {
        KWPageType page;
        int relevancy;
        std::vector<int> tabs;
    };
    const Case cases[] = {
        {KWPageType::Candidates, 0, {Tab::Raw, Tab::Banned}},
        {KWPageType::Candidates, 3, {Tab::Raw, Tab::KWs, Tab::Groups}},
        {KWPageType::Keywords, 0, {Tab::KWs, Tab::Groups, Tab::Banned}},
        {KWPageType::Keywords, 5, {Tab::KWs, Tab::Groups}},
        {KWPageType::Group, 0, {Tab::KWs, Tab::Groups, Tab::Banned}},
        {KWPageType::Banned, 0, {Tab::Banned}},
        {KWPageType::Banned, 1, {Tab::KWs, Tab::Groups, Tab::Banned}},
    };
    for (const Case& c : cases) {
        kwtest::Project project;
        kwtest::ScriptedServices services;
        kwtest::PagesOwner owner;
        const int id = project.add(QStringLiteral("blue widgets"), 100, -1);
        KWGridModel rows(nullptr);
        KWPageCommands commands(&rows);
        commands.init(project.store.get(), &services, &owner);
        commands.setPageType(c.page);
        commands.Rank({id}, c.relevancy, nullptr);
        EXPECT_EQ(project.relevancyOf(id), c.relevancy);
        EXPECT_EQ(owner.refreshed, c.tabs) << static_cast<int>(c.page) << " " << c.relevancy;
        EXPECT_EQ(services.singleTimeShown,
                  c.page == KWPageType::Candidates && c.relevancy >= 1 ? 1 : 0);
    }
}

TEST(KWPageCommands, DeleteAsksFirstAndRespellKeepsTheWords)
{
    kwtest::Project project;
    kwtest::ScriptedServices services;
    kwtest::PagesOwner owner;
    const int id = project.add(QStringLiteral("blue widgets"), 100, 0);
    KWGridModel rows(nullptr);
    KWPageCommands commands(&rows);
    EXPECT_FALSE(commands.ready());
    commands.init(project.store.get(), &services, &owner);
    commands.setPageType(KWPageType::Banned);
    services.msgAnswers = {KWServices::Cancel, KWServices::OK};
    EXPECT_FALSE(commands.Delete({id}));
    EXPECT_TRUE(project.exists(id));
    EXPECT_FALSE(commands.Delete({}));
    EXPECT_TRUE(commands.Delete({id}));
    EXPECT_FALSE(project.exists(id));
    EXPECT_EQ(owner.refreshed, std::vector<int>{Tab::Banned});

    const int other = project.add(QStringLiteral("red widgets"), 100, 3);
    EXPECT_EQ(KWPageCommands::SwappedWords(QStringLiteral("red widgets")),
              QStringLiteral("widgets red"));
    EXPECT_TRUE(KWPageCommands::SwappedWords(QStringLiteral("cheap red widgets")).isEmpty());
    EXPECT_TRUE(commands.Respell(QStringLiteral("widgets red")));
    EXPECT_EQ(project.textOf(other), QStringLiteral("widgets red"));
}

} // namespace
