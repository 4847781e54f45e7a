#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QLockFile>
#include <QMainWindow>
#include <QPixmap>

#include "app/shell/EngineSession.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MainPages.h"
#include "app/shell/Tab.h"

class IVXPage;
class ProjectFiles;
class QGridLayout;
class QTabBar;
class StatusPanel;

namespace zentrel {
class CLog;
class DBaser;
class Scripting;
} // namespace zentrel

// The main window: owner of the engine, the log, the open databases (their files through
// ProjectFiles) and the six pages; menus, navigation, settings and shutdown.
class FMain final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FMain)

public:
    static constexpr int kPageCount = MainPages::kPageCount;
    using PageFactory = MainPages::PageFactory;

    explicit FMain(QWidget* parent = nullptr);
    ~FMain() override;

    std::shared_ptr<zentrel::CLog> Log() const { return m_log; }
    void setLog(std::shared_ptr<zentrel::CLog> log) { m_log = std::move(log); }
    void SetRankMode(bool SetAdvanced);
    void InitTab(int Tabb);
    void RefreshTab(int Tabb);
    // The picture status-bar panel 3 shows after a failed download.
    QPixmap WarningPicture;

    // Opens the engine and both databases and builds the pages; false when the program is to
    // end (the user chose so, or the load failed).
    bool Form_Load();
    // The shutdown; runs once, also when the window is closed.
    void Form_Unload();
    // Shuts the engine down (EngineSession) and lets go of the pages.
    void FinalizeEngine();
    void UpdateCaption();
    void SaveSettings();

    // Makes the pages at the load; without one the load fails.
    void setPageFactory(PageFactory factory) { m_pageFactory = std::move(factory); }
    static QString pageKey(int number) { return MainPages::pageKey(number); }
    static QString tabKey(int number) { return MainPages::tabKey(number); }
    IVXPage* page(int number) const { return mcolPages.page(number); }
    IVXPage* page(const QString& key) const { return mcolPages.page(key); }
    QWidget* pageWidget(int number) const { return mcolPages.widget(number); }

    int currentPage() const { return miCurrentPage; }
    bool advancedRankMode() const { return mbAdvancedRankMode; }
    QString cacheFileName() const;
    QString currentProjectFileName() const;
    zentrel::Scripting* scripting() const { return m_engine.scripting(); }
    // The engine's database object; null before the load and after the shutdown.
    zentrel::DBaser* database() const { return m_engine.database(); }
    bool unloaded() const { return m_unloaded; }

    QTabBar* ts() const { return m_ts; }
    StatusPanel* panel(int number) const;
    QAction* menuItem(const QString& name) const { return m_menus.action(name); }
    const MainMenus& menus() const { return m_menus; }

    // The base name of a path: after its last separator, cut before its last ".".
    static QString baseName(const QString& path);

    // Commands.
    void mnuNewProject_Click();
    void mnuOpenProject_Click();
    void mnuConnecttoCache_Click();
    void mnuPauseAutoResearch_Click();
    void mnuRefreshSearchesCounts_Click();
    void mnuReadUsersManual_Click();
    void mnuVisitWebSite_Click();
    void mnuAbout_Click();
    void DispatchMenuEvent(const QString& MenuItemID, int Index);
    // Commands of the collection, feedback and import parts, by menu name.
    void setCommandHandler(std::function<void(const QString& menu)> handler)
    {
        m_commandHandler = std::move(handler);
    }
    void RunCommand(const QString& menu);

    // Navigation.
    void ts_Click();
    void showNextPage(bool backwards);
    void sb_PanelClick(int number);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildControls();
    void connectMenus();
    void writeLog(const QString& text, int level, const QString& source) const;
    void ShowCurrentPage();
    // Selects the page's tab without running the tab's handler, and shows the page.
    void selectTab(int number);
    void UpdateMenus() { m_menus.enableForPage(miCurrentPage); }
    void FillSearchEngineMenus() { m_menus.FillSearchEngineMenus(); }
    void Form_Activate();
    void refreshAfterProjectChange();

    std::shared_ptr<zentrel::CLog> m_log;
    EngineSession m_engine;
    std::unique_ptr<QLockFile> mhMutex;
    ProjectFiles* m_files;
    int miCurrentPage = Tab::Help;
    MainPages mcolPages;
    bool mbAdvancedRankMode = false;
    bool mbFirstActivate = false;
    bool m_unloaded = false;

    MainMenus m_menus;
    PageFactory m_pageFactory;
    std::function<void(const QString&)> m_commandHandler;
    QTabBar* m_ts = nullptr;
    QWidget* m_pageArea = nullptr;
    QGridLayout* m_pageLayout = nullptr;
    StatusPanel* m_panels[3] = {};
};
