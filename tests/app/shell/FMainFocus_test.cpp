#include <functional>

#include <QApplication>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/ucKW.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/Tab.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "tests/support/TestSupport.h"

namespace {

// The real main window with its keyword pages, one candidate and one kept keyword.
struct Window {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    int candidate = 0;
    int kept = 0;

    Window()
    {
        wiring.wire(window);
        EXPECT_TRUE(window.Form_Load());
        candidate = add(QStringLiteral("blue candidate"), -1);
        kept = add(QStringLiteral("kept widget"), 4);
        for (const int tab : {Tab::Raw, Tab::KWs, Tab::Banned})
            window.RefreshTab(tab);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    int add(const QString& kw, int relevancy) const
    {
        return static_cast<int>(window.database()->ProjectDB()->addRow(
            QStringLiteral("Keyword"),
            {QStringLiteral("KW"), QStringLiteral("Normalized"), QStringLiteral("Relevancy"),
             QStringLiteral("Searches")},
            {kw, zentrel::MParser::NormalizeKW(kw), relevancy < 0 ? QVariant() : relevancy, 100}));
    }
    int relevancyOf(int id) const
    {
        const QVariant value = window.database()->ProjectDB()->scalar(
            QStringLiteral("SELECT Relevancy FROM Keyword WHERE pkKeyword=?"), {id});
        return value.isNull() ? -1 : value.toInt();
    }
    ucKW* kwPage(int number) const
    {
        auto* host = dynamic_cast<KWPageHost*>(window.page(number));
        return host != nullptr ? host->kwPage() : nullptr;
    }
    void clickTab(int number)
    {
        QTabBar* ts = window.ts();
        QTest::mouseClick(ts, Qt::LeftButton, {}, ts->tabRect(number - 1).center());
    }
    void wheelTabs(int steps) // a positive step goes to the tab on the left
    {
        QTabBar* ts = window.ts();
        const QPointF at = ts->tabRect(0).center();
        QWheelEvent wheel(at, ts->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ts, &wheel);
    }
    // A key as the keyboard gives it: to the widget with the focus.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }
};

} // namespace

TEST(FMainFocus, EveryWayOfSwitchingPagesFocusesThePageOnShow)
{
    Window w;
    struct Route {
        const char* name;
        std::function<void(Window&)> toCandidates;
        std::function<void(Window&)> toKeywords;
    };
    const Route routes[] = {
        {"tab click", [](Window& w) { w.clickTab(Tab::Raw); },
         [](Window& w) { w.clickTab(Tab::KWs); }},
        {"Ctrl+Tab", [](Window& w) { w.clickTab(Tab::Raw); },
         [](Window& w) { w.key(Qt::Key_Tab, Qt::ControlModifier); }},
        {"Ctrl+Shift+Tab", [](Window& w) { w.clickTab(Tab::Groups); },
         [](Window& w) { w.key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier); }},
        {"status panel", [](Window& w) { QTest::mouseClick(w.window.panel(1), Qt::LeftButton); },
         [](Window& w) { w.clickTab(Tab::KWs); }},
        {"mouse wheel", [](Window& w) { w.clickTab(Tab::Raw); },
         [](Window& w) { w.wheelTabs(-1); }},
    };
    for (const Route& route : routes) {
        w.clickTab(Tab::Help);
        route.toCandidates(w);
        const int first = w.window.currentPage();
        if (first == 2) {
            EXPECT_EQ(QApplication::focusWidget(), w.kwPage(2)->lv()) << route.name;
        }
        route.toKeywords(w);
        ASSERT_EQ(w.window.currentPage(), Tab::KWs) << route.name;
        EXPECT_EQ(w.window.ts()->currentIndex(), 2) << route.name;
        EXPECT_FALSE(w.window.pageWidget(Tab::KWs)->isHidden()) << route.name;
        EXPECT_EQ(QApplication::focusWidget(), w.kwPage(3)->lv()) << route.name;
    }
}

TEST(FMainFocus, TheWheelOverTheTabsMovesThePageWithTheTab)
{
    Window w;
    w.clickTab(Tab::KWs);
    w.wheelTabs(1);
    EXPECT_EQ(w.window.ts()->currentIndex(), 1);
    EXPECT_EQ(w.window.currentPage(), Tab::Raw);
    EXPECT_FALSE(w.window.pageWidget(Tab::Raw)->isHidden());
    EXPECT_TRUE(w.window.pageWidget(Tab::KWs)->isHidden());
    EXPECT_TRUE(w.window.menuItem(QStringLiteral("mnuCopy"))->isEnabled());
}

TEST(FMainFocus, KeysActOnThePageOnShowOnly)
{
    Window w;
    w.clickTab(Tab::Raw);
    ucKW* candidates = w.kwPage(2);
    candidates->selectRows({0});
    candidates->lv()->selectionModel()->setCurrentIndex(candidates->model()->index(0, 0),
                                                        QItemSelectionModel::NoUpdate);
    w.clickTab(Tab::KWs);
    ucKW* keywords = w.kwPage(3);
    ASSERT_EQ(keywords->model()->rowCount(), 1);
    keywords->selectRows({0});
    w.key(Qt::Key_Delete); // bans on the Keywords page
    EXPECT_EQ(w.relevancyOf(w.candidate), -1);
    EXPECT_EQ(w.relevancyOf(w.kept), 0);

    // Ctrl+F reaches the page on show, which asks for the pattern; the hidden page asks nothing.
    w.script.clear();
    w.key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w.script.shown(MsgService::Kind::Input).size(), 1);

    // The status panel gives the candidates' grid the focus: Ctrl+4 ranks the candidate.
    QTest::mouseClick(w.window.panel(1), Qt::LeftButton);
    ASSERT_EQ(w.window.currentPage(), Tab::Raw);
    candidates->selectRows({0});
    w.key(Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(w.relevancyOf(w.candidate), 4);
    w.window.close();
}
