#include "app/shell/FMain.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/shell/DatabaseWork.h"
#include "app/shell/DesktopBrowser.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/EngineSession.h"
#include "app/shell/FAbout.h"
#include "app/shell/IVXPage.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MMisc.h"
#include "app/shell/MainPages.h"
#include "app/shell/MsgService.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/ProjectFiles.h"
#include "app/shell/RunLock.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "app/shell/WindowPlacement.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

const QString kProductName = QStringLiteral("Quintara Keywords");

} // namespace

FMain::FMain(QWidget* parent)
    : QMainWindow(parent)
    , m_files(new ProjectFiles(this, [this] { return database(); }))
{
    setWindowTitle(kProductName);
    resize(800, 600);
    buildControls();
    m_menus.build(this);
    connectMenus();
    connect(m_files, &ProjectFiles::projectChanged, this, &FMain::refreshAfterProjectChange);
    connect(m_files, &ProjectFiles::cacheChanged, this, &FMain::UpdateCaption);
}

FMain::~FMain()
{
    // A window that never ran its unload still stops the engine.
    if (!m_unloaded)
        FinalizeEngine();
}

void FMain::buildControls()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(0);
    m_ts = new QTabBar(central);
    m_ts->setObjectName(QStringLiteral("ts"));
    m_ts->setFocusPolicy(Qt::NoFocus);
    m_ts->setExpanding(false);
    for (int i = 1; i <= kPageCount; ++i) {
        const int index = m_ts->addTab(MainPages::caption(i));
        m_ts->setTabData(index, tabKey(i));
    }
    // Whatever moves the tab (a click, the wheel, the keyboard) moves the page with it.
    connect(m_ts, &QTabBar::currentChanged, this, &FMain::ts_Click);
    m_pageArea = new QWidget(central);
    m_pageLayout = new QGridLayout(m_pageArea);
    m_pageLayout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(m_ts);
    layout->addWidget(m_pageArea, 1);
    setCentralWidget(central);

    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("sb"));
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new StatusPanel(sb);
        m_panels[i]->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        sb->addWidget(m_panels[i], 1);
        connect(m_panels[i], &StatusPanel::clicked, this, [this, i] { sb_PanelClick(i + 1); });
        connect(m_panels[i], &StatusPanel::doubleClicked, this, &FMain::mnuOpenProject_Click);
    }
    m_panels[2]->setPicture(DrawnIcons::warningPicture());

    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(next, &QShortcut::activated, this, [this] { showNextPage(false); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previous, &QShortcut::activated, this, [this] { showNextPage(true); });
    auto* previousTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
    connect(previousTab, &QShortcut::activated, this, [this] { showNextPage(true); });
}

StatusPanel* FMain::panel(int number) const
{
    return number >= 1 && number <= 3 ? m_panels[number - 1] : nullptr;
}

