#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/shell/FAbout.h"
#include "app/shell/FMain.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/Tab.h"
#include "app/shell/ucHelp.h"
#include "engine/platform/CRegistry.h"
#include "tests/app/shell/ShellTestPage.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

namespace {

// A main window with recording pages (the help page stays real) on a temporary data folder.
struct Shell {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    std::unique_ptr<FMain> window = std::make_unique<FMain>();
    ShellTestPage* pages[FMain::kPageCount + 1] = {};

    explicit Shell(bool load = true)
    {
        wiring.wire(*window);
        window->setPageFactory([this](int number, QWidget* parent) -> QWidget* {
            if (number == 1)
                return new ucHelp(parent);
            pages[number] = new ShellTestPage(parent);
            return pages[number];
        });
        if (load) {
            EXPECT_TRUE(window->Form_Load());
        }
    }

    void clickTab(int number)
    {
        QTabBar* ts = window->ts();
        QTest::mouseClick(ts, Qt::LeftButton, {}, ts->tabRect(number - 1).center());
    }

    bool enabled(const QString& name) const { return window->menuItem(name)->isEnabled(); }
};

void writeUser(const QString& name, const QString& value)
{
    CRegistry().WriteString(CRegistry::kCurrentUser, ProgramSettings::programKey(), name, value);
}

void writeUserLong(const QString& name, int value)
{
    CRegistry().WriteLong(CRegistry::kCurrentUser, ProgramSettings::programKey(), name, value);
}

} // namespace

TEST(FMain, FirstStartCaptionAndPaths)
{
    Shell shell;
    EXPECT_EQ(shell.window->windowTitle(),
              QStringLiteral("Quintara Keywords - First Project (Default Cache)"));
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), ProgramSettings::defaultCacheFile());
    EXPECT_EQ(ProgramSettings::project().value_or(QString()),
              ProgramSettings::defaultProjectFile());
    EXPECT_TRUE(QDir(ProgramSettings::projectFolder()).exists());
}

TEST(FMain, CaptionBaseNames)
{
    EXPECT_EQ(FMain::baseName(QStringLiteral("/p/Project/First Project.vxp")),
              QStringLiteral("First Project"));
    EXPECT_EQ(FMain::baseName(QStringLiteral("C:\\P\\Default Cache.vxc")),
              QStringLiteral("Default Cache"));
    EXPECT_EQ(FMain::baseName(QStringLiteral("/p/noext")), QStringLiteral("noext"));
    EXPECT_EQ(FMain::baseName(QStringLiteral("/p/a.b.vxp")), QStringLiteral("a.b"));
}

TEST(FMain, AWindowGivenNoPagesIsToldAndDoesNotLoad)
{
    testsupport::TempHome home;
    MsgScript script;
    FMain window;
    EXPECT_FALSE(window.Form_Load());
    window.FinalizeEngine();
    ASSERT_EQ(script.shown().size(), 1);
    EXPECT_EQ(script.shown().first().prompt, "The page ucHelp cannot be created. ");
    EXPECT_EQ(window.page(Tab::Help), nullptr);
}

TEST(FMain, SixTabsInOrderWithTheHelpPageOnShow)
{
    Shell shell;
    QTabBar* ts = shell.window->ts();
    ASSERT_EQ(ts->count(), 6);
    const QStringList captions = {"How To", "Candidates", "Keywords",
                                  "Groups", "Banned",     "Downloading"};
    const QStringList keys = {"Help", "Raw", "KWs", "Groups", "Banned", "Downloading"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ts->tabText(i), captions.at(i));
        EXPECT_EQ(ts->tabData(i).toString(), keys.at(i));
    }
    EXPECT_EQ(shell.window->currentPage(), Tab::Help);
    EXPECT_NE(dynamic_cast<ucHelp*>(shell.window->page(Tab::Help)), nullptr);
    EXPECT_FALSE(shell.window->pageWidget(Tab::Help)->isHidden());
    for (int i = 2; i <= 6; ++i) {
        EXPECT_TRUE(shell.window->pageWidget(i)->isHidden()) << i;
        EXPECT_EQ(shell.pages[i]->calls, QStringList{"init"}) << i;
        EXPECT_EQ(shell.pages[i]->owner, shell.window.get());
    }
    EXPECT_EQ(shell.window->page(QStringLiteral("ucDLoads")), shell.window->page(Tab::Downloading));
    EXPECT_EQ(shell.window->pageWidget(Tab::Raw)->objectName(), QStringLiteral("ucRaw"));
}

