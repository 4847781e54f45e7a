#include "app/shell/FMain.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/collect/CollectCommands.h"
#include "app/collect/FMoveToGroup.h"
#include "app/feedback/ContactMenu.h"
#include "app/keywords/KWProgramServices.h"
#include "app/keywords/KWStore.h"
#include "app/shell/DBaserKWStore.h"
#include "app/shell/DatabaseWork.h"
#include "app/shell/FAbout.h"
#include "app/shell/FMainPages.h"
#include "app/shell/IVXPage.h"
#include "app/shell/MBrowser.h"
#include "app/shell/MIcons.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MMisc.h"
#include "app/shell/MScreenSize.h"
#include "app/shell/MSettings.h"
#include "app/shell/MStrings.h"
#include "app/shell/MainEngine.h"
#include "app/shell/MsgService.h"
#include "app/shell/ProjectFiles.h"
#include "app/shell/StatusPanel.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/Folders.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

const QString kProductName = QStringLiteral("Quintara Keywords");

const QString kPlacement[4] = {QStringLiteral("Top"), QStringLiteral("Left"),
                               QStringLiteral("Width"), QStringLiteral("Height")};

} // namespace

FMain::FMain(QWidget* parent)
    : QMainWindow(parent)
    , m_files(new ProjectFiles(this, [this] { return database(); }))
    , m_pageFactory(&FMain::createPage)
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

QString FMain::pageKey(int number)
{
    return FMainPages::pageKey(number);
}

QString FMain::tabKey(int number)
{
    return FMainPages::tabKey(number);
}

QWidget* FMain::createPage(int number, QWidget* parent)
{
    return FMainPages::createPage(number, parent);
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
        const int index = m_ts->addTab(FMainPages::caption(i));
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
    m_panels[2]->setPicture(MIcons::warningPicture());

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

void FMain::setCommandHandler(std::function<void(const QString&)> handler)
{
    m_commandHandler = std::move(handler);
}

void FMain::RunCommand(const QString& menu)
{
    if (ContactMenu::Run(menu, this, m_log))
        return;
    CollectCommands collect(this, [this](int tab) { RefreshTab(tab); });
    if (collect.Run(menu, m_log, scripting()))
        return;
    if (m_commandHandler)
        m_commandHandler(menu);
}

void FMain::writeLog(const QString& text, int level, const QString& source) const
{
    if (m_log)
        m_log->Write(0, text, level, source);
}

// ---- pages ----

IVXPage* FMain::page(int number) const
{
    return mcolPages.page(number);
}

IVXPage* FMain::page(const QString& key) const
{
    return mcolPages.page(key);
}

QWidget* FMain::pageWidget(int number) const
{
    return mcolPages.widget(number);
}

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
    if (Tabb >= 2 && Tabb <= 5)
        page(Tabb)->init(scripting(), m_log, this);
}

void FMain::RefreshTab(int Tabb)
{
    if (Tabb >= 2 && Tabb <= 5)
        page(Tabb)->Refresh();
}

// ---- navigation and menus ----

void FMain::ShowCurrentPage()
{
    mcolPages.show(miCurrentPage);
    UpdateMenus();
}

void FMain::UpdateMenus()
{
    m_menus.enableForPage(miCurrentPage);
}

void FMain::FillSearchEngineMenus()
{
    m_menus.FillSearchEngineMenus();
}

void FMain::DispatchMenuEvent(const QString& MenuItemID, int Index)
{
    IVXPage* target = nullptr;
    if (MenuItemID == u"CS_MENU_NEW_GROUP" || MenuItemID == u"CS_MENU_NEW_GROUP_TO_ROOT")
        target = page(QStringLiteral("ucGroups"));
    else if (MenuItemID == u"CS_MENU_OPEN_SER_FOR_CUSTOM_KW")
        target = page(QStringLiteral("ucKWs"));
    else
        target = page(miCurrentPage == 6 ? QStringLiteral("ucDLoads") : pageKey(miCurrentPage));
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
        miCurrentPage = miCurrentPage <= 1 ? kPageCount : miCurrentPage - 1;
    else
        miCurrentPage = miCurrentPage >= kPageCount ? 1 : miCurrentPage + 1;
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
    const int target = number == 1 ? 2 : number == 2 ? 6 : 0;
    if (target == 0 || mcolPages.empty())
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
    MSettings::setRankMode(mbAdvancedRankMode);
    // One measure both ways: the client geometry of the normal window, in twips.
    const bool normal = !(isMinimized() || isMaximized() || isFullScreen());
    const QRect placement = normal || normalGeometry().isEmpty() ? geometry() : normalGeometry();
    MSettings::setWindow(QStringLiteral("Top"), MScreenSize::pixelsToTwipsY(placement.top()));
    MSettings::setWindow(QStringLiteral("Left"), MScreenSize::pixelsToTwipsX(placement.left()));
    MSettings::setWindow(QStringLiteral("Width"), MScreenSize::pixelsToTwipsX(placement.width()));
    MSettings::setWindow(QStringLiteral("Height"), MScreenSize::pixelsToTwipsY(placement.height()));
}

