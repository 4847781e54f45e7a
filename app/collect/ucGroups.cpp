#include "app/collect/ucGroups.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/collect/GroupTree.h"
#include "app/collect/MMisc.h"
#include "app/collect/MainWindowKWOwner.h"
#include "app/keywords/DBaserKWStore.h"
#include "app/keywords/KWProgramServices.h"
#include "app/keywords/KWStore.h"
#include "app/keywords/PickedRow.h"
#include "app/keywords/ucKW.h"
#include "app/shell/CSplitter.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/StringTable.h"
#include "engine/database/DBaser.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

constexpr int kTwips = 15; // twips per pixel
constexpr int kMargin = 60;
constexpr KWPageType kGroupPageType = KWPageType::Group;

int px(int twips)
{
    return twips / kTwips;
}

} // namespace

ucGroups::ucGroups(QWidget* parent)
    : ucGroups(nullptr, parent)
{
}

ucGroups::ucGroups(MainWindowKWOwner* owner, QWidget* parent)
    : QWidget(parent)
    , m_pageOwner(owner)
    , m_pSplit(new QSplitter(Qt::Vertical, this))
    , m_top(new QWidget(m_pSplit))
    , m_tv(new QTreeWidget(m_top))
    , m_cmdAdd(new QPushButton(QStringLiteral("&New..."), m_top))
    , m_cmdRemove(new QPushButton(QStringLiteral("&Delete"), m_top))
    , m_KWs(new ucKW(m_pSplit))
    , m_splitter(new CSplitter(this))
    , m_mnuTreeContext(new QMenu(this))
    , m_editor(*m_tv)
{
    buildControls();
    buildMenu();
    m_KWs->setPageType(kGroupPageType);
}

ucGroups::~ucGroups() = default;

void ucGroups::buildControls()
{
    m_tv->setHeaderHidden(true);
    m_tv->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tv->setContextMenuPolicy(Qt::PreventContextMenu);
    m_tv->installEventFilter(this);
    m_tv->viewport()->installEventFilter(this);
    m_cmdAdd->setToolTip(QStringLiteral("Add Group"));
    m_cmdRemove->setToolTip(QStringLiteral("Remove Group"));
    for (QPushButton* button : {m_cmdAdd, m_cmdRemove})
        button->setFixedWidth(px(1095));

    // The buttons stand right of the tree; the bar keeps the tree at least kMinBarTop twips
    // tall and kMinBelowBar twips below it.
    auto* top = new QGridLayout(m_top);
    top->setContentsMargins(px(kMargin), px(kMargin), px(kMargin), 1);
    top->setHorizontalSpacing(px(kMargin) * 2);
    top->addWidget(m_tv, 0, 0, 3, 1);
    top->addWidget(m_cmdAdd, 0, 1);
    top->addWidget(m_cmdRemove, 1, 1);
    top->setRowStretch(2, 1);
    m_top->setMinimumHeight(px(kMinBarTop));
    m_KWs->setMinimumHeight(px(kMinBelowBar));
    m_pSplit->addWidget(m_top);
    m_pSplit->addWidget(m_KWs);
    m_pSplit->setStretchFactor(0, 2);
    m_pSplit->setStretchFactor(1, 3);
    m_splitter->init(m_pSplit, 0, this, 20);
    m_splitter->miGap = 0;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pSplit);
    setMinimumSize(px(kMinWidth), px(kMinHeight));
    // The page on show hands its focus to the tree.
    setFocusProxy(m_tv);

    connect(m_tv, &QTreeWidget::itemSelectionChanged, this, &ucGroups::tv_NodeClick);
    connect(m_tv, &QTreeWidget::itemClicked, this, &ucGroups::tv_NodeClick);
    connect(m_cmdAdd, &QPushButton::clicked, this, &ucGroups::cmdAdd_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &ucGroups::cmdRemove_Click);
}

