#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/ProgramWiring.h"
#include "app/keywords/FExportParams.h"
#include "app/keywords/FReorderWords.h"
#include "app/keywords/FReorderWordsL.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageHost.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/app/keywords/KWTestDoubles.h"
#include "tests/support/TestSupport.h"

namespace {

using kwtest::MemoryStore;
using kwtest::PagesOwner;
using kwtest::ScriptedServices;

// The three pages of the main window on one store.
class PagesTest : public testing::Test {
protected:
    kwtest::Project project;
    KWStore& store = *project.store;
    ScriptedServices services;
    PagesOwner owner;
    QTemporaryDir dir;
    QWidget window;
    ucKW* raw = new ucKW(&window);
    ucKW* kws = new ucKW(&window);
    ucKW* banned = new ucKW(&window);

    void SetUp() override
    {
        services.tempFolder = dir.path();
        raw->setPageType(0);
        kws->setPageType(2);
        banned->setPageType(3);
        owner.tabs = {{2, raw}, {3, kws}, {5, banned}};
        window.resize(800, 600);
        for (ucKW* page : {raw, kws, banned})
            page->resize(700, 500);
    }
    void initAll()
    {
        for (ucKW* page : {raw, kws, banned})
            page->init(&store, &services, &owner);
    }
    static QStringList keywords(const ucKW* page)
    {
        QStringList list;
        for (int r = 0; r < page->model()->rowCount(); ++r)
            list << page->model()->rowAt(r).keyword;
        return list;
    }
    static QStringList selected(const ucKW* page)
    {
        QStringList list;
        for (const int row : page->selectedRows())
            list << page->model()->rowAt(row).keyword;
        return list;
    }
    static void selectKeywords(ucKW* page, const QStringList& kws)
    {
        QList<int> rows;
        for (int r = 0; r < page->model()->rowCount(); ++r)
            if (kws.contains(page->model()->rowAt(r).keyword))
                rows << r;
        page->selectRows(rows);
        if (!rows.isEmpty())
            page->lv()->selectionModel()->setCurrentIndex(page->model()->index(rows.first(), 0),
                                                          QItemSelectionModel::NoUpdate);
    }
    static QString readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

TEST_F(PagesTest, TotalsHintsAndCaps)
{
    initAll();
    EXPECT_EQ(raw->lblRawDescription()->text(), StringTable::text(186));
    EXPECT_EQ(owner.panel1Text, QStringLiteral("Awaiting for rank: 0 keyword(s)"));
    EXPECT_EQ(owner.panel1.cacheKey(), owner.saved.cacheKey());
    EXPECT_EQ(raw->lblTotal()->text(), QStringLiteral("Total: 0 keyword(s). "));

    for (int i = 0; i < 3; ++i)
        project.add(QStringLiteral("candidate %1").arg(i), i * 100, -1);
    raw->Refresh();
    EXPECT_EQ(raw->lblRawDescription()->text(), StringTable::text(187));
    EXPECT_EQ(owner.panel1Text, QStringLiteral("Awaiting for rank: 3 keyword(s)"));
    EXPECT_EQ(owner.panel1.cacheKey(), owner.attention.cacheKey());
    for (int i = 3; i < 50; ++i)
        project.add(QStringLiteral("candidate %1").arg(i), i, -1);
    raw->Refresh();
    EXPECT_EQ(raw->lblRawDescription()->text(), StringTable::text(185));

    for (int i = 0; i < 1005; ++i)
        project.add(QStringLiteral("banned %1").arg(i), i, 0);
    banned->Refresh();
    EXPECT_EQ(banned->RowCap(), 1000);
    EXPECT_EQ(banned->model()->rowCount(), 1000);
    EXPECT_EQ(banned->lblTotal()->text(), QStringLiteral("Total: >1000 keywords. "));
    EXPECT_EQ(kws->RowCap(), 32000);

    ucKW unused;
    unused.setPageType(1);
    unused.init(&store, &services, &owner);
    EXPECT_EQ(unused.model()->rowCount(), 0);
    EXPECT_EQ(ucKW::PageTypeToTab(1), 0);
}

TEST_F(PagesTest, RefreshInPlaceKeepsTheSelection)
{
    const int a = project.add(QStringLiteral("alpha"), 900, 2);
    project.add(QStringLiteral("beta"), 300, 2);
    const int c = project.add(QStringLiteral("gamma"), 30, 2);
    initAll();
    selectKeywords(kws, {"alpha", "gamma"});
    project.setSearches(c, 90000); // gamma's score changes: it moves up
    project.setSearches(a, 901);   // alpha's score text stays
    kws->Refresh();
    EXPECT_EQ(keywords(kws), (QStringList{"gamma", "alpha", "beta"}));
    EXPECT_EQ(selected(kws), (QStringList{"gamma", "alpha"}));
    EXPECT_EQ(kws->model()->index(1, KWGridModel::Searches).data().toString(),
              QStringLiteral("30.0"));
}

TEST_F(PagesTest, RankingMovesKeywordsBetweenPages)
{
    for (const char* kw : {"soft toys", "soft blue toys", "hard toys", "toy shop"})
        project.add(QString::fromLatin1(kw), 100, -1);
    initAll();
    ASSERT_EQ(raw->model()->rowCount(), 4);
    selectKeywords(raw, {"soft toys", "hard toys", "toy shop"});
    raw->lv()->setFocus();
    owner.refreshed.clear();
    services.singleTimeAnswers = {false};
    QTest::keyClick(raw->lv(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(owner.refreshed, (std::vector<int>{Tab::Raw, Tab::KWs, Tab::Groups}));
    EXPECT_EQ(keywords(raw), QStringList{"soft blue toys"});
    EXPECT_EQ(keywords(kws).size(), 3);
    EXPECT_EQ(kws->model()->index(0, KWGridModel::Relevancy).data().toString(),
              QStringLiteral("More or Less"));
    EXPECT_EQ(services.singleTimeShown, 1);
    EXPECT_EQ(services.lastSingleTime, StringTable::text(137));

    // Not ticked: shown again; ticked: stored, and never again.
    project.add(QStringLiteral("next"), 5, -1);
    raw->Refresh();
    selectKeywords(raw, {"next"});
    services.singleTimeAnswers = {true};
    raw->cmdRank_Click(4);
    EXPECT_EQ(services.singleTimeShown, 2);
    EXPECT_EQ(services.settings[KWServices::ProgramKey() +
                                QStringLiteral("Do not show Keywords Moved message")],
              QStringLiteral("-1"));
    selectKeywords(raw, {"soft blue toys"});
    raw->cmdRank_Click(5);
    EXPECT_EQ(services.singleTimeShown, 2);
    ucKW later; // a later run reads the stored choice
    later.setPageType(0);
    project.add(QStringLiteral("later"), 5, -1);
    later.init(&store, &services, &owner);
    selectKeywords(&later, {"later"});
    later.cmdRank_Click(2);
    EXPECT_EQ(services.singleTimeShown, 2);

    // Ban from the kept page, then take back from the banned page.
    selectKeywords(kws, {"hard toys"});
    owner.refreshed.clear();
    kws->cmdRank_Click(0);
    EXPECT_EQ(owner.refreshed, (std::vector<int>{Tab::KWs, Tab::Groups, Tab::Banned}));
    EXPECT_EQ(keywords(banned), QStringList{"hard toys"});
    selectKeywords(banned, {"hard toys"});
    owner.refreshed.clear();
    banned->cmdRank_Click(1);
    EXPECT_EQ(owner.refreshed, (std::vector<int>{Tab::KWs, Tab::Groups, Tab::Banned}));
    EXPECT_TRUE(keywords(banned).isEmpty());

    // Insert takes the selection, as the simple mode's caption says.
    const int inserted = project.add(QStringLiteral("inserted"), 5, -1);
    raw->Refresh();
    selectKeywords(raw, {"inserted"});
    QTest::keyClick(raw->lv(), Qt::Key_Insert);
    EXPECT_EQ(project.relevancyOf(inserted), 4);
    EXPECT_TRUE(keywords(kws).contains(QStringLiteral("inserted")));
}

TEST_F(PagesTest, TheGridsKeysWinOverTheMenuShortcuts)
{
    QMainWindow main;
    QMenu* edit = main.menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* del = edit->addAction(QStringLiteral("&Delete"));
    del->setShortcut(QKeySequence(Qt::Key_Delete));
    QAction* find = edit->addAction(QStringLiteral("&Find..."));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QSignalSpy deletes(del, &QAction::triggered);
    QSignalSpy finds(find, &QAction::triggered);
    auto* page = new ucKW;
    page->setPageType(2);
    main.setCentralWidget(page);
    project.add(QStringLiteral("kept one"), 10, 3);
    project.add(QStringLiteral("kept two"), 20, 3);
    owner.tabs = {{3, page}, {5, banned}};
    page->init(&store, &services, &owner);
    banned->init(&store, &services, &owner);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.activateWindow();
    page->lv()->setFocus();
    selectKeywords(page, {"kept one"});
    QTest::keyClick(page->lv(), Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 0);
    EXPECT_TRUE(services.messages.empty()); // no delete question: Delete bans here
    EXPECT_EQ(keywords(page), QStringList{"kept two"});
    EXPECT_EQ(keywords(banned), QStringList{"kept one"});

    services.inputs = {QStringLiteral("two")};
    QTest::keyClick(page->lv(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(finds.count(), 0);
    EXPECT_EQ(services.prompts.size(), 1u);
    EXPECT_EQ(selected(page), QStringList{"kept two"});

    // Elsewhere on the page its keys still run once.
    page->cmdAdd()->setFocus();
    services.inputs = {QStringLiteral("one")};
    QTest::keyClick(page->cmdAdd(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(finds.count(), 0);
    EXPECT_EQ(services.prompts.size(), 2u);

    // Delete on the banned page asks and deletes.
    selectKeywords(banned, {"kept one"});
    banned->lv()->setFocus();
    services.msgAnswers = {KWServices::Cancel, KWServices::OK};
    QTest::keyClick(banned->lv(), Qt::Key_Delete);
    EXPECT_EQ(keywords(banned), QStringList{"kept one"});
    QTest::keyClick(banned->lv(), Qt::Key_Delete);
    EXPECT_TRUE(keywords(banned).isEmpty());
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].prompt, StringTable::text(129));
    EXPECT_EQ(services.messages[0].style, 49);
    EXPECT_FALSE(project.exists(1));
}

TEST_F(PagesTest, FindFindNextAndSelectByWords)
{
    for (const char* kw : {"soft toys", "hard toys", "soft blue toys", "blue widgets",
                           "widgets in blue", "Soft cushions", "toy shop"})
        project.add(QString::fromLatin1(kw), 100, 2);
    initAll();
    services.inputs = {QStringLiteral("soft")};
    kws->mnuFindKW_Click();
    EXPECT_EQ(selected(kws), QStringList{"soft toys"});
    kws->mnuFindNextKW_Click();
    EXPECT_EQ(selected(kws), QStringList{"soft blue toys"});
    kws->mnuFindNextKW_Click(); // no wrap-around: nothing is selected
    EXPECT_TRUE(selected(kws).isEmpty());
    kws->mnuFindNextKW_Click();
    EXPECT_TRUE(selected(kws).isEmpty());

    services.inputs = {QStringLiteral("SOFT")};
    kws->MenuEvent(QStringLiteral("CS_MENU_FIND"), 0);
    EXPECT_TRUE(selected(kws).isEmpty());

    services.inputs = {QStringLiteral("toy s?op")}; // with a blank: as typed
    kws->mnuFindKW_Click();
    EXPECT_EQ(selected(kws), QStringList{"toy shop"});
    kws->MenuEvent(QStringLiteral("CS_MENU_FIND_NEXT"), 0);
    EXPECT_TRUE(selected(kws).isEmpty());

    services.inputs = {QStringLiteral("[abc")};
    kws->mnuFindKW_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].prompt.startsWith(QStringLiteral("Invalid pattern string")));
    EXPECT_TRUE(services.logged(QStringLiteral("ucKW.mnuFindKW_Click")));

    services.inputs = {QStringLiteral("  widgets  blue ")};
    kws->mnuSelectByWildCard_Click();
    EXPECT_EQ(selected(kws), (QStringList{"blue widgets", "widgets in blue"}));

    services.inputs = {QStringLiteral("a b c d")};
    kws->mnuSelectByWildCard_Click();
    EXPECT_TRUE(selected(kws).isEmpty());
    services.inputs = {QStringLiteral("#")};
    kws->MenuEvent(QStringLiteral("CS_MENU_SELECT"), 0);
    EXPECT_TRUE(selected(kws).isEmpty());
}

TEST_F(PagesTest, ReorderWords)
{
    const int two = project.add(QStringLiteral("blue widgets"), 500, 4);
    const int three = project.add(QStringLiteral("cheap blue widgets"), 400, 4);
    const int five = project.add(QStringLiteral("very cheap blue widgets online"), 300, 4);
    initAll();
    selectKeywords(kws, {"blue widgets"});
    QTest::keyClick(kws->lv(), Qt::Key_F2);
    EXPECT_EQ(project.textOf(two), QStringLiteral("widgets blue"));
    EXPECT_TRUE(keywords(kws).contains(QStringLiteral("widgets blue")));

    services.onDialog = [](QDialog& dialog) {
        auto* picker = qobject_cast<FReorderWords*>(&dialog);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->lv()->topLevelItemCount(), 6);
        picker->lv()->setCurrentItem(picker->lv()->topLevelItem(5));
        picker->accept();
    };
    selectKeywords(kws, {"cheap blue widgets"});
    kws->ReorderWords();
    EXPECT_EQ(project.textOf(three), QStringLiteral("widgets blue cheap"));
    EXPECT_TRUE(keywords(kws).contains(QStringLiteral("widgets blue cheap")));

    services.onDialog = [](QDialog& dialog) {
        auto* mover = qobject_cast<FReorderWordsL*>(&dialog);
        ASSERT_NE(mover, nullptr);
        mover->lv()->setCurrentRow(4);
        mover->MakeFirst();
        mover->accept();
    };
    selectKeywords(kws, {"very cheap blue widgets online"});
    kws->ReorderWords();
    EXPECT_EQ(project.textOf(five), QStringLiteral("online very cheap blue widgets"));
    EXPECT_TRUE(keywords(kws).contains(QStringLiteral("online very cheap blue widgets")));

    services.onDialog = [](QDialog& dialog) { dialog.reject(); };
    kws->ReorderWords();
    EXPECT_EQ(project.textOf(five), QStringLiteral("online very cheap blue widgets"));
}

TEST_F(PagesTest, ExportAllSelectedTopAndWords)
{
    const int low = project.add(QStringLiteral("low"), 30, 1);
    project.add(QStringLiteral("it's \"quoted\", really"), 3000, 5);
    project.add(QStringLiteral("unknown"), -1, 3);
    project.add(QStringLiteral("mid one"), 900, 3);
    project.add(QStringLiteral("mid two"), 900, 3);
    initAll();
    kws->chkHideGrouped()->setChecked(true);
    project.group({low}, project.db->AddGroup(QStringLiteral("grouped"))); // still exported
    kws->Refresh();
    EXPECT_EQ(kws->model()->rowCount(), 4);

    const QString target = dir.filePath(QStringLiteral("all.txt"));
    services.saveAs = target;
    services.failWrites = 1;
    services.msgAnswers = {KWServices::Retry};
    services.onDialog = [](QDialog& dialog) {
        auto& params = static_cast<FExportParams&>(dialog);
        params.chkSearchs()->click();
        params.chkScore()->click();
        params.cboTextQualifier()->setCurrentText(QStringLiteral("\""));
        params.accept();
    };
    kws->MenuEvent(QStringLiteral("CS_MENU_EXPORT_ALL"), 0);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].style, 53);
    EXPECT_TRUE(services.logged(QStringLiteral("ucKW.ExportWords")));
    EXPECT_EQ(readFile(target), QStringLiteral("\"it's \"\"quoted\"\", really\",100.0,7.5\r\n"
                                               "\"mid one\",30.0,5.0\r\n"
                                               "\"mid two\",30.0,5.0\r\n"
                                               "\"low\",1.0,1.5\r\n"
                                               "\"unknown\", ,0.5\r\n"));