void FMain::restorePlacement()
{
    QRect placement = geometry();
    const auto value = [](int i) { return MSettings::window(kPlacement[i]).value_or(0); };
    const int top = value(0);
    const int left = value(1);
    const int width = value(2);
    const int height = value(3);
    if (top > 0)
        placement.moveTop(top / MScreenSize::TwipsPerPixelY());
    if (left > 0)
        placement.moveLeft(left / MScreenSize::TwipsPerPixelX());
    if (width > 0)
        placement.setWidth(width / MScreenSize::TwipsPerPixelX());
    if (height > 0)
        placement.setHeight(height / MScreenSize::TwipsPerPixelY());
    setGeometry(placement);
}

// ---- load, activation and shutdown ----

bool FMain::Form_Load()
{
    const QString source = QStringLiteral("FMain.Form_Load");
    try {
        if (!takeRunLock())
            return false;

        WarningPicture = m_panels[2]->picture();
        m_panels[2]->setPicture({});
        MMinMaxInfo::HookFMain(this);

        QString mdac;
        QString jet;
        zentrel::CUtilities::GetDataComponentsVersions(mdac, jet);
        writeLog(QStringLiteral("MDAC ver. ") + mdac + QStringLiteral(" Jet ver. ") + jet, 5,
                 source);

        m_engine.Start(m_log, MSettings::searchesCountInterval());
        DatabaseWork::takeOver(this, *m_engine.database());

        m_files->setLog(m_log);
        if (!m_files->OpenAtLoad())
            return false;
        UpdateCaption();

        mcolPages.build(m_pageFactory, m_pageLayout);
        mcolPages.forEach([this](IVXPage& page) { page.init(scripting(), m_log, this); });
        FillSearchEngineMenus();
        miCurrentPage = 1;
        selectTab(1);
        mbFirstActivate = true;
        return true;
    } catch (const zentrel::ZError& error) {
        if (m_log)
            m_log->Write(error.number(), error.description(), 4, source);
        MsgService::showMsg(this, error.description(), MsgService::Exclamation);
    } catch (const std::exception& error) {
        writeLog(QString::fromUtf8(error.what()), 4, source);
        MsgService::showMsg(this, QString::fromUtf8(error.what()), MsgService::Exclamation);
    }
    return false;
}

// One program per data folder. The lock is held for the whole run, so only a lock whose
// process has ended (a crashed run) is stale; a second start leaves the first untouched.
bool FMain::takeRunLock()
{
    auto lock =
        std::make_unique<QLockFile>(zentrel::Folders::dataPath(QStringLiteral("VXWorking")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        const QString text = kProductName + QStringLiteral(" is already running.");
        writeLog(text, 4, QStringLiteral("FMain.Form_Load"));
        MsgService::showMsg(this, text, MsgService::Exclamation);
        return false;
    }
    mhMutex = std::move(lock);
    return true;
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
        MSettings::setFirstStart(QDateTime::currentDateTime().toString(Qt::ISODate));
        SetRankMode(MSettings::rankMode().toLower() == u"advanced");
        restorePlacement();
        writeLog(QStringLiteral("Initialized successfullly. "), 5, source);
    } catch (const zentrel::ZError& error) {
        if (m_log)
            m_log->Write(error.number(), error.description(), 4, source);
    } catch (const std::exception& error) {
        writeLog(QString::fromUtf8(error.what()), 4, source);
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
    RefreshTab(5);
    RefreshTab(3);
    InitTab(4);
    RefreshTab(2);
    UpdateCaption();
}

void FMain::mnuPauseAutoResearch_Click()
{
    const bool paused = m_engine.ToggleAutoResearch();
    m_menus.action(QStringLiteral("mnuPauseAutoResearch"))
        ->setText(MStrings::text(paused ? 189 : 188));
}

void FMain::mnuRefreshSearchesCounts_Click()
{
    try {
        if (MsgService::showMsg(this, MStrings::text(190), 49) != MsgService::OK)
            return;
        m_engine.RecalcOverTimes(this);
        for (int tab = 2; tab <= 5; ++tab)
            RefreshTab(tab);
        MsgService::showMsg(this, MStrings::text(191), MsgService::Information);
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(this, error.description(), MsgService::Exclamation);
    }
}

// ---- engine ----

zentrel::DBaser* FMain::database() const
{
    return m_engine.database();
}

std::unique_ptr<KWStore> FMain::createKWStore()
{
    if (database() == nullptr)
        return nullptr;
    return std::make_unique<DBaserKWStore>(database());
}

bool FMain::PickGroup(QWidget* parent, const QString& caption, const QString& prompt, bool withRank,
                      int& groupId, int& relevancy)
{
    KWProgramServices services(m_log);
    FMoveToGroup picker(parent ? parent->window() : this);
    picker.init(&services, database(), &m_groupPicks);
    return picker.ShowPicker(caption, prompt, withRank, groupId, false, 0, &relevancy);
}

void FMain::CollectBySelectedKeyword(const QString& kw)
{
    m_engine.CollectBySelectedKeyword(kw);
}

void FMain::OpenSERForKW(const QString& kw, int engine)
{
    MMisc::OpenSERForKW(kw, engine, m_log);
}

void FMain::mnuReadUsersManual_Click()
{
    MBrowser::openOwnPage(QStringLiteral("quintara-keywords-users-guide.htm"), m_log,
                          QStringLiteral("FMain.mnuReadUsersManual_Click"));
}

void FMain::mnuVisitWebSite_Click()
{
    MBrowser::open(FAbout::homePage() + QStringLiteral("/quintara-keywords.htm"), m_log,
                   QStringLiteral("FMain.mnuVisitWebSite_Click"));
}

void FMain::mnuAbout_Click()
{
    FAbout about(this);
    about.exec();
}
