// The downloads page inside the main window, on the engine the window owns.
#include <algorithm>

#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/collect/DLoadListModel.h"
#include "app/collect/ucDLoad.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/Tab.h"
#include "engine/platform/CUtilities.h"
#include "engine/research/CDownloader.h"
#include "engine/research/Scripting.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using testsupport::waitUntil;

TEST(ucDLoadWindow, FollowsTheEnginesDownloaderAndCrawlsThroughIt)
{
    testsupport::TempHome home;
    testsupport::ScopedEnv online("QUINTARA_ONLINE", "1");
    FixtureServer server;
    server.page("/dir/page.htm", "<html>page</html>");
    testsupport::ScopedEnv searchHost("QUINTARA_SEARCH_HOST", server.host().toUtf8());
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    auto* page = dynamic_cast<ucDLoad*>(window.page(Tab::Downloading));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window.panel(2)->text(), "Downloading 0 pages now");
    EXPECT_TRUE(window.panel(3)->picture().isNull());

    zentrel::CDownloader* downloader = window.scripting()->Downloader();
    downloader->Download(server.url("/missing.htm"));
    ASSERT_TRUE(waitUntil([&] { return window.panel(3)->text() == "Not Found"; }));
    EXPECT_EQ(window.panel(3)->picture().cacheKey(), window.WarningPicture.cacheKey());
    EXPECT_FALSE(window.WarningPicture.isNull());

    downloader->Download(server.url("/dir/page.htm"));
    ASSERT_TRUE(waitUntil([&] { return page->completeModel().count() == 1; }));
    EXPECT_TRUE(window.panel(3)->picture().isNull());

    page->lstCompleteDownloads()->setCurrentIndex(page->completeModel().index(0));
    page->showContextMenu(page->lstCompleteDownloads(), {});
    page->mnuContext()->hide();
    // The search engine here answers "Not Found", so the crawl's page leaves the running list
    // as soon as it ends; every address the page listed is kept to look at afterwards.
    QStringList listed;
    QObject::connect(&page->currentModel(), &QAbstractItemModel::rowsInserted, page,
                     [&](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             listed.append(page->currentModel().rowAt(row).address);
                     });
    page->mnuCrawlFromSite_Click();
    // The crawl's search-engine page is itself a download the page shows.
    const QString site =
        QStringLiteral("site:") + zentrel::CUtilities::URLEncode(server.url("/dir"));
    ASSERT_TRUE(waitUntil([&] {
        return std::any_of(listed.cbegin(), listed.cend(), [&](const QString& address) {
            return address.contains(site, Qt::CaseInsensitive);
        });
    })) << listed.join(QLatin1Char(' ')).toStdString();

    window.show();
    QTest::mouseClick(window.panel(2), Qt::LeftButton);
    EXPECT_EQ(window.currentPage(), Tab::Downloading);
    window.close();
}