void ucGroups::buildMenu()
{
    QMenu* menu = m_mnuTreeContext;
    auto add = [&](const char* name, const char* caption, void (ucGroups::*slot)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add("mnuAddGroupToRoot", "New &Group...", &ucGroups::mnuAddGroupToRoot_Click);
    add("mnuAddGroup", "New &Subgroup...", &ucGroups::mnuAddGroup_Click);
    menu->addSeparator();
    add("mnuMoveGroup", "&Move...", &ucGroups::mnuMoveGroup_Click);
    add("mnuMoveGroupToRoot", "Move To R&oot", &ucGroups::mnuMoveGroupToRoot_Click);
    menu->addSeparator();
    add("mnuRenameGroup", "&Rename...", &ucGroups::cmdRename_Click);
    menu->addSeparator();
    add("mnuDeleteGroup", "&Delete", &ucGroups::cmdRemove_Click);
}

template <class F> void ucGroups::guarded(int level, const QString& source, F&& command)
{
    // The page's log is read when the error comes.
    const auto write = [this](std::int32_t number, const QString& text, int entryLevel,
                              const QString& where) {
        if (m_services)
            m_services->Write(number, text, entryLevel, where);
    };
    LoggingGuard(write, level, source).run(std::forward<F>(command));
}

// ---- page interface ---------------------------------------------------------------------------

void ucGroups::init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
                    FMain* ownerForm)
{
    (void)ownerForm;
    zentrel::DBaser* dbaser = scripting ? scripting->DBaser() : nullptr;
    std::unique_ptr<KWStore> store = DBaserKWStore::over(scripting);
    auto services = std::make_unique<KWProgramServices>(std::move(log));
    init(dbaser, store.get(), services.get(), m_pageOwner,
         m_pageOwner ? &m_pageOwner->groupPicks() : nullptr);
    // The page has let go of the earlier ones.
    m_ownStore = std::move(store);
    m_ownServices = std::move(services);
}

void ucGroups::init(zentrel::DBaser* dbaser, KWStore* store, KWServices* services, KWOwner* owner,
                    GroupPickMemory* memory)
{
    m_services = services;
    guarded(4, QStringLiteral("ucGroups.IVXPage_Init"), [&] {
        m_owner = owner;
        m_editor.setEngine(dbaser, services, memory);
        if (moDBaser != dbaser) {
            if (moDBaser)
                disconnect(moDBaser, nullptr, this, nullptr);
            moDBaser = dbaser;
            if (moDBaser)
                connect(moDBaser, &zentrel::DBaser::GroupInfoChanged, this, [this] {
                    guarded(4, QStringLiteral("ucGroups.IVXPage_Init"), [&] { rebuild(); });
                });
        }
        m_KWs->setPageType(kGroupPageType);
        m_KWs->init(store, services, owner);
        rebuild();
    });
}

void ucGroups::rebuild()
{
    // A rebuild shows another grid: the group shown before is not the last one loaded any more.
    m_lastLoadedGroup = 0;
    {
        const QSignalBlocker quiet(m_tv);
        m_tv->clear();
        if (moDBaser)
            MMisc::FillGroupTree(nullptr, moDBaser->GetGroups(nullptr), *m_tv, false, false, 0);
        if (m_tv->topLevelItemCount() > 0)
            GroupTree::select(*m_tv, m_tv->topLevelItem(0));
    }
    m_KWs->setPageType(kGroupPageType);
    m_KWs->setGroupId(GroupTree::tag(GroupTree::selected(*m_tv)));
    m_KWs->RefreshGrid();
}

void ucGroups::Refresh()
{
    m_KWs->Refresh();
}

void ucGroups::SetRankMode(bool setAdvanced)
{
    m_KWs->SetRankMode(setAdvanced);
}

void ucGroups::Finalize()
{
    try {
        if (moDBaser)
            disconnect(moDBaser, nullptr, this, nullptr);
        moDBaser = nullptr;
        m_KWs->Finalize();
        m_owner = nullptr;
        m_editor.setEngine(nullptr, nullptr, nullptr);
        m_services = nullptr;
        m_ownStore.reset();
    } catch (...) {
        // ignored
    }
}

void ucGroups::MenuEvent(const QString& menuItemId, int index)
{
    guarded(0, QStringLiteral("ucGroups.IVXPage_MenuEvent"), [&] {
        static const QStringList forwarded = {
            QStringLiteral("CS_MENU_EXPORT_ALL"),
            QStringLiteral("CS_MENU_EXPORT_SELECTED"),
            QStringLiteral("CS_MENU_EXPORT_TOP"),
            QStringLiteral("CS_MENU_FIND"),
            QStringLiteral("CS_MENU_COPY"),
            QStringLiteral("CS_MENU_SELECT"),
            QStringLiteral("CS_MENU_COLLECT_BY_SELECTED_KEYWORD"),
            QStringLiteral("CS_MENU_OPEN_SER_FOR_KW"),
            QStringLiteral("CS_MENU_OPEN_SER_FOR_CUSTOM_KW"),
            QStringLiteral("CS_MENU_ADD_KWS_TO_GROUP"),
            QStringLiteral("CS_MENU_MOVE_KWS_TO_GROUP"),
        };
        if (forwarded.contains(menuItemId))
            m_KWs->MenuEvent(menuItemId, index);
        else if (menuItemId == u"CS_MENU_DELETE")
            // The tree deletes groups; anywhere else on the page the keywords are meant.
            focusWidget() == m_tv ? cmdRemove_Click() : m_KWs->MenuEvent(menuItemId, index);
        else if (menuItemId == u"CS_MENU_NEW_GROUP")
            mnuAddGroup_Click();
        else if (menuItemId == u"CS_MENU_NEW_GROUP_TO_ROOT")
            mnuAddGroupToRoot_Click();
        else if (menuItemId == u"CS_MENU_MOVE_GROUP")
            mnuMoveGroup_Click();
        else if (menuItemId == u"CS_MENU_MOVE_GROUP_TO_ROOT")
            mnuMoveGroupToRoot_Click();
        else if (menuItemId == u"CS_MENU_RENAME_GROUP")
            cmdRename_Click();
    });
}