TEST(FMain, HelpPageShowsTheProgramsPage)
{
    Shell shell;
    auto* help = dynamic_cast<ucHelp*>(shell.window->page(Tab::Help));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->wb()->toPlainText().contains(QStringLiteral("How it works")));
    EXPECT_TRUE(help->wb()->toPlainText().contains(QStringLiteral("Quintara Keywords 4.11")));
    help->init(nullptr, nullptr, nullptr); // repeated init does nothing
    help->init(nullptr, nullptr, nullptr);
    EXPECT_TRUE(help->wb()->toPlainText().contains(QStringLiteral("How it works")));
}

TEST(FMain, MenusEnabledPerPage)
{
    Shell shell;
    struct Case {
        int page;
        bool keyword;
        bool group;
    };
    const Case cases[] = {{Tab::Help, false, false},  {Tab::Raw, true, false},
                          {Tab::KWs, true, false},    {Tab::Groups, true, true},
                          {Tab::Banned, true, false}, {Tab::Downloading, false, false}};
    for (const Case& c : cases) {
        shell.clickTab(c.page);
        ASSERT_EQ(shell.window->currentPage(), c.page);
        for (const QString& name : MainMenus::keywordPageItems())
            EXPECT_EQ(shell.enabled(name), c.keyword) << c.page << name.toStdString();
        for (const QString& name : MainMenus::groupPageItems())
            EXPECT_EQ(shell.enabled(name), c.group) << c.page << name.toStdString();
        for (const char* always : {"mnuNewProject", "mnuNewGroup", "mnuNewGroupToRoot", "mnuPaste",
                                   "mnuAddKeywords", "mnuOpenSEforCustomKW_3"})
            EXPECT_TRUE(shell.enabled(QString::fromLatin1(always))) << c.page << always;
        for (int i = 1; i <= 6; ++i)
            EXPECT_EQ(shell.window->pageWidget(i)->isHidden(), i != c.page);
    }
}

TEST(FMain, UnknownTabKeyHidesEveryPage)
{
    Shell shell;
    shell.window->ts()->setTabData(2, QStringLiteral("kws"));
    shell.clickTab(Tab::KWs);
    EXPECT_EQ(shell.window->currentPage(), Tab::None);
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(shell.window->pageWidget(i)->isHidden());
    EXPECT_FALSE(shell.enabled(QStringLiteral("mnuCopy")));
    EXPECT_FALSE(shell.enabled(QStringLiteral("mnuRenameGroup")));
}

