#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include "app/collect/CacheKWListModel.h"
#include "app/collect/FImportFromCache.h"
#include "app/collect/MMisc.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "engine/platform/SqlTransaction.h"
#include "tests/app/collect/CollectFixture.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/engine/research/QStringPrinter.h"

namespace {

QStringList listed(const CacheKWListModel* model)
{
    return model->keywords();
}

// A project whose cache holds a few keywords, and the dialog on it.
class FImportFromCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& [kw, count] : std::initializer_list<std::pair<const char*, int>>{
                 {"software list", 100},
                 {"soft toys", 45},
                 {"it's soft", 3},
                 {"soft zero", 0},
                 {"kept soft", 90},
                 {"banned soft", 80},
                 {"candidate soft", 70},
                 {"mail talker", 20},
             })
            cache(kw, count);
        project.add("kept soft", -1, 4);
        project.add("banned soft", -1, 0);
        project.add("candidate soft", -1, -1);
    }

    void cache(const QString& kw, int count) const
    {
        project.db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 0)",
                                       {kw, count});
    }
    void open(const QString& filter) { dialog.init(project.log, project.db->ProjectDB(), filter); }
    void filter(const QString& text, bool banned = false)
    {
        dialog.chkIncludeBanned()->setChecked(banned);
        dialog.txtFilter()->setText(text);
        dialog.cmdApplyFilter()->click();
    }
    void select(QTreeView* list, const QStringList& keywords)
    {
        list->clearSelection();
        auto* model = static_cast<CacheKWListModel*>(list->model());
        for (int row = 0; row < model->rowCount(); ++row)
            if (keywords.contains(model->row(row).keyword))
                list->selectionModel()->select(model->index(row, 0), QItemSelectionModel::Select |
                                                                         QItemSelectionModel::Rows);
    }
    QStringList found() const { return listed(dialog.foundModel()); }
    QStringList picked() const { return listed(dialog.pickedModel()); }

    kwtest::Project project;
    MsgScript script;
    FImportFromCache dialog;
};

} // namespace

TEST(CacheKWListModel, OneRowPerKeywordUnderTheModelTester)
{
    KWIcons icons;
    CacheKWListModel model(&icons);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRows({{"a", 30}, {"b", 3000}, {"A", 1}, {"c", 0}});
    EXPECT_EQ(model.keywords(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(model.append({{"B", 1}, {"d", 60}, {"d", 61}, {"e", 90}}), 2);
    EXPECT_EQ(model.keywords(), (QStringList{"a", "b", "c", "d", "e"}));
    const auto taken = model.take({4, 0, 1, 1, 9});
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken.at(0).keyword, "a");
    EXPECT_EQ(taken.at(2).keyword, "e");
    EXPECT_EQ(model.keywords(), (QStringList{"c", "d"}));
    EXPECT_TRUE(model.contains("D"));
    EXPECT_FALSE(model.contains("a"));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Keyword");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Searches/day");
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "       2.0");
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
}