// ---- tree commands ----------------------------------------------------------------------------

void ucGroups::tv_NodeClick()
{
    guarded(4, QStringLiteral("ucGroups.tv_NodeClick"), [&] {
        QTreeWidgetItem* node = GroupTree::selected(*m_tv);
        if (node == nullptr) {
            m_KWs->setGroupId(0);
            m_KWs->ClearGrid();
            return;
        }
        const int id = GroupTree::tag(node);
        m_KWs->setGroupId(id);
        if (id == m_lastLoadedGroup)
            return;
        m_KWs->ClearGrid();
        m_KWs->Refresh();
        m_lastLoadedGroup = id;
    });
}

void ucGroups::mnuAddGroup_Click()
{
    guarded(4, QStringLiteral("ucGroups.mnuAddGroup_Click"), [&] {
        if (m_editor.AddGroupPrompt(GroupTree::selected(*m_tv)))
            tv_NodeClick();
    });
}

void ucGroups::mnuAddGroupToRoot_Click()
{
    cmdAddRoot_Click();
}

void ucGroups::cmdAddRoot_Click()
{
    guarded(4, QStringLiteral("ucGroups.cmdAddRoot_Click"), [&] {
        if (m_editor.AddGroupPrompt(nullptr))
            tv_NodeClick();
    });
}

void ucGroups::cmdAdd_Click()
{
    guarded(4, QStringLiteral("ucGroups.cmdAdd_Click"), [&] { mnuAddGroupToRoot_Click(); });
}

void ucGroups::cmdRename_Click()
{
    guarded(4, QStringLiteral("ucGroups.cmdRename_Click"), [&] { m_editor.Rename(); });
}

void ucGroups::cmdRemove_Click()
{
    guarded(4, QStringLiteral("ucGroups.cmdRemove_Click"), [&] {
        if (!m_editor.Remove())
            return;
        // The tree framed a neighbour of the deleted node: it is the one shown now.
        PickedRow::SelectCurrent(*m_tv);
        tv_NodeClick();
    });
}

void ucGroups::mnuMoveGroup_Click()
{
    guarded(4, QStringLiteral("ucGroups.mnuMoveGroup_Click"), [&] {
        if (m_editor.Move(window()))
            tv_NodeClick();
    });
}

void ucGroups::mnuMoveGroupToRoot_Click()
{
    guarded(4, QStringLiteral("ucGroups.mnuMoveGroupToRoot_Click"), [&] {
        if (m_editor.MoveToRoot())
            tv_NodeClick();
    });
}

void ucGroups::popupTreeMenu(const QPoint& at)
{
    if (GroupTree::selected(*m_tv) == nullptr)
        return;
    m_mnuTreeContext->popup(m_tv->viewport()->mapToGlobal(at));
}

// ---- keys and mouse ---------------------------------------------------------------------------

bool ucGroups::eventFilter(QObject* watched, QEvent* event)
{
    GroupTreeKeyboard::Command command = GroupTreeKeyboard::Command::None;
    if (watched == m_tv && event->type() == QEvent::FocusIn)
        PickedRow::TakeFocus(*m_tv, static_cast<QFocusEvent*>(event)->reason());
    if (watched == m_tv && m_keys.filter(event, command)) {
        runKey(command);
        return true;
    }
    if (watched == m_tv->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            popupTreeMenu(mouse->position().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ucGroups::runKey(GroupTreeKeyboard::Command command)
{
    switch (command) {
    case GroupTreeKeyboard::Command::Delete:
        cmdRemove_Click();
        break;
    case GroupTreeKeyboard::Command::Rename:
        cmdRename_Click();
        break;
    case GroupTreeKeyboard::Command::ContextMenu:
        popupTreeMenu(QPoint(px(300), px(300)));
        break;
    case GroupTreeKeyboard::Command::NewGroup:
        cmdAdd_Click();
        break;
    case GroupTreeKeyboard::Command::NewRootGroup:
        cmdAddRoot_Click();
        break;
    case GroupTreeKeyboard::Command::None:
        break;
    }
}