TEST(FMain, MenuItemsAndSearchEngines)
{
    Shell shell;
    const QStringList names = {"&Google",   "&All The Web", "A&ltavista", "&Yahoo",
                               "&Overture", "&Teoma",       "&MSN Search"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(shell.window->menuItem(MainMenus::arrayName("mnuOpenSEforKW", i))->text(),
                  names.at(i));
        EXPECT_EQ(shell.window->menuItem(MainMenus::arrayName("mnuOpenSEforCustomKW", i))->text(),
                  names.at(i));
    }
    EXPECT_EQ(shell.window->menuItem("mnuNewProject")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(shell.window->menuItem("mnuFindNext")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(shell.window->menuItem("mnuCopy")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(shell.window->menuItem("mnuExportTop_3")->text(), QStringLiteral("Top 1&00..."));
    EXPECT_EQ(shell.window->menuItem("mnuPauseAutoResearch")->text(),
              QStringLiteral("&Pause Auto Keyword Research"));
}

TEST(FMain, DispatchGoesToTheRightPage)
{
    Shell shell;
    shell.clickTab(Tab::Raw);
    shell.window->menuItem("mnuNewGroup")->trigger();
    shell.window->menuItem("mnuNewGroupToRoot")->trigger();
    EXPECT_EQ(shell.pages[4]->calls.mid(1),
              (QStringList{"CS_MENU_NEW_GROUP:0", "CS_MENU_NEW_GROUP_TO_ROOT:0"}));
    EXPECT_TRUE(shell.window->pageWidget(Tab::Groups)->isHidden());

    shell.window->menuItem("mnuOpenSEforCustomKW_5")->trigger();
    EXPECT_EQ(shell.pages[3]->calls.mid(1), QStringList{"CS_MENU_OPEN_SER_FOR_CUSTOM_KW:5"});

    shell.window->menuItem("mnuExportTop_2")->trigger();
    shell.window->menuItem("mnuOpenSEforKW_6")->trigger();
    shell.window->menuItem("mnuCopy")->trigger();
    shell.window->menuItem("mnuAddKeywordsToGroup")->trigger();
    EXPECT_EQ(shell.pages[2]->calls.mid(1),
              (QStringList{"CS_MENU_EXPORT_TOP:2", "CS_MENU_OPEN_SER_FOR_KW:6", "CS_MENU_COPY:0",
                           "CS_MENU_ADD_KWS_TO_GROUP:0"}));

    shell.clickTab(Tab::Groups);
    for (const char* name :
         {"mnuMoveGroup", "mnuMoveGroupToRoot", "mnuRenameGroup", "mnuMoveKeywordsToGroup",
          "mnuDelete", "mnuFind", "mnuFindNext", "mnuSelect", "mnuExportAll", "mnuExportSelected",
          "mnuCollectBySelectedKeyword"})
        shell.window->menuItem(name)->trigger();
    EXPECT_EQ(shell.pages[4]->calls.mid(3),
              (QStringList{"CS_MENU_MOVE_GROUP:0", "CS_MENU_MOVE_GROUP_TO_ROOT:0",
                           "CS_MENU_RENAME_GROUP:0", "CS_MENU_MOVE_KWS_TO_GROUP:0",
                           "CS_MENU_DELETE:0", "CS_MENU_FIND:0", "CS_MENU_FIND_NEXT:0",
                           "CS_MENU_SELECT:0", "CS_MENU_EXPORT_ALL:0", "CS_MENU_EXPORT_SELECTED:0",
                           "CS_MENU_COLLECT_BY_SELECTED_KEYWORD:0"}));

    shell.clickTab(Tab::Downloading);
    shell.window->DispatchMenuEvent(QStringLiteral("CS_MENU_COPY"), 0);
    EXPECT_EQ(shell.pages[6]->calls.mid(1), QStringList{"CS_MENU_COPY:0"});
}

TEST(FMain, CtrlTabWrapsRound)
{
    Shell shell;
    shell.window->show();
    QApplication::setActiveWindow(shell.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window.get()));

    QTest::keyClick(shell.window.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shell.window->currentPage(), Tab::Downloading);
    EXPECT_EQ(shell.window->ts()->currentIndex(), 5);
    QTest::keyClick(shell.window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(shell.window->currentPage(), Tab::Help);
    QTest::keyClick(shell.window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(shell.window->currentPage(), Tab::Raw);
    EXPECT_FALSE(shell.window->pageWidget(Tab::Raw)->isHidden());
    EXPECT_TRUE(shell.enabled(QStringLiteral("mnuCopy")));
}

TEST(FMain, StatusPanels)
{
    Shell shell;
    shell.window->show();
    QTest::mouseClick(shell.window->panel(1), Qt::LeftButton);
    EXPECT_EQ(shell.window->currentPage(), Tab::Raw);
    EXPECT_EQ(shell.window->ts()->currentIndex(), 1);
    QTest::mouseClick(shell.window->panel(2), Qt::LeftButton);
    EXPECT_EQ(shell.window->currentPage(), Tab::Downloading);
    QTest::mouseClick(shell.window->panel(3), Qt::LeftButton);
    EXPECT_EQ(shell.window->currentPage(), Tab::Downloading);

    // Panel 3 starts empty; its picture is kept for the downloads page.
    EXPECT_TRUE(shell.window->panel(3)->picture().isNull());
    EXPECT_FALSE(shell.window->WarningPicture.isNull());

    shell.script.clear();
    QTest::mouseDClick(shell.window->panel(1), Qt::LeftButton);
    ASSERT_FALSE(shell.script.shown(MsgService::Kind::OpenFile).isEmpty());
    EXPECT_EQ(shell.script.shown(MsgService::Kind::OpenFile).first().title,
              QStringLiteral("Open Project"));
}

TEST(FMain, RankModeFromSettings)
{
    struct Case {
        const char* stored;
        bool advanced;
    };
    for (const Case c : {Case{"ADVANCED", true}, Case{"Simple", false}, Case{"adv", false}}) {
        Shell shell(false);
        writeUser(QStringLiteral("Set Rank Mode"), QString::fromLatin1(c.stored));
        ASSERT_TRUE(shell.window->Form_Load());
        shell.window->show();
        EXPECT_EQ(shell.window->advancedRankMode(), c.advanced) << c.stored;
        EXPECT_EQ(shell.pages[3]->calls.last(), c.advanced ? "advanced" : "simple");
        shell.window->close();
        QString saved;
        CRegistry().ReadString(CRegistry::kCurrentUser, ProgramSettings::programKey(),
                               "Set Rank Mode", saved);
        EXPECT_EQ(saved, c.advanced ? "Advanced" : "Simple");
        EXPECT_TRUE(shell.pages[5]->calls.contains("Finalize"));
    }
}

TEST(FMain, PlacementRoundTripsWithoutCreeping)
{
    testsupport::TempHome home;
    MsgScript script;
    QRect first;
    for (int run = 0; run < 3; ++run) {
        ProgramWiring wiring;
        FMain window;
        wiring.wire(window);
        ASSERT_TRUE(window.Form_Load());
        window.show();
        if (run == 0)
            window.setGeometry(120, 90, 700, 560);
        QCoreApplication::processEvents();
        if (run == 0)
            first = window.geometry();
        else
            EXPECT_EQ(window.geometry(), first) << run;
        window.close();
    }
    qint32 width = 0;
    CRegistry().ReadLong(CRegistry::kCurrentUser, ProgramSettings::programKey(), "Window.Width",
                         width);
    EXPECT_EQ(width, first.width() * 1440 /
                         qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
}

TEST(FMain, PlacementValuesOfZeroAreNotApplied)
{
    testsupport::TempHome home;
    MsgScript script;
    writeUserLong("Window.Left", 0);
    writeUserLong("Window.Top", 1500);
    writeUserLong("Window.Width", 9000);
    writeUserLong("Window.Height", 8000);
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    window.show();
    QCoreApplication::processEvents();
    const int tpp = 1440 / qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    EXPECT_EQ(window.geometry().top(), 1500 / tpp);
    EXPECT_NE(window.geometry().left(), 0); // left where the desktop put it
    EXPECT_EQ(window.geometry().width(), 9000 / tpp);
    EXPECT_EQ(window.geometry().height(), 8000 / tpp);
    QString firstStart;
    EXPECT_TRUE(CRegistry().ReadString(CRegistry::kCurrentUser, ProgramSettings::programKey(),
                                       "First Start", firstStart));
}

TEST(FMain, MinimumSize)
{
    Shell shell;
    const int tpp = 1440 / qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    EXPECT_EQ(shell.window->minimumSize(), QSize(6540 / tpp, 7065 / tpp));
}

namespace {

// Points QUINTARA_BROWSER at a script that appends its arguments to a file.
struct BrowserRecorder {
    QTemporaryDir dir;
    QString output = dir.filePath("opened.txt");
    QByteArray previous = qgetenv("QUINTARA_BROWSER");

    BrowserRecorder()
    {
        const QString script = dir.filePath("browser.sh");
        QFile file(script);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" + output.toUtf8() + "\"\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("QUINTARA_BROWSER", script.toUtf8());
    }
    ~BrowserRecorder() { qputenv("QUINTARA_BROWSER", previous); }

    QStringList opened() const
    {
        QFile file(output);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
};

} // namespace

TEST(FMain, WebLinksGoToTheBrowser)
{
    Shell shell;
    BrowserRecorder browser;
    shell.window->menuItem("mnuVisitWebSite")->trigger();
    ASSERT_TRUE(testsupport::waitUntil([&] { return browser.opened().size() == 1; }));
    EXPECT_EQ(browser.opened().first(),
              QStringLiteral("http://www.brovantsoftware.com/quintara-keywords.htm"));

    shell.window->menuItem("mnuReadUsersManual")->trigger();
    ASSERT_TRUE(testsupport::waitUntil([&] { return browser.opened().size() == 2; }));
    const QString guide = browser.opened().at(1);
    EXPECT_TRUE(guide.startsWith(QStringLiteral("file://")));
    EXPECT_TRUE(guide.endsWith(QStringLiteral("/quintara-keywords-users-guide.htm")));
    const QString path = QUrl(guide).toLocalFile();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(QFileInfo(path).dir().filePath("ug6.gif")));
}

TEST(FAbout, TextAndLinks)
{
    BrowserRecorder browser;
    FAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quintara Keywords"));
    const QStringList lines = about.lblName()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.at(0), QStringLiteral("Quintara Keywords Version 4.11"));
    EXPECT_TRUE(lines.at(1).isEmpty());
    EXPECT_FALSE(lines.at(2).isEmpty());
    EXPECT_TRUE(lines.at(4).isEmpty());
    EXPECT_EQ(about.lblName()->textFormat(), Qt::PlainText);

    about.show();
    QTest::mouseClick(about.lblVisitBRVSoft(), Qt::RightButton);
    QTest::mouseClick(about.lblVisitBRVSoft(), Qt::LeftButton);
    QTest::mouseDClick(about.Image1(), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return browser.opened().size() == 2; }));
    EXPECT_EQ(browser.opened(),
              (QStringList{"http://www.brovantsoftware.com",
                           "http://www.brovantsoftware.com/quintara-keywords-beta-tester.htm"}));

    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.show();
    EXPECT_EQ(about.lblName()->text().split(QStringLiteral("\r\n")).first(),
              QStringLiteral("Quintara Keywords Version 4.11"));
    about.cmdOK()->click();
    EXPECT_FALSE(about.isVisible());
}

TEST(FMainCommands, NewProjectOnAnExistingFileAsksAndCancelKeepsIt)
{
    Shell shell;
    const QString existing = shell.home.file("Project/Other.vxp");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    shell.script.clear();
    shell.script.file(existing);
    shell.script.answer(MsgService::Cancel);
    shell.window->menuItem("mnuNewProject")->trigger();
    const auto files = shell.script.shown(MsgService::Kind::OpenFile);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().title, QStringLiteral("File New Project"));
    EXPECT_EQ(files.first().filter, QStringLiteral("Project (*.vxp)|*.vxp"));
    EXPECT_EQ(files.first().folder, ProgramSettings::projectFolder());
    const auto messages = shell.script.shown(MsgService::Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first().prompt,
              QStringLiteral("File '") + existing +
                  QStringLiteral("' already exists. Are you sure you want overwrite it? "));
    EXPECT_EQ(messages.first().style, 49);
    EXPECT_TRUE(QFile::exists(existing));
    EXPECT_EQ(shell.window->currentProjectFileName(), ProgramSettings::defaultProjectFile());
}

TEST(FMainCommands, CancelledDialogsDoNothing)
{
    Shell shell;
    shell.script.clear();
    shell.window->menuItem("mnuNewProject")->trigger();
    shell.window->menuItem("mnuOpenProject")->trigger();
    shell.window->menuItem("mnuConnecttoCache")->trigger();
    EXPECT_EQ(shell.script.shown(MsgService::Kind::OpenFile).size(), 3);
    EXPECT_TRUE(shell.script.shown(MsgService::Kind::Message).isEmpty());
    EXPECT_EQ(shell.script.shown(MsgService::Kind::OpenFile).at(2).title,
              QStringLiteral("Select Keywords Database"));
    EXPECT_EQ(shell.script.shown(MsgService::Kind::OpenFile).at(2).filter,
              QStringLiteral("Keywords Database (*.vxc)|*.vxc"));
}

TEST(FMainCommands, OpenProjectOfAMissingFile)
{
    Shell shell;
    const QString missing = shell.home.file("Project/Missing.vxp");
    shell.script.clear();
    shell.script.file(missing);
    shell.window->menuItem("mnuOpenProject")->trigger();
    ASSERT_EQ(shell.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_EQ(shell.script.shown(MsgService::Kind::Message).first().prompt,
              QStringLiteral("File '") + missing + QStringLiteral("' not found. "));
    EXPECT_EQ(shell.script.shown(MsgService::Kind::Message).first().style, 48);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(shell.window->currentProjectFileName(), ProgramSettings::defaultProjectFile());
}

TEST(FMainCommands, ConnectToAMissingDatabaseCancelled)
{
    Shell shell;
    const QString missing = shell.home.file("Project/New.vxc");
    shell.script.clear();
    shell.script.file(missing);
    shell.script.answer(MsgService::Cancel);
    shell.window->menuItem("mnuConnecttoCache")->trigger();
    ASSERT_EQ(shell.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_EQ(shell.script.shown(MsgService::Kind::Message).first().prompt,
              QStringLiteral("File '") + missing +
                  QStringLiteral("' not found. Do you want to create a new keywords database? "));
    EXPECT_EQ(shell.window->cacheFileName(), ProgramSettings::defaultCacheFile());
}

TEST(FMainCommands, PauseTwiceRestoresTheCaption)
{
    Shell shell;
    QAction* pause = shell.window->menuItem("mnuPauseAutoResearch");
    pause->trigger();
    EXPECT_EQ(pause->text(), QStringLiteral("&Resume Auto Keyword Research"));
    pause->trigger();
    EXPECT_EQ(pause->text(), QStringLiteral("&Pause Auto Keyword Research"));
}

TEST(FMainCommands, RefreshSearchesCounts)
{
    Shell shell;
    shell.script.clear();
    shell.window->menuItem("mnuRefreshSearchesCounts")->trigger(); // Cancel
    ASSERT_EQ(shell.script.prompts(),
              QStringList{"Are you sure you want to refresh searches counts?"});
    EXPECT_EQ(shell.pages[2]->calls, QStringList{"init"});

    shell.script.clear();
    shell.script.answer(MsgService::OK);
    shell.window->menuItem("mnuRefreshSearchesCounts")->trigger();
    EXPECT_EQ(shell.script.prompts(),
              (QStringList{"Are you sure you want to refresh searches counts?",
                           "Searches counts are cleaned up sucessfully."}));
    EXPECT_EQ(shell.script.shown().at(1).style, 64);
    for (int i = 2; i <= 5; ++i)
        EXPECT_EQ(shell.pages[i]->calls.last(), QStringLiteral("Refresh")) << i;
}