void FMain::connectMenus()
{
    m_menus.connectPageCommands(
        this, [this](const QString& id, int index) { DispatchMenuEvent(id, index); });
    m_menus.connectOtherCommands(this, [this](const QString& menu) { RunCommand(menu); });
    const auto on = [this](const char* name, void (FMain::*handler)()) {
        connect(m_menus.action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("mnuNewProject", &FMain::mnuNewProject_Click);
    on("mnuOpenProject", &FMain::mnuOpenProject_Click);
    on("mnuConnecttoCache", &FMain::mnuConnecttoCache_Click);
    on("mnuPauseAutoResearch", &FMain::mnuPauseAutoResearch_Click);
    on("mnuRefreshSearchesCounts", &FMain::mnuRefreshSearchesCounts_Click);
    on("mnuReadUsersManual", &FMain::mnuReadUsersManual_Click);
    on("mnuVisitWebSite", &FMain::mnuVisitWebSite_Click);
    on("mnuAbout", &FMain::mnuAbout_Click);
    connect(m_menus.action(QStringLiteral("mnuExit")), &QAction::triggered, this, &QWidget::close);
}

void FMain::RunCommand(const QString& menu)
{
    if (m_commandHandler)
        m_commandHandler(menu);
}

void FMain::writeLog(const QString& text, int level, const QString& source) const
{
    if (m_log)
        m_log->Write(0, text, level, source);
}

// ---- pages ----

void FMain::SetRankMode(bool SetAdvanced)
{
    mbAdvancedRankMode = SetAdvanced;
    mcolPages.forEach([SetAdvanced](IVXPage& page) {
        try {
            page.SetRankMode(SetAdvanced);
        } catch (const std::exception&) {
            // A page that cannot switch keeps its mode.
        }
    });
}

void FMain::InitTab(int Tabb)
{
    if (Tabb >= Tab::Raw && Tabb <= Tab::Banned)
        page(Tabb)->init(scripting(), m_log, this);
}

void FMain::RefreshTab(int Tabb)
{
    if (Tabb >= Tab::Raw && Tabb <= Tab::Banned)
        page(Tabb)->Refresh();
}

// ---- navigation and menus ----

void FMain::ShowCurrentPage()
{
    mcolPages.show(miCurrentPage);
    UpdateMenus();
}

void FMain::DispatchMenuEvent(const QString& MenuItemID, int Index)
{
    IVXPage* target = nullptr;
    if (MenuItemID == u"CS_MENU_NEW_GROUP" || MenuItemID == u"CS_MENU_NEW_GROUP_TO_ROOT")
        target = page(QStringLiteral("ucGroups"));
    else if (MenuItemID == u"CS_MENU_OPEN_SER_FOR_CUSTOM_KW")
        target = page(QStringLiteral("ucKWs"));
    else
        target = page(miCurrentPage == Tab::Downloading ? QStringLiteral("ucDLoads")
                                                        : pageKey(miCurrentPage));
    if (target == nullptr)
        return;
    try {
        target->MenuEvent(MenuItemID, Index);
    } catch (const std::exception&) {
        // The page reports its own errors; nothing may leave the menu's slot.
    }
}

void FMain::ts_Click()
{
    const int index = m_ts->currentIndex();
    miCurrentPage = MMisc::PageIndexFromKey(m_ts->tabData(index).toString());
    ShowCurrentPage();
}

void FMain::showNextPage(bool backwards)
{
    if (backwards)
        miCurrentPage = miCurrentPage <= Tab::Help ? kPageCount : miCurrentPage - 1;
    else
        miCurrentPage = miCurrentPage >= kPageCount ? Tab::Help : miCurrentPage + 1;
    selectTab(miCurrentPage);
}

void FMain::selectTab(int number)
{
    const QSignalBlocker quiet(m_ts);
    m_ts->setCurrentIndex(number - 1);
    ShowCurrentPage();
}

void FMain::sb_PanelClick(int number)
{
    const Tab::Number target = number == 1 ? Tab::Raw : number == 2 ? Tab::Downloading : Tab::None;
    if (target == Tab::None || mcolPages.empty())
        return;
    miCurrentPage = target;
    selectTab(target);
}

// ---- caption and settings ----

QString FMain::cacheFileName() const
{
    return m_files->cacheFileName();
}

QString FMain::currentProjectFileName() const
{
    return m_files->currentProjectFileName();
}

QString FMain::baseName(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

void FMain::UpdateCaption()
{
    setWindowTitle(kProductName + QStringLiteral(" - ") +
                   baseName(m_files->currentProjectFileName()) + QStringLiteral(" (") +
                   baseName(m_files->cacheFileName()) + u')');
}

void FMain::SaveSettings()
{
    ProgramSettings::setRankMode(mbAdvancedRankMode);
    WindowPlacement::save(*this);
}

// ---- load, activation and shutdown ----

bool FMain::Form_Load()
{
    const QString source = QStringLiteral("FMain.Form_Load");
    try {
        mhMutex = RunLock::take(this, kProductName, m_log);
        if (!mhMutex)
            return false;

        WarningPicture = m_panels[2]->picture();
        m_panels[2]->setPicture({});
        MMinMaxInfo::HookFMain(this);

        QString mdac;
        QString jet;
        zentrel::CUtilities::GetDataComponentsVersions(mdac, jet);
        writeLog(QStringLiteral("MDAC ver. ") + mdac + QStringLiteral(" Jet ver. ") + jet, 5,
                 source);

        m_engine.Start(m_log, ProgramSettings::searchesCountInterval());
        DatabaseWork::takeOver(this, *m_engine.database());

        m_files->setLog(m_log);
        if (!m_files->OpenAtLoad())
            return false;
        UpdateCaption();

        mcolPages.build(m_pageFactory, m_pageLayout);
        mcolPages.forEach([this](IVXPage& page) { page.init(scripting(), m_log, this); });
        FillSearchEngineMenus();
        miCurrentPage = Tab::Help;
        selectTab(Tab::Help);
        mbFirstActivate = true;
        return true;
    } catch (const zentrel::ZError& error) {
        LoggingGuard(LoggingGuard::writerOf(m_log), 4, source).write(error);
        MsgService::showMsg(this, error.description(), MsgService::Exclamation);
    } catch (const std::exception& error) {
        LoggingGuard(LoggingGuard::writerOf(m_log), 4, source).write(error);
        MsgService::showMsg(this, QString::fromUtf8(error.what()), MsgService::Exclamation);
    }
    return false;
}

void FMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Form_Activate();
}

bool FMain::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(event);
}

void FMain::Form_Activate()
{
    if (!mbFirstActivate)
        return;
    mbFirstActivate = false;
    const QString source = QStringLiteral("FMain.Form_Activate");
    try {
        ProgramSettings::setFirstStart(QDateTime::currentDateTime().toString(Qt::ISODate));
        SetRankMode(ProgramSettings::rankMode().toLower() == u"advanced");
        WindowPlacement::restore(*this);
        writeLog(QStringLiteral("Initialized successfullly. "), 5, source);
    } catch (const std::exception& error) {
        LoggingGuard(LoggingGuard::writerOf(m_log), 4, source).write(error);
    }
}

void FMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void FMain::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const QString source = QStringLiteral("FMain.Form_Unload");
    writeLog(QStringLiteral("Form_Unload() call."), 5, source);
    try {
        SaveSettings();
    } catch (const std::exception&) {
        // The remaining steps still run.
    }
    WarningPicture = {};
    mcolPages.forEach([](IVXPage& page) {
        try {
            page.Finalize();
        } catch (const std::exception&) {
        }
    });
    FinalizeEngine();
    MMinMaxInfo::UnhookFMain(this);
    try {
        zentrel::CUtilities::RemoveTempFolder();
    } catch (const std::exception&) {
    }
    writeLog(QStringLiteral("Form_Unload() complete."), 5, source);
    mhMutex.reset();
    writeLog(QStringLiteral("Form_Terminate() complete."), 5,
             QStringLiteral("FMain.Form_Terminate"));
}

