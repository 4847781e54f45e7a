#include <QAction>
#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/collect/CollectCommands.h"
#include "app/collect/MainWindowKWOwner.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/FMain.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "app/shell/ucHelp.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "tests/app/collect/CollectFixture.h"
#include "tests/app/shell/ShellTestPage.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/OnModal.h"
#include "tests/support/TestSupport.h"

namespace {

// The main window on its default project, with pages that record their refreshes.
struct Window {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    ShellTestPage* pages[FMain::kPageCount + 1] = {};

    Window()
    {
        wiring.wire(window);
        window.setPageFactory([this](int number, QWidget* parent) -> QWidget* {
            if (number == 1)
                return new ucHelp(parent);
            pages[number] = new ShellTestPage(parent);
            return pages[number];
        });
        auto log = std::make_shared<zentrel::CLog>();
        log->Open(home.file("full.log"), home.file("short.log"));
        window.setLog(log);
        loaded = window.Form_Load();
    }
    ~Window() { window.close(); }

    int refreshes(int page) const { return static_cast<int>(pages[page]->calls.count("Refresh")); }
    QStringList keywords() const
    {
        QStringList all;
        auto rows = window.database()->ProjectDB()->query("SELECT KW FROM Keyword");
        while (rows.next())
            all << rows.text(0);
        return all;
    }

    bool loaded = false;
};

} // namespace

TEST(CollectCommands, TheAddMenuStoresAKeywordAndRefreshesTheCandidates)
{
    MMain::DefaultSetRank = false;
    Window w;
    ASSERT_TRUE(w.loaded);
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        dialog->setText("first keyword");
        dialog->accept();
    });
    w.window.menuItem("mnuAddKeywords")->trigger();
    EXPECT_EQ(w.keywords(), QStringList{"first keyword"});
    EXPECT_EQ(w.refreshes(Tab::Raw), 1);
    EXPECT_EQ(w.refreshes(Tab::KWs), 0);
}

TEST(CollectCommands, EveryCollectionMenuAndPageCommandAnswers)
{
    Window w;
    ASSERT_TRUE(w.loaded);
    QApplication::clipboard()->clear();
    w.window.menuItem("mnuPaste")->trigger();
    w.window.menuItem("mnuImportKeywords")->trigger();
    w.window.menuItem("mnuPickFromLocalPage")->trigger();
    // The keyword pages reach the same commands through the window.
    MainWindowKWOwner owner(&w.window);
    owner.Collect("PasteKWs");
    const auto& shown = w.script.shown();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown.at(0).prompt, StringTable::text(103));
    EXPECT_EQ(shown.at(1).title, "Import Keywords");
    EXPECT_EQ(shown.at(2).title, "Import Keywords from Local Page");
    EXPECT_EQ(shown.at(3).prompt, StringTable::text(103));
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) { dialog->reject(); });
    owner.Collect("AddKeywords");
    EXPECT_EQ(w.refreshes(Tab::Raw), 1);
}

TEST(CollectCommands, OnlyCollectionMenusAreTaken)
{
    for (const char* menu :
         {"mnuPaste", "mnuAddKeywords", "mnuImportKeywords", "mnuPickFromLocalPage"})
        EXPECT_TRUE(CollectCommands::Handles(menu)) << menu;
    for (const char* menu : {"mnuAskQuestion", "mnuAbout", ""})
        EXPECT_FALSE(CollectCommands::Handles(menu)) << menu;
}