    // Top 100 of a short page takes every row in the grid's order.
    QString preview;
    services.onDialog = [&](QDialog& dialog) {
        preview = static_cast<FExportParams&>(dialog).PreviewText();
        dialog.reject();
    };
    kws->mnuExportTop_Click(3);
    EXPECT_EQ(preview.count(QStringLiteral("\r\n")), 4);
    EXPECT_TRUE(preview.startsWith(QStringLiteral("\"it's")));

    // Selected with neither a selected nor a current row opens no dialog.
    preview.clear();
    kws->lv()->selectionModel()->clear();
    kws->mnuExportSelected_Click();
    EXPECT_TRUE(preview.isEmpty());
    selectKeywords(kws, {"mid two"});
    kws->MenuEvent(QStringLiteral("CS_MENU_EXPORT_SELECTED"), 0);
    EXPECT_EQ(preview, QStringLiteral("\"mid two\",30.0,5.0\r\n"));

    kws->mnuContextExportWords_Click();
    EXPECT_EQ(services.prompts.back(), QStringLiteral("Used words: "));
    EXPECT_EQ(services.lastDefault,
              QStringLiteral("mid, it's, \"quoted\",, really, one, two, unknown"));

    // An empty page exports nothing.
    preview = QStringLiteral("untouched");
    raw->mnuExportAll_Click();
    raw->mnuExportTop_Click(0);
    EXPECT_EQ(preview, QStringLiteral("untouched"));
}

TEST_F(PagesTest, DeferredRefreshIsNotPutOffByAStreamOfEvents)
{
    initAll();
    raw->Timer1()->setInterval(300);
    project.add(QStringLiteral("arrived"), 10, -1);
    emit project.db->NewKws(nullptr, nullptr);
    ASSERT_TRUE(raw->Timer1()->isActive());
    EXPECT_FALSE(kws->Timer1()->isActive());
    QTest::qWait(150);
    emit project.db->NewKws(nullptr, nullptr);
    EXPECT_LT(raw->Timer1()->remainingTime(), 200);
    EXPECT_TRUE(testsupport::waitUntil([&] { return raw->model()->rowCount() == 1; }));
    EXPECT_FALSE(raw->Timer1()->isActive());

    // Any other refresh cancels a pending one.
    emit project.db->NewKws(nullptr, nullptr);
    raw->Refresh();
    EXPECT_FALSE(raw->Timer1()->isActive());
}

TEST(ucKW, InitAgainConnectsOnceAndFinalizeDetaches)
{
    MemoryStore store;
    ScriptedServices services;
    PagesOwner owner;
    ucKW raw;
    raw.setPageType(0);
    ucKW kws;
    kws.setPageType(2);
    ucKW banned;
    for (ucKW* page : {&raw, &kws, &banned})
        page->init(&store, &services, &owner);
    kws.init(&store, &services, &owner);
    const int before = store.fetches;
    emit store.NewOvertureCounts();
    EXPECT_EQ(store.fetches - before, 2); // raw and kept once each; the banned page ignores it
    for (ucKW* page : {&raw, &kws, &banned})
        page->Finalize();
    emit store.NewOvertureCounts();
    emit store.NewKws();
    EXPECT_EQ(store.fetches - before, 2);
    EXPECT_FALSE(raw.Timer1()->isActive());
}

TEST_F(PagesTest, CommandsThatNeedAFocusedRow)
{
    project.add(QStringLiteral("blue widgets"), 10, 2);
    initAll();
    kws->lv()->selectionModel()->clearCurrentIndex();
    kws->MenuEvent(QStringLiteral("CS_MENU_COPY"), 0);
    kws->MenuEvent(QStringLiteral("CS_MENU_OPEN_SER_FOR_KW"), 0);
    kws->MenuEvent(QStringLiteral("CS_MENU_COLLECT_BY_SELECTED_KEYWORD"), 0);
    ASSERT_EQ(services.messages.size(), 3u);
    for (const auto& shown : services.messages) {
        EXPECT_EQ(shown.prompt, StringTable::text(112));
        EXPECT_EQ(shown.style, 48);
    }
    selectKeywords(kws, {"blue widgets"});
    kws->MenuEvent(QStringLiteral("CS_MENU_COPY"), 0);
    EXPECT_EQ(services.clipboard, QStringLiteral("blue widgets"));
    kws->MenuEvent(QStringLiteral("CS_MENU_OPEN_SER_FOR_KW"), 0); // the main menu's first engine
    kws->mnuOpenSE_Click(7);
    ASSERT_EQ(owner.openedSE.size(), 2u);
    EXPECT_EQ(owner.openedSE[0], std::make_pair(QStringLiteral("blue widgets"), 1));
    EXPECT_EQ(owner.openedSE[1].second, 7);
    kws->MenuEvent(QStringLiteral("CS_MENU_COLLECT_BY_SELECTED_KEYWORD"), 0);
    EXPECT_EQ(owner.collected, QStringList{"SER:blue widgets"});
    services.inputs = {QStringLiteral("  custom kw ")};
    kws->MenuEvent(QStringLiteral("CS_MENU_OPEN_SER_FOR_CUSTOM_KW"), 6);
    EXPECT_EQ(owner.openedSE[2], std::make_pair(QStringLiteral("custom kw"), 7));
    kws->MenuEvent(QStringLiteral("CS_MENU_NEW_GROUP"), 0); // not ours: nothing
    kws->cmdAdd()->click();
    EXPECT_EQ(owner.collected.last(), QStringLiteral("AddKeywords"));
}

TEST_F(PagesTest, GroupCommands)
{
    project.add(QStringLiteral("candidate"), 10, -1);
    const int kept = project.add(QStringLiteral("kept"), 10, 2);
    const int seven = project.db->AddGroup(QStringLiteral("seven"));
    const int eight = project.db->AddGroup(QStringLiteral("eight"));
    ucKW group;
    group.setPageType(4);
    group.setGroupId(seven);
    owner.tabs[4] = &group;
    initAll();
    group.init(&store, &services, &owner);
    EXPECT_EQ(group.model()->rowCount(), 0);

    // From the candidates a pick without a rank files nothing: no page would show the keyword.
    selectKeywords(raw, {"candidate"});
    owner.picks = {{seven, -1}};
    owner.refreshed.clear();
    raw->mnuAddToGroup_Click();
    EXPECT_TRUE(owner.refreshed.empty());
    EXPECT_EQ(
        project.db->ProjectDB()->scalar(QStringLiteral("SELECT count(*) FROM KWGroup")).toInt(), 0);
    EXPECT_EQ(keywords(raw), QStringList{"candidate"});

    owner.picks = {{seven, 4}};
    raw->mnuAddToGroup_Click();
    EXPECT_EQ(owner.pickCaptions.back(), StringTable::text(166));
    EXPECT_EQ(owner.refreshed, (std::vector<int>{Tab::Groups, Tab::KWs}));
    EXPECT_TRUE(keywords(raw).isEmpty());
    EXPECT_EQ(keywords(&group), QStringList{"candidate"});
    QString preview;
    services.onDialog = [&](QDialog& dialog) {
        preview = static_cast<FExportParams&>(dialog).PreviewText();
        dialog.reject();
    };
    group.MenuEvent(QStringLiteral("CS_MENU_EXPORT_ALL"), 0); // the group's keywords only
    EXPECT_EQ(preview, QStringLiteral("candidate\r\n"));

    selectKeywords(kws, {"kept"});
    owner.picks = {}; // cancelled
    kws->MenuEvent(QStringLiteral("CS_MENU_ADD_KWS_TO_GROUP"), 0);
    EXPECT_EQ(project.db->ProjectDB()
                  ->scalar(QStringLiteral("SELECT count(*) FROM KWGroup WHERE fkKW=?"), {kept})
                  .toInt(),
              0);

    selectKeywords(&group, {"candidate"});
    owner.picks = {{eight, 0}};
    owner.refreshed.clear();
    group.MenuEvent(QStringLiteral("CS_MENU_MOVE_KWS_TO_GROUP"), 0);
    EXPECT_EQ(owner.pickCaptions.back(), StringTable::text(164));
    EXPECT_EQ(owner.refreshed, std::vector<int>{Tab::Groups});
    EXPECT_TRUE(keywords(&group).isEmpty());

    group.setGroupId(eight);
    group.Refresh();
    selectKeywords(&group, {"candidate"});
    services.msgAnswers = {KWServices::Yes};
    group.mnuRemoveFromGroup_Click();
    EXPECT_EQ(services.messages.back().style, 52);
    EXPECT_TRUE(keywords(&group).isEmpty());
}

TEST_F(PagesTest, RankModeAndLayout)
{
    initAll();
    window.show();
    for (ucKW* page : {raw, kws, banned})
        page->SetRankMode(false);
    EXPECT_EQ(kws->cmdRank(4)->text(), QStringLiteral("Take  <Ins>"));
    EXPECT_EQ(kws->cmdRank(0)->text(), QStringLiteral("Reject <Del>"));
    EXPECT_FALSE(kws->cmdRank(3)->isVisible());
    kws->chkRankAdvanced()->click(); // through the main window, to every page
    EXPECT_TRUE(owner.advanced);
    EXPECT_EQ(raw->cmdRank(4)->text(), QStringLiteral("It's &Mine!"));
    EXPECT_EQ(banned->cmdRank(0)->text(), QStringLiteral("Ba&n"));
    EXPECT_TRUE(raw->cmdRank(3)->isVisible());
    EXPECT_TRUE(banned->chkRankAdvanced()->isChecked());
    EXPECT_TRUE(kws->chkHideGrouped()->isVisible());
    EXPECT_FALSE(raw->chkHideGrouped()->isVisible());
    EXPECT_TRUE(raw->lblRawDescription()->isVisible());
    EXPECT_FALSE(kws->lblRawDescription()->isVisible());
    // The buttons sit in their column right of the grid, top to bottom 5 ... 0.
    const QRect grid = kws->lv()->geometry();
    for (int i = 0; i <= 5; ++i)
        EXPECT_GE(kws->cmdRank(i)->x(), grid.right()) << i;
    for (int i = 0; i < 5; ++i)
        EXPECT_GT(kws->cmdRank(i)->y(), kws->cmdRank(i + 1)->y()) << i;
    EXPECT_GT(kws->chkRankAdvanced()->y(), kws->cmdRank(0)->y());
}

TEST_F(PagesTest, PagesRenderWithAFewHundredKeywords)
{
    // With QUINTARA_SCREENSHOTS set to a folder, the three pages are saved there as pictures.
    for (int i = 0; i < 300; ++i)
        project.add(QStringLiteral("keyword research tool %1").arg(i), (i * 97) % 4000 - 1,
                    i % 3 == 0 ? -1 : (i % 5 == 0 ? 0 : i % 5));
    initAll();
    window.resize(900, 600);
    window.show();
    for (ucKW* page : {raw, kws, banned}) {
        page->SetRankMode(page == kws);
        page->setGeometry(0, 0, 900, 600);
    }
    selectKeywords(kws, {"keyword research tool 4", "keyword research tool 5"});
    const QString folder = qEnvironmentVariable("QUINTARA_SCREENSHOTS");
    for (ucKW* page : {raw, kws, banned}) {
        page->raise();
        const QPixmap picture = page->grab();
        EXPECT_FALSE(picture.isNull());
        if (!folder.isEmpty())
            picture.save(folder + QStringLiteral("/page%1.png").arg(page->PageType()));
    }
}

} // namespace