void FMain::FinalizeEngine()
{
    m_engine.Shutdown();
    mcolPages.clear();
}

// ---- commands ----

void FMain::mnuNewProject_Click()
{
    m_files->NewProject();
}

void FMain::mnuOpenProject_Click()
{
    m_files->OpenProject();
}

void FMain::mnuConnecttoCache_Click()
{
    m_files->ConnectToDatabase();
}

void FMain::refreshAfterProjectChange()
{
    RefreshTab(Tab::Banned);
    RefreshTab(Tab::KWs);
    InitTab(Tab::Groups);
    RefreshTab(Tab::Raw);
    UpdateCaption();
}

void FMain::mnuPauseAutoResearch_Click()
{
    const bool paused = m_engine.ToggleAutoResearch();
    m_menus.action(QStringLiteral("mnuPauseAutoResearch"))
        ->setText(StringTable::text(paused ? 189 : 188));
}

void FMain::mnuRefreshSearchesCounts_Click()
{
    try {
        if (MsgService::showMsg(this, StringTable::text(190), 49) != MsgService::OK)
            return;
        m_engine.RecalcOverTimes(this);
        for (const Tab::Number tab : {Tab::Raw, Tab::KWs, Tab::Groups, Tab::Banned})
            RefreshTab(tab);
        MsgService::showMsg(this, StringTable::text(191), MsgService::Information);
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(this, error.description(), MsgService::Exclamation);
    }
}

void FMain::mnuReadUsersManual_Click()
{
    DesktopBrowser::openOwnPage(QStringLiteral("quintara-keywords-users-guide.htm"), m_log,
                                QStringLiteral("FMain.mnuReadUsersManual_Click"));
}

void FMain::mnuVisitWebSite_Click()
{
    DesktopBrowser::open(FAbout::homePage() + QStringLiteral("/quintara-keywords.htm"), m_log,
                         QStringLiteral("FMain.mnuVisitWebSite_Click"));
}

void FMain::mnuAbout_Click()
{
    FAbout about(this);
    about.exec();
}
