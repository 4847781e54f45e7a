#include "app/collect/ucDLoad.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/collect/DLoadListModel.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/StatusPanel.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/ZError.h"
#include "engine/research/CDownloader.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/BrowserRecorder.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;
using testsupport::waitUntil;

namespace {

// The page on a real downloader fetching from a loopback server: "/fast/..." pages answer at
// once, "/missing" answers 404, "/held/..." pages answer when released, "/silent" never does.
struct PageFixture {
    testsupport::TempHome home;
    testsupport::ScopedEnv online{"QUINTARA_ONLINE", "1"};
    FixtureServer server;
    std::atomic<bool> released{false};
    zentrel::CLogPtr log = std::make_shared<zentrel::CLog>();
    zentrel::CDownloaderPtr downloader = zentrel::CDownloader::create();
    StatusPanel running;
    StatusPanel error;
    QPixmap warning = DrawnIcons::warningPicture();
    QStringList crawled;
    ucDLoad page;

    PageFixture()
    {
        server.handle(R"(/fast/.*)", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html>fast</html>", "text/html");
        });
        server.handle("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
        });
        server.handle(R"(/held/.*)", [this](const httplib::Request&, httplib::Response& response) {
            while (!released && !server.stopping())
                std::this_thread::sleep_for(10ms);
            response.set_content("<html>held</html>", "text/html");
        });
        server.silent("/silent");
        log->Open(home.file("full.log"), home.file("short.log"));
        downloader->Init(log);
        downloader->setTimeLimit(300ms);
        running.setText("stale");
        error.setText("stale");
        page.attach({downloader.get(), [this](const QString& site) { crawled << site; }, &running,
                     &error, warning, log});
    }

    ~PageFixture()
    {
        released = true;
        downloader->CancelAll();
        waitUntil([&] { return downloader->RunningWorkers() == 0; }, 20s);
    }

    QString download(const QString& path) { return downloader->Download(server.url(path)); }

    bool waitForRunning(int count)
    {
        return waitUntil([&] { return page.currentModel().count() == count; });
    }

    QStringList current() const { return rowsOf(page.currentModel()); }
    QStringList complete() const { return rowsOf(page.completeModel()); }

    static QStringList rowsOf(const DLoadListModel& model)
    {
        QStringList rows;
        for (int row = 0; row < model.count(); ++row)
            rows << model.rowAt(row).address;
        return rows;
    }

    void select(QListView* list, int row)
    {
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
    }

    QPushButton* button(const char* name) const
    {
        return page.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QString logText() const
    {
        QFile file(home.file("full.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

} // namespace

TEST(ucDLoad, ThreeDownloadsNewestFirstNumberedInOrder)
{
    PageFixture f;
    EXPECT_EQ(f.running.text(), "Downloading 0 pages now");
    EXPECT_EQ(f.page.lblTotalCurrent()->text(), "Total: 0 downloads");
    EXPECT_EQ(f.page.lblTotalComplete()->text(), "Complete: 0 downloads");

    for (const char* path : {"/held/1", "/held/2", "/held/3"})
        f.download(QString::fromLatin1(path));
    EXPECT_EQ(f.current(), QStringList({f.server.url("/held/3"), f.server.url("/held/2"),
                                        f.server.url("/held/1")}));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(f.page.currentModel().rowAt(row).number, 3 - row);
    EXPECT_EQ(f.page.lblTotalCurrent()->text(), "Total: 3 downloads");
    EXPECT_EQ(f.running.text(), "Downloading 3 pages now");

    f.released = true;
    ASSERT_TRUE(f.waitForRunning(0));
    EXPECT_EQ(f.complete().size(), 3);
    EXPECT_EQ(f.page.lblTotalComplete()->text(), "Complete: 3 downloads");
    EXPECT_EQ(f.page.lblTotalCurrent()->text(), "Total: 0 downloads");
    EXPECT_EQ(f.running.text(), "Downloading 0 pages now");
    EXPECT_TRUE(f.error.picture().isNull());
    EXPECT_EQ(f.error.text(), "");
}

TEST(ucDLoad, FailuresShowInPanelThreeUntilASuccess)
{
    PageFixture f;
    f.download("/missing");
    ASSERT_TRUE(f.waitForRunning(0));
    EXPECT_TRUE(f.complete().isEmpty());
    EXPECT_EQ(f.page.lblTotalComplete()->text(), "Complete: 0 downloads");
    EXPECT_EQ(f.error.text(), "Not Found");
    EXPECT_EQ(f.error.picture().cacheKey(), f.warning.cacheKey());

    // The timeout's text ends in a full stop and a blank.
    f.download("/silent");
    ASSERT_TRUE(waitUntil([&] { return f.error.text() == "Timeout exceeded"; }));
    EXPECT_FALSE(f.error.picture().isNull());

    f.download("/fast/after");
    ASSERT_TRUE(waitUntil([&] { return f.complete().size() == 1; }));
    EXPECT_TRUE(f.error.picture().isNull());
    EXPECT_EQ(f.error.text(), "");
}

TEST(ucDLoad, AnErrorOfBlanksClearsPanelThree)
{
    PageFixture f;
    f.download("/missing");
    ASSERT_TRUE(waitUntil([&] { return f.error.text() == "Not Found"; }));
    for (const QString& blanks : {QStringLiteral("   "), QStringLiteral(" \r\n \r\n")}) {
        f.released = false;
        const QString cookie = f.download("/held/" + QString::number(blanks.size()));
        f.page.moDownloader_Complete(cookie, {}, false, 653, blanks);
        EXPECT_TRUE(f.error.picture().isNull());
        EXPECT_EQ(f.error.text(), "");
        f.page.moDownloader_Complete("{unknown}", {}, false, 653, "Not Found");
        EXPECT_EQ(f.error.text(), "");
        f.released = true;
        // The real end of the download is no longer the page's.
        ASSERT_TRUE(waitUntil([&] { return f.logText().contains("'" + cookie + "'"); }));
    }
    const QString log = f.logText();
    EXPECT_TRUE(log.contains("Did not find in collection '{unknown}'. "));
    EXPECT_TRUE(log.contains("ucDLoad.moDownloader_Complete"));
    EXPECT_TRUE(f.current().isEmpty());
}

TEST(ucDLoad, CancelKeepsTheRowUntilTheDownloaderReports)
{
    PageFixture f;
    f.download("/held/a");
    f.download("/held/b");
    f.download("/held/c");
    f.select(f.page.lstCurrentDownloads(), 0);
    f.select(f.page.lstCurrentDownloads(), 2);
    f.button("cmdCancel")->click();
    EXPECT_EQ(f.current().size(), 3);
    EXPECT_EQ(f.downloader->ActiveCount(), 1);
    EXPECT_EQ(f.running.text(), "Downloading 3 pages now");

    f.released = true;
    ASSERT_TRUE(f.waitForRunning(0));
    EXPECT_EQ(f.complete().size(), 3);
}

// The user's own cancel is no failure: the row, panel 3 and the log say the download was
// cancelled, whether it was still waiting for a worker or its worker then met an error.
TEST(ucDLoad, ACancelledDownloadIsShownAndLoggedAsCancelled)
{
    PageFixture f;
    f.download("/missing");
    ASSERT_TRUE(waitUntil([&] { return f.error.text() == "Not Found"; }));

    for (int i = 0; i < zentrel::CDownloader::kMaxRunningWorkers; ++i)
        f.download("/held/" + QString::number(i));
    const QString queued = f.server.url("/held/queued");
    f.download("/held/queued");
    ASSERT_EQ(f.current().first(), queued);
    f.select(f.page.lstCurrentDownloads(), 0);
    f.button("cmdCancel")->click();
    const QModelIndex row = f.page.currentModel().index(0);
    EXPECT_EQ(row.data(Qt::DisplayRole).toString(), queued);
    EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), "Download cancelled: " + queued);
    EXPECT_FALSE(row.data(Qt::DecorationRole).value<QPixmap>().isNull());

    ASSERT_TRUE(waitUntil([&] { return !f.current().contains(queued); }));
    EXPECT_EQ(f.error.text(), "Download cancelled: " + queued);
    EXPECT_FALSE(f.error.picture().isNull());
    EXPECT_EQ(f.error.picture().cacheKey(), f.page.cancelledPicture().cacheKey());
    EXPECT_NE(f.error.picture().cacheKey(), f.warning.cacheKey());
    EXPECT_TRUE(f.complete().isEmpty());
    EXPECT_TRUE(f.logText().contains("\t5\t0x00000000\tucDLoad.moDownloader_Complete\tThe download "
                                     "of '" +
                                     queued + "' was cancelled."))
        << f.logText().toStdString();

    // A running download goes on after its cancel; the timeout it then meets is no failure.
    f.released = true;
    ASSERT_TRUE(f.waitForRunning(0));
    f.released = false;
    const QString silent = f.server.url("/silent");
    f.download("/silent");
    f.select(f.page.lstCurrentDownloads(), 0);
    f.button("cmdCancel")->click();
    EXPECT_EQ(f.current(), QStringList{silent});
    ASSERT_TRUE(f.waitForRunning(0));
    EXPECT_EQ(f.error.text(), "Download cancelled: " + silent);
    EXPECT_EQ(f.error.picture().cacheKey(), f.page.cancelledPicture().cacheKey());
}

TEST(ucDLoad, CopyPutsTheSelectedAddressOnTheClipboard)
{
    PageFixture f;
    QClipboard* clipboard = QApplication::clipboard();
    f.download("/fast/one");
    f.download("/fast/two");
    ASSERT_TRUE(waitUntil([&] { return f.complete().size() == 2; }));

    clipboard->setText("before");
    f.button("cmdCopyFromComplete")->click();
    EXPECT_EQ(clipboard->text(), "");
    clipboard->setText("before");
    f.button("cmdCopyFromCurrent")->click();
    EXPECT_EQ(clipboard->text(), "");

    // Two selected: the first from the top.
    f.select(f.page.lstCompleteDownloads(), 1);
    f.select(f.page.lstCompleteDownloads(), 0);
    f.button("cmdCopyFromComplete")->click();
    EXPECT_EQ(clipboard->text(), f.complete().first());

    f.button("cmdClear")->click();
    EXPECT_TRUE(f.complete().isEmpty());
    EXPECT_EQ(f.page.lblTotalComplete()->text(), "Complete: 0 downloads");
}

TEST(ucDLoad, BrowseOpensOnlyWebAddressesAsOneArgument)
{
    PageFixture f;
    testsupport::BrowserRecorder browser;
    const QString quoted = f.server.url("/a\" & touch x; \"b");
    f.page.moDownloader_StartDownload("{file}", "file:///etc/passwd");
    f.page.moDownloader_StartDownload("{quoted}", quoted);

    f.button("cmdBrowseFromCurrent")->click(); // nothing selected
    f.select(f.page.lstCurrentDownloads(), 1);
    f.button("cmdBrowseFromCurrent")->click();
    EXPECT_TRUE(f.logText().contains(
        "\t4\t0x00000000\tucDLoad.cmdBrowseFromCurrent_Click\tNot a web address, not opened: "
        "'file:///etc/passwd'."))
        << f.logText().toStdString();

    f.page.lstCurrentDownloads()->clearSelection();
    f.select(f.page.lstCurrentDownloads(), 0);
    emit f.page.lstCurrentDownloads()->doubleClicked(f.page.currentModel().index(0));
    ASSERT_TRUE(browser.waitForOpened(1));
    EXPECT_EQ(browser.opened(), QStringList({quoted}));

    f.download("/fast/page");
    ASSERT_TRUE(waitUntil([&] { return f.complete().size() == 1; }));
    f.select(f.page.lstCompleteDownloads(), 0);
    f.button("cmdBrowseFromComplete")->click();
    ASSERT_TRUE(browser.waitForOpened(2));
    EXPECT_EQ(browser.opened().last(), f.server.url("/fast/page"));
}

TEST(ucDLoad, ContextMenuCopiesBrowsesAndCrawls)
{
    PageFixture f;
    testsupport::BrowserRecorder browser;
    QListView* list = f.page.lstCurrentDownloads();
    const QStringList addresses = {"https://example.org", "http://example.org/dir/page.htm"};
    f.page.moDownloader_StartDownload("{site}", addresses[0]);
    f.page.moDownloader_StartDownload("{page}", addresses[1]);
    f.page.resize(600, 400);
    f.page.show();
    const auto openMenu = [&] {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                list->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &event);
    };
    QMenu* menu = f.page.mnuContext();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "&Copy");
    EXPECT_EQ(items[1]->text(), "Open in &Browser");
    EXPECT_EQ(items[2]->text(), "&Collect Keywords from This Web Site");

    openMenu(); // nothing selected: no menu
    EXPECT_FALSE(menu->isVisible());

    f.select(list, 0);
    openMenu();
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    EXPECT_EQ(f.page.rememberedURL(), addresses[1]);
    items[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), addresses[1]);
    items[1]->trigger();
    ASSERT_TRUE(browser.waitForOpened(1));
    EXPECT_EQ(browser.opened(), QStringList({addresses[1]}));
    items[2]->trigger();
    EXPECT_EQ(f.crawled, QStringList({"http://example.org/dir"}));

    list->clearSelection();
    f.select(list, 1);
    openMenu();
    menu->hide();
    EXPECT_EQ(f.page.rememberedURL(), addresses[0]);
    items[2]->trigger(); // a bare host: nothing to crawl
    EXPECT_EQ(f.crawled.size(), 1);
}

TEST(ucDLoad, CrawlFailureIsLogged)
{
    PageFixture f;
    ucDLoad::Links links{
        f.downloader.get(),
        [](const QString&) { throw zentrel::ZError(0x80040001u, "No project. ", "Zentrel"); },
        &f.running,
        &f.error,
        f.warning,
        f.log};
    f.page.attach(std::move(links));
    f.page.moDownloader_StartDownload("{page}", "http://example.org/a/b");
    f.select(f.page.lstCurrentDownloads(), 0);
    f.page.showContextMenu(f.page.lstCurrentDownloads(), {});
    f.page.mnuContext()->hide();
    f.page.mnuCrawlFromSite_Click();
    EXPECT_TRUE(
        f.logText().contains("\t4\t0x80040001\tucDLoad.mnuCrawlFromSite_Click\tNo project. "))
        << f.logText().toStdString();
}