namespace {

QString currentKeyword(const ucKW* page)
{
    const QModelIndex current = page->lv()->currentIndex();
    return current.isValid() ? page->model()->rowAt(current.row()).keyword : QString();
}

} // namespace

TEST_F(PagesTest, ARefreshThatRewritesTheCurrentRowKeepsItCurrent)
{
    project.add(QStringLiteral("alpha"), 900, 2);
    const int b = project.add(QStringLiteral("beta"), 300, 2);
    project.add(QStringLiteral("gamma"), 30, 2);
    initAll();
    selectKeywords(kws, {"beta"});
    ASSERT_EQ(currentKeyword(kws), QStringLiteral("beta"));

    project.setSearches(b, 90000); // new counts: beta's row is rewritten and moves to the top
    kws->Refresh();
    EXPECT_EQ(keywords(kws).first(), QStringLiteral("beta"));
    EXPECT_EQ(currentKeyword(kws), QStringLiteral("beta"));
    EXPECT_EQ(selected(kws), QStringList{"beta"});
    kws->mnuCopyKW_Click();
    EXPECT_EQ(services.clipboard, QStringLiteral("beta"));

    // A rank that keeps the row on the page adds no neighbour to the selection.
    for (const int rank : {5, 1, 3}) {
        kws->cmdRank_Click(rank);
        EXPECT_EQ(currentKeyword(kws), QStringLiteral("beta")) << rank;
        EXPECT_EQ(selected(kws), QStringList{"beta"}) << rank;
    }
}

