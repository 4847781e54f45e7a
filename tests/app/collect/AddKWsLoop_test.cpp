#include <functional>
#include <limits>
#include <memory>

#include <optional>

#include <QAction>
#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/collect/AddKWsLoop.h"
#include "app/collect/MMisc.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/FMain.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/Tab.h"
#include "engine/platform/CLog.h"
#include "tests/app/collect/CollectFixture.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WriteLockHolder.h"

namespace {

// The program's main window with its own pages on a default project, shown.
struct ShownWindow {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    std::unique_ptr<FMain> window = std::make_unique<FMain>();

    ShownWindow()
    {
        wiring.wire(*window);
        auto log = std::make_shared<zentrel::CLog>();
        log->Open(home.file("full.log"), home.file("short.log"));
        window->setLog(log);
        loaded = window->Form_Load();
        window->show();
    }
    ~ShownWindow()
    {
        if (window)
            window->close();
    }

    bool loaded = false;
};

bool anyDialogShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<FAddKWs*>(widget) && widget->isVisible())
            return true;
    return false;
}

// Lines enough to need new pages of the project file.
QString manyKeywords()
{
    QStringList lines;
    for (int i = 0; i < 400; ++i)
        lines << QStringLiteral("typed keyword number %1").arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

// The project file cannot grow: SQLite's own limit on its pages, as on a full disk.
class FullProject {
public:
    explicit FullProject(zentrel::DBaser& db)
        : m_db(db)
    {
        const int pages =
            m_db.ProjectDB()->scalar(QStringLiteral("PRAGMA project.page_count")).toInt();
        limit(pages);
    }
    ~FullProject() { release(); }
    FullProject(const FullProject&) = delete;
    FullProject& operator=(const FullProject&) = delete;

    void release() { limit(std::numeric_limits<int>::max()); }

private:
    void limit(int pages)
    {
        m_db.ProjectDB()->scalar(QStringLiteral("PRAGMA project.max_page_count = %1").arg(pages));
    }

    zentrel::DBaser& m_db;
};

} // namespace

TEST(AddKWsLoop, AStoreThatFailsIsShownAndTheTextComesBackForAnotherTry)
{
    MMain::DefaultSetRank = false;
    const struct {
        const char* name;
        AddKWsLoop::Source command;
        const char* logSource;
        bool full;    // else a held file
        bool project; // the file held
    } cases[] = {
        {"typed, on a full disk", AddKWsLoop::Source::ByHand, "MMisc.AddKeywords", true, true},
        {"pasted, the project held", AddKWsLoop::Source::Paste, "MMisc.PasteKWs", false, true},
        {"from a file, the cache held", AddKWsLoop::Source::TextFile, "MMisc.ImportKWs", false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        collecttest::Engine e;
        const QString text = manyKeywords();
        std::optional<FullProject> full;
        std::optional<testsupport::WriteLockHolder> holder;
        if (c.full)
            full.emplace(e.db());
        else
            holder.emplace(c.project ? e.db().ProjectDBFilename() : e.db().CacheDBFilename());
        QString textAgain;
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
            dialog->setText(text);
            dialog->accept();
            collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
                textAgain = again->Text();
                if (full)
                    full->release();
                if (holder)
                    holder->release();
                again->accept();
            });
        });
        switch (c.command) {
        case AddKWsLoop::Source::ByHand:
            MMisc::AddKeywords(e.log, e.scripting, e.owner);
            break;
        case AddKWsLoop::Source::Paste:
            QApplication::clipboard()->setText(QStringLiteral("pasted"));
            MMisc::PasteKWs(e.owner, e.log, e.scripting);
            break;
        case AddKWsLoop::Source::TextFile:
            e.script.file(e.writeFile("keywords.txt", "from the file"));
            MMisc::ImportKWs(e.log, e.scripting, e.owner);
            break;
        }
        EXPECT_EQ(textAgain, text);
        const QStringList messages = e.messages();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().startsWith(QStringLiteral("Cannot store the keywords. ")));
        if (c.full)
            EXPECT_TRUE(messages.first().contains(QStringLiteral("full")))
                << messages.first().toStdString();
        else
            EXPECT_TRUE(messages.first().contains(
                QStringLiteral("'%1' is locked by another program")
                    .arg(c.project ? e.db().ProjectDBFilename() : e.db().CacheDBFilename())))
                << messages.first().toStdString();
        EXPECT_EQ(e.logSources().count(c.logSource), 1);
        // The second pass stored every line, in one operation.
        EXPECT_EQ(e.keywords().size(), 400);
        EXPECT_EQ(e.operations(), QStringList{"Manual Addition"});
        EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
    }
}

TEST(AddKWsLoop, TheLoopEndsWithItsWindow)
{
    MMain::DefaultSetRank = false;
    const struct {
        const char* name;
        std::function<void(ShownWindow&)> end;
    } cases[] = {
        {"the window is closed", [](ShownWindow& w) { w.window->close(); }},
        {"the session closes every window", [](ShownWindow&) { QApplication::closeAllWindows(); }},
        {"the window is destroyed", [](ShownWindow& w) { w.window.reset(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShownWindow w;
        ASSERT_TRUE(w.loaded);
        bool corrected = false;
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
            dialog->setText("bad#one");
            dialog->accept();
            collecttest::onActiveModal<FAddKWs>([&](FAddKWs*) {
                corrected = true;
                c.end(w);
            });
        });
        w.window->menuItem("mnuAddKeywords")->trigger();
        EXPECT_TRUE(corrected);
        EXPECT_FALSE(anyDialogShown());
    }
}