TEST(CacheKWListModel, SearchesPerDayHasOneDecimalPaddedToTen)
{
    const struct {
        qint64 count;
        const char* text;
    } cases[] = {
        {45, "       1.5"},
        {3, "       0.1"},
        {0, "       0.0"},
        {3000000, "  100000.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CacheKWListModel::SearchesPerDayText(c.count), c.text) << c.count;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CacheKWListModel::SearchesPerDayText(45), "       1,5");
    EXPECT_EQ(CacheKWListModel::SearchesPerDayText(3000000), "  100000,0");
    QLocale::setDefault(QLocale::c());
}

TEST_F(FImportFromCacheTest, FirstQueryListsOfferedKeywordsByCount)
{
    open("soft");
    EXPECT_EQ(dialog.windowTitle(), "Import From Database");
    EXPECT_EQ(dialog.txtFilter()->text(), "soft");
    EXPECT_EQ(found(), (QStringList{"software list", "candidate soft", "soft toys", "it's soft"}));
    EXPECT_EQ(dialog.lblCacheTotal()->text(), "Found: 4 keywords.");
    EXPECT_EQ(dialog.lblSelectedTotal()->text(), "Selected: 0 keywords.");
    EXPECT_TRUE(script.shown().isEmpty());
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_EQ(dialog.chkIncludeBanned()->text(), "Include &Banned Keywords");
    EXPECT_EQ(dialog.cmdSelect()->text(), "&Pick ->");
    EXPECT_EQ(dialog.cmdUndo()->text(), "<- &Undo");
    EXPECT_EQ(dialog.cmdSelectAll()->text(), "S&elect All");
    EXPECT_EQ(dialog.cmdClearAll()->text(), "&Clear All");
    EXPECT_TRUE(dialog.cmdOK()->isDefault());
    EXPECT_EQ(dialog.findChild<QStatusBar*>()->currentMessage(),
              "Pick keywords you want to import then press OK button");
    EXPECT_TRUE(dialog.findChild<QLabel*>()->text().startsWith(StringTable::text(133).left(20)));
    dialog.show();
    EXPECT_GE(dialog.minimumWidth(), 600);
    EXPECT_GE(dialog.minimumHeight(), 280);
}

TEST_F(FImportFromCacheTest, FiltersAndBannedKeywords)
{
    open("soft");
    const struct {
        const char* filter;
        bool banned;
        QStringList expected;
    } cases[] = {
        {"  soft   toys ", false, {"soft toys"}},
        {"toys soft", false, {"soft toys"}},
        {"it's", false, {"it's soft"}},
        {"soft*", false, {"software list", "candidate soft", "soft toys", "it's soft"}},
        {"soft",
         true,
         {"software list", "banned soft", "candidate soft", "soft toys", "it's soft"}},
        {"s o f t", false, {"software list", "candidate soft", "soft toys", "it's soft"}},
        {"*", false, {"software list", "candidate soft", "soft toys", "mail talker", "it's soft"}},
    };
    for (const auto& c : cases) {
        filter(c.filter, c.banned);
        EXPECT_EQ(found(), c.expected) << c.filter;
        EXPECT_EQ(dialog.lblCacheTotal()->text(),
                  QStringLiteral("Found: %1 keywords.").arg(c.expected.size()));
    }
    EXPECT_TRUE(script.shown().isEmpty());
}

TEST_F(FImportFromCacheTest, BlankFilterRunsNothingAndNoMatchKeepsTheList)
{
    open("soft toys");
    filter("   ");
    QTest::keyClick(dialog.txtFilter(), Qt::Key_Return);
    EXPECT_EQ(found(), QStringList{"soft toys"});
    EXPECT_TRUE(script.shown().isEmpty());

    filter("kept");
    filter("zero");
    ASSERT_EQ(script.shown().size(), 2);
    EXPECT_EQ(script.shown().at(0).prompt, StringTable::format(177, {"kept"}));
    EXPECT_EQ(script.shown().at(1).prompt, StringTable::format(177, {"zero"}));
    EXPECT_EQ(script.shown().at(0).style, 64);
    EXPECT_EQ(found(), QStringList{"soft toys"});
    EXPECT_EQ(dialog.lblCacheTotal()->text(), "Found: 1 keywords.");
}

TEST_F(FImportFromCacheTest, PickAndUndoKeepOneRowPerKeyword)
{
    open("soft");
    select(dialog.lvCache(), {"soft toys", "it's soft"});
    dialog.cmdSelect()->click();
    EXPECT_EQ(picked(), (QStringList{"soft toys", "it's soft"}));
    EXPECT_EQ(found(), (QStringList{"software list", "candidate soft"}));
    EXPECT_EQ(dialog.lblSelectedTotal()->text(), "Selected: 2 keywords.");
    EXPECT_EQ(dialog.pickedModel()->data(dialog.pickedModel()->index(0, 1)).toString(),
              "       1.5");

    // A new filter lists a picked keyword again; picking it twice keeps one row.
    filter("toys");
    dialog.cmdSelectAll()->click();
    dialog.cmdSelect()->click();
    EXPECT_EQ(picked(), (QStringList{"soft toys", "it's soft"}));
    EXPECT_EQ(dialog.lblSelectedTotal()->text(), "Selected: 2 keywords.");
    EXPECT_TRUE(found().isEmpty());

    filter("soft");
    select(dialog.lvSelected(), {"soft toys"});
    dialog.cmdUndo()->click();
    EXPECT_EQ(picked(), QStringList{"it's soft"});
    EXPECT_EQ(found().count("soft toys"), 1);

    dialog.cmdSelectAll()->click();
    EXPECT_EQ(dialog.lvCache()->selectionModel()->selectedRows().size(), found().size());
    dialog.cmdClearAll()->click();
    EXPECT_TRUE(dialog.lvCache()->selectionModel()->selectedRows().isEmpty());
}

TEST_F(FImportFromCacheTest, EnterActsInListsAndFilterElsewhereItPressesOK)
{
    open("soft");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    select(dialog.lvCache(), {"soft toys"});
    QTest::keyClick(dialog.lvCache(), Qt::Key_Return);
    EXPECT_EQ(picked(), QStringList{"soft toys"});
    select(dialog.lvSelected(), {"soft toys"});
    QTest::keyClick(dialog.lvSelected(), Qt::Key_Enter);
    EXPECT_TRUE(picked().isEmpty());

    // Double clicks move too.
    select(dialog.lvCache(), {"software list"});
    emit dialog.lvCache()->doubleClicked(dialog.foundModel()->index(0, 0));
    EXPECT_EQ(picked(), QStringList{"software list"});
    select(dialog.lvSelected(), {"software list"});
    emit dialog.lvSelected()->doubleClicked(dialog.pickedModel()->index(0, 0));
    EXPECT_TRUE(picked().isEmpty());

    dialog.txtFilter()->setText("toys");
    QTest::keyClick(dialog.txtFilter(), Qt::Key_Return);
    EXPECT_EQ(found(), QStringList{"soft toys"});
    EXPECT_TRUE(dialog.isVisible());

    // A focused button takes Return for itself.
    dialog.cmdSelectAll()->setFocus();
    QTest::keyClick(dialog.cmdSelectAll(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.lvCache()->selectionModel()->selectedRows().size(), 1);

    dialog.chkIncludeBanned()->setFocus();
    QTest::keyClick(dialog.chkIncludeBanned(), Qt::Key_Return);
    EXPECT_TRUE(dialog.OKPressed());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FImportFromCacheTest, EscAndTheCloseBoxCancel)
{
    open("soft");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(dialog.lvCache(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.OKPressed());
    dialog.show();
    dialog.cmdOK()->click();
    EXPECT_TRUE(dialog.OKPressed());
    dialog.show();
    dialog.close();
    EXPECT_FALSE(dialog.OKPressed());
}

TEST_F(FImportFromCacheTest, CopyMenuPutsTheItemsTextOnTheClipboard)
{
    open("soft");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QApplication::clipboard()->clear();
    select(dialog.lvCache(), {"soft toys"});
    auto* timer = new QTimer(&dialog);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            timer->stop();
            EXPECT_EQ(menu->actions().first()->text(), "&Copy");
            menu->actions().first()->trigger();
            menu->close();
        }
    });
    timer->start();
    emit dialog.lvCache()->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(dialog.copyText(), "soft toys");
    EXPECT_EQ(QApplication::clipboard()->text(), "soft toys");
}

TEST_F(FImportFromCacheTest, QueryFailureIsLogged)
{
    project.db->ProjectDB()->execute("DROP TABLE KeywordOperation");
    project.db->ProjectDB()->execute("ALTER TABLE Keyword RENAME TO Gone");
    open("soft");
    EXPECT_TRUE(found().isEmpty());
    QFile log(project.home.file("full.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\t4\t0x"));
}

namespace {

class ImportFromCacheCommand : public testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& [kw, count] : std::initializer_list<std::pair<const char*, int>>{
                 {"blue widgets", 300}, {"widgets shop", 200}, {"banned widgets", 100}})
            e.db().CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 0)",
                                      {kw, count});
        e.db().ProjectDB()->execute("INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES "
                                    "('banned widgets', 'banned widgets', 0)");
    }
    collecttest::Engine e;
};

} // namespace