TEST_F(PagesTest, RankingDownAListTakesTheNextKeyword)
{
    for (int i = 0; i < 6; ++i)
        project.add(QStringLiteral("candidate %1").arg(i), 100, -1);
    initAll();
    const QStringList order = keywords(raw);
    ASSERT_EQ(order.size(), 6);
    selectKeywords(raw, {order.at(2)});
    raw->lv()->setFocus();
    services.singleTimeAnswers = {true};
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(raw->lv(), Qt::Key_Insert);
    EXPECT_EQ(keywords(raw), (QStringList{order.at(0), order.at(1), order.at(5)}));
    EXPECT_EQ(currentKeyword(raw), order.at(5));
    EXPECT_EQ(selected(raw), QStringList{order.at(5)});

    // The last row ranked: the one above takes its place.
    QTest::keyClick(raw->lv(), Qt::Key_Insert);
    EXPECT_EQ(keywords(raw), (QStringList{order.at(0), order.at(1)}));
    EXPECT_EQ(currentKeyword(raw), order.at(1));
    EXPECT_EQ(selected(raw), QStringList{order.at(1)});
}

TEST_F(PagesTest, CtrlLetGoBeforeTheDigitStillRanks)
{
    const int a = project.add(QStringLiteral("alpha"), 100, -1);
    const int b = project.add(QStringLiteral("beta"), 100, -1);
    initAll();
    services.singleTimeAnswers = {true};
    selectKeywords(raw, {"alpha"});
    raw->lv()->setFocus();
    QTest::keyPress(raw->lv(), Qt::Key_Control);
    QTest::keyPress(raw->lv(), Qt::Key_2, Qt::ControlModifier);
    QTest::keyRelease(raw->lv(), Qt::Key_Control, Qt::ControlModifier);
    QTest::keyRelease(raw->lv(), Qt::Key_2);
    EXPECT_EQ(project.relevancyOf(a), 2);

    // A digit that went down without Ctrl does nothing, whatever is held when it comes up.
    selectKeywords(raw, {"beta"});
    QTest::keyPress(raw->lv(), Qt::Key_3);
    QTest::keyRelease(raw->lv(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(project.relevancyOf(b), -1);
    // Elsewhere on the page the same holds.
    raw->cmdAdd()->setFocus();
    QTest::keyPress(raw->cmdAdd(), Qt::Key_5, Qt::ControlModifier);
    QTest::keyRelease(raw->cmdAdd(), Qt::Key_5);
    EXPECT_EQ(project.relevancyOf(b), 5);
}

TEST_F(PagesTest, WordsWithNothingToShowShowsNothing)
{
    project.add(QStringLiteral("a b"), 100, 3);
    project.add(QStringLiteral("x"), 100, 3);
    initAll();
    kws->mnuContextExportWords_Click();
    EXPECT_TRUE(services.prompts.empty());
    EXPECT_TRUE(services.logged(QStringLiteral("ucKW.mnuContextExportWords_Click")));
}

TEST_F(PagesTest, TheRelevancyColumnShowsEveryNameWhole)
{
    for (int relevancy = 0; relevancy <= 5; ++relevancy)
        project.add(QStringLiteral("keyword %1").arg(relevancy), 100, relevancy);
    initAll();
    for (const int points : {0, 16, 24}) {
        if (points > 0) {
            QFont font = window.font();
            font.setPointSize(points);
            window.setFont(font);
        }
        for (ucKW* page : {kws, banned}) {
            // Every cell's width as the grid's delegate asks for it fits the column.
            QStyleOptionViewItem option;
            option.initFrom(page->lv());
            option.font = page->lv()->font();
            for (int row = 0; row < page->model()->rowCount(); ++row) {
                const QModelIndex cell = page->model()->index(row, KWGridModel::Relevancy);
                EXPECT_LE(page->lv()->itemDelegate()->sizeHint(option, cell).width(),
                          page->lv()->columnWidth(KWGridModel::Relevancy))
                    << points << " " << cell.data().toString().toStdString();
            }
        }
    }
}

namespace {

QStringList keywordsOf(const ucKW* page, const QList<int>& rows)
{
    QStringList list;
    for (const int row : rows)
        list << page->model()->rowAt(row).keyword;
    return list;
}

} // namespace

TEST_F(PagesTest, TheFirstFillAndARefreshSelectTheRowTheyFrame)
{
    const int a = project.add(QStringLiteral("alpha"), 900, 2);
    project.add(QStringLiteral("beta"), 300, 2);
    project.add(QStringLiteral("gamma"), 30, 2);
    initAll();
    EXPECT_EQ(currentKeyword(kws), QStringLiteral("alpha"));
    EXPECT_EQ(selected(kws), QStringList{"alpha"});
    EXPECT_EQ(kws->GetSelectedKWs(), QList<int>{a});

    // The framed keyword left the page: the one now standing in its place is framed and picked.
    selectKeywords(kws, {"beta"});
    project.db->ProjectDB()->execute(QStringLiteral("UPDATE Keyword SET Relevancy=0 WHERE KW=?"),
                                     {QStringLiteral("beta")});
    kws->Refresh();
    EXPECT_EQ(currentKeyword(kws), QStringLiteral("gamma"));
    EXPECT_EQ(selected(kws), QStringList{"gamma"});

    // A frame the user moved off the selection stays where it is, and so does the selection.
    selectKeywords(kws, {"alpha"});
    kws->lv()->selectionModel()->setCurrentIndex(kws->model()->index(1, 0),
                                                 QItemSelectionModel::NoUpdate);
    kws->Refresh();
    EXPECT_EQ(currentKeyword(kws), QStringLiteral("gamma"));
    EXPECT_EQ(selected(kws), QStringList{"alpha"});

    // The grid taking the focus with nothing framed frames and picks its first row.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    kws->lv()->selectionModel()->clear();
    kws->lv()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(kws->lv()->hasFocus());
    EXPECT_EQ(currentKeyword(kws), QStringLiteral("alpha"));
    EXPECT_EQ(selected(kws), QStringList{"alpha"});
}

TEST_F(PagesTest, WithNothingSelectedTheCommandsTakeTheFramedRow)
{
    struct Case {
        const char* name;
        ucKW* page;
        int relevancy; // of the keywords
        std::function<void(ucKW*)> command;
        std::function<bool(int)> done; // on the framed keyword
    };
    auto ranked = [this](int relevancy) {
        return [this, relevancy](int id) { return project.relevancyOf(id) == relevancy; };
    };
    auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [key, modifiers](ucKW* page) { QTest::keyClick(page->lv(), key, modifiers); };
    };
    QString exported;
    const Case cases[] = {
        {"Insert takes", raw, -1, key(Qt::Key_Insert), ranked(4)},
        {"Ctrl+2 ranks", kws, 4, key(Qt::Key_2, Qt::ControlModifier), ranked(2)},
        {"Delete bans", kws, 4, key(Qt::Key_Delete), ranked(0)},
        {"Delete deletes", banned, 0, key(Qt::Key_Delete),
         [this](int id) { return !project.exists(id); }},
        {"Put To Group files", kws, 3,
         [this](ucKW* page) {
             owner.picks = {{project.db->AddGroup(QStringLiteral("g")), -1}};
             page->mnuAddToGroup_Click();
         },
         [this](int id) {
             return project.db->ProjectDB()
                        ->scalar(QStringLiteral("SELECT count(*) FROM KWGroup WHERE fkKW=?"), {id})
                        .toInt() == 1;
         }},
        {"Export selected exports", kws, 3,
         [&](ucKW* page) {
             services.onDialog = [&](QDialog& dialog) {
                 exported = static_cast<FExportParams&>(dialog).PreviewText();
                 dialog.reject();
             };
             page->mnuExportSelected_Click();
         },
         [&](int id) { return exported == project.textOf(id) + QStringLiteral("\r\n"); }},
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int n = 0;
    for (const Case& c : cases) {
        QList<int> ids;
        for (int i = 0; i < 3; ++i)
            ids << project.add(QStringLiteral("%1 case %2").arg(i).arg(++n), 100 - i, c.relevancy);
        initAll();
        c.page->raise();
        c.page->lv()->setFocus();
        // A click on the second row, then Ctrl+click on it: framed, nothing selected.
        const int row = c.page->model()->rowOfId(ids[1]);
        const QPoint at = c.page->lv()->visualRect(c.page->model()->index(row, 0)).center();
        QTest::mouseClick(c.page->lv()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(c.page->lv()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        ASSERT_TRUE(c.page->selectedRows().isEmpty()) << c.name;
        ASSERT_EQ(c.page->lv()->currentIndex().row(), row) << c.name;
        c.command(c.page);
        EXPECT_TRUE(c.done(ids[1])) << c.name;
        EXPECT_EQ(project.relevancyOf(ids[0]), c.relevancy) << c.name;
        EXPECT_TRUE(project.exists(ids[0])) << c.name;
    }
}

TEST_F(PagesTest, RankingOnAnEmptyPageDoesNothing)
{
    initAll();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    raw->lv()->setFocus();
    const std::function<void()> ranks[] = {
        [&] { QTest::keyClick(raw->lv(), Qt::Key_Insert); },
        [&] { QTest::keyClick(raw->lv(), Qt::Key_Delete); },
        [&] { QTest::keyClick(raw->lv(), Qt::Key_3, Qt::ControlModifier); },
        [&] { raw->cmdRank_Click(5); },
        [&] { raw->mnuSetRelevancySetN_Click(6); },
    };
    for (const auto& rank : ranks)
        rank();
    EXPECT_TRUE(owner.refreshed.empty());
    EXPECT_EQ(services.singleTimeShown, 0);
}

TEST_F(PagesTest, KeysHeldWhileTheFocusWentAwayAreForgotten)
{
    struct Case {
        const char* name;
        bool onButton;    // the key went down on the Add button, else on the grid
        bool otherWindow; // the window lost the focus, else the grid did within it
        bool typedAgain;  // the key is typed again, else only its late release comes
    };
    const Case cases[] = {
        {"grid, window, typed again", false, true, true},
        {"grid, window, late release", false, true, false},
        {"grid, focus within, late release", false, false, false},
        {"button, window, late release", true, true, false},
    };
    QWidget other;
    QLineEdit otherFocus(&other);
    other.resize(100, 100);
    other.move(900, 0);
    other.show();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int n = 0;
    for (const Case& c : cases) {
        const int id = project.add(QStringLiteral("candidate %1").arg(++n), 100, -1);
        raw->init(&store, &services, &owner);
        raw->raise();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << c.name;
        raw->lv()->setFocus();
        selectKeywords(raw, {QStringLiteral("candidate %1").arg(n)});
        QWidget* down = c.onButton ? static_cast<QWidget*>(raw->cmdAdd()) : raw->lv();
        down->setFocus();
        QTest::keyPress(down, Qt::Key_3, Qt::ControlModifier);
        if (c.otherWindow) {
            QApplication::setActiveWindow(&other);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other)) << c.name;
            QApplication::setActiveWindow(&window);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << c.name;
        } else {
            raw->cmdGet()->setFocus();
        }
        raw->lv()->setFocus();
        if (c.typedAgain)
            QTest::keyPress(raw->lv(), Qt::Key_3);
        QTest::keyRelease(raw->lv(), Qt::Key_3);
        EXPECT_EQ(project.relevancyOf(id), -1) << c.name;
    }
}

TEST_F(PagesTest, AfterCtrlHomeTheFrameDoesNotPassForAPick)
{
    for (int i = 0; i < 4; ++i)
        project.add(QStringLiteral("candidate %1").arg(i), 100 - i, -1);
    initAll();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    raw->raise();
    raw->lv()->setFocus();
    QTest::keyClick(raw->lv(), Qt::Key_Down);
    QTest::keyClick(raw->lv(), Qt::Key_Down);
    QTest::keyClick(raw->lv(), Qt::Key_Home, Qt::ControlModifier); // moves the frame only
    ASSERT_EQ(raw->lv()->currentIndex().row(), 0);
    ASSERT_EQ(keywordsOf(raw, raw->selectedRows()), QStringList{"candidate 2"});

    // Inside the framed row's keyword cell, away from its text and its outline, the grid looks
    // as in a row that is neither framed nor picked.
    const QImage shot = raw->lv()->viewport()->grab().toImage();
    const int x = raw->lv()->columnViewportPosition(0) + raw->lv()->columnWidth(0) - 8;
    auto middle = [&](int row) {
        return shot.pixelColor(
            x * shot.width() / raw->lv()->viewport()->width(),
            (raw->lv()->rowViewportPosition(row) + raw->lv()->rowHeight(row) / 2) * shot.height() /
                raw->lv()->viewport()->height());
    };
    EXPECT_EQ(middle(0), middle(1));
    EXPECT_NE(middle(0), middle(2));

    services.singleTimeAnswers = {true};
    QTest::keyClick(raw->lv(), Qt::Key_Insert);
    EXPECT_EQ(keywords(raw), (QStringList{"candidate 0", "candidate 1", "candidate 3"}));
}

TEST(ucKWInTheWindow, APageSwitchPicksTheRowTheGridFrames)
{
    testsupport::TempHome home;
    MsgScript script;
    script.singleTime(true);
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    auto* host = dynamic_cast<KWPageHost*>(window.page(Tab::Raw));
    ASSERT_NE(host, nullptr);
    ucKW* raw = host->kwPage();
    QList<int> ids;
    for (const char* kw : {"first candidate", "second candidate"})
        ids << static_cast<int>(window.database()->ProjectDB()->addRow(
            QStringLiteral("Keyword"),
            {QStringLiteral("KW"), QStringLiteral("Normalized"), QStringLiteral("Searches")},
            {QString::fromLatin1(kw), zentrel::MParser::NormalizeKW(QString::fromLatin1(kw)),
             ids.isEmpty() ? 200 : 100}));
    window.RefreshTab(Tab::Raw);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTabBar* ts = window.ts();
    QTest::mouseClick(ts, Qt::LeftButton, {}, ts->tabRect(1).center());
    ASSERT_EQ(QApplication::focusWidget(), raw->lv());
    EXPECT_EQ(raw->lv()->currentIndex().row(), 0);
    EXPECT_EQ(raw->selectedRows(), QList<int>{0});

    // "Take" takes the framed keyword and moves on to the next, framed and picked in turn.
    QTest::keyClick(raw->lv(), Qt::Key_Insert);
    auto relevancyOf = [&](int id) {
        return window.database()
            ->ProjectDB()
            ->scalar(QStringLiteral("SELECT Relevancy FROM Keyword WHERE pkKeyword=?"), {id})
            .toInt();
    };
    EXPECT_EQ(relevancyOf(ids[0]), 4);
    EXPECT_EQ(raw->GetSelectedKWs(), QList<int>{ids[1]});
    raw->cmdRank(4)->click();
    EXPECT_EQ(relevancyOf(ids[1]), 4);
    EXPECT_EQ(raw->model()->rowCount(), 0);
    window.close();
}