TEST_F(ImportFromCacheCommand, PickedKeywordsBecomeCandidates)
{
    e.script.input("widgets");
    collecttest::onActiveModal<FImportFromCache>([](FImportFromCache* dialog) {
        EXPECT_EQ(dialog->foundModel()->keywords(), (QStringList{"blue widgets", "widgets shop"}));
        dialog->cmdSelectAll()->click();
        dialog->cmdSelect()->click();
        dialog->cmdOK()->click();
    });
    MMisc::ImportFromCache(e.log, e.scripting, e.owner);
    const auto asked = e.script.shown(MsgService::Kind::Input);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().prompt, StringTable::text(134));
    EXPECT_EQ(asked.first().title, StringTable::text(184));
    EXPECT_EQ(e.relevancyOf("blue widgets"), -1);
    EXPECT_EQ(e.relevancyOf("widgets shop"), -1);
    EXPECT_EQ(e.operations(), QStringList{"Imported from cache"});
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(ImportFromCacheCommand, PickedBannedKeywordIsACandidateAgain)
{
    e.script.input("banned");
    collecttest::onActiveModal<FImportFromCache>([](FImportFromCache* dialog) {
        dialog->chkIncludeBanned()->setChecked(true);
        dialog->cmdApplyFilter()->click();
        dialog->cmdSelectAll()->click();
        dialog->cmdSelect()->click();
        dialog->cmdOK()->click();
    });
    MMisc::ImportFromCache(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.relevancyOf("banned widgets"), -1);
    EXPECT_EQ(e.owner.refreshed, (QList<int>{Tab::Raw, Tab::Banned}));
}

TEST_F(ImportFromCacheCommand, EmptyPickCancelAndEmptyAnswer)
{
    e.script.input("widgets");
    collecttest::onActiveModal<FImportFromCache>(
        [](FImportFromCache* dialog) { dialog->cmdOK()->click(); });
    MMisc::ImportFromCache(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
    EXPECT_EQ(e.keywords(), QStringList{"banned widgets"});

    e.owner.refreshed.clear();
    e.script.input("widgets");
    collecttest::onActiveModal<FImportFromCache>([](FImportFromCache* dialog) {
        dialog->cmdSelectAll()->click();
        dialog->cmdSelect()->click();
        dialog->close();
    });
    MMisc::ImportFromCache(e.log, e.scripting, e.owner);
    MMisc::ImportFromCache(e.log, e.scripting, e.owner); // no answer
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
    EXPECT_EQ(e.keywords(), QStringList{"banned widgets"});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
