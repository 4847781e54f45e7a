#include "app/collect/FMoveToGroup.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/collect/GroupTree.h"
#include "app/collect/MMisc.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/PickedRow.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/StringTable.h"
#include "app/shell/WaitCursor.h"
#include "engine/database/DBaser.h"
#include "engine/platform/ZError.h"

FMoveToGroup::FMoveToGroup(QWidget* parent)
    : QDialog(parent)
    , m_lblCaption(new QLabel(QStringLiteral("&Group to move keyword(s) to:"), this))
    , m_tv(new QTreeWidget(this))
    , m_lblRank(new QLabel(QStringLiteral("Set &rank for added keywords to:"), this))
    , m_cmdMoveToRoot(new QPushButton(QStringLiteral("Move to &Root"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_sb(new QStatusBar(this))
{
    MMinMaxInfo::HookFMoveToGroup(this);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    m_tv->setHeaderHidden(true);
    m_tv->setRootIsDecorated(true);
    m_tv->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tv->setExpandsOnDoubleClick(false);
    m_tv->installEventFilter(this);
    m_lblCaption->setBuddy(m_tv);

    const char* const captions[] = {"",           "Who Knows?", "May Be", "More Or Less",
                                    "It's Mine!", "The Best!"};
    auto* ranks = new QHBoxLayout;
    for (int i = 1; i <= 5; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), this);
        m_optRank[static_cast<std::size_t>(i)] = option;
        ranks->addWidget(option);
        // Back to the tree, so that Enter and the arrows keep working on it.
        connect(option, &QRadioButton::clicked, m_tv, [this] { m_tv->setFocus(); });
        connect(option, &QRadioButton::toggled, this, &FMoveToGroup::updateOK);
    }
    ranks->addStretch();
    m_lblRank->setBuddy(optRank(1));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdMoveToRoot);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(m_lblCaption);
    layout->addWidget(m_tv, 1);
    layout->addWidget(m_lblRank);
    layout->addLayout(ranks);
    layout->addLayout(buttons);
    layout->addWidget(m_sb);
    m_sb->setSizeGripEnabled(true);
    m_cmdOK->setDefault(true);
    // Tab in reading order: the ranks before the buttons.
    QWidget::setTabOrder(optRank(5), m_cmdMoveToRoot);
    QWidget::setTabOrder(m_cmdMoveToRoot, m_cmdOK);
    QWidget::setTabOrder(m_cmdOK, m_cmdCancel);
    resize(560, 420);

    connect(m_cmdOK, &QPushButton::clicked, this, &FMoveToGroup::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FMoveToGroup::cmdCancel_Click);
    connect(m_cmdMoveToRoot, &QPushButton::clicked, this, &FMoveToGroup::cmdMoveToRoot_Click);
    connect(m_tv, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (GroupTree::selected(*m_tv))
            cmdOK_Click();
    });
}

FMoveToGroup::~FMoveToGroup()
{
    MMinMaxInfo::UnhookFMoveToGroup(this);
}

void FMoveToGroup::init(KWServices* services, zentrel::DBaser* dbaser, GroupPickMemory* memory)
{
    m_services = services;
    m_dbaser = dbaser;
    m_memory = memory ? memory : &m_ownMemory;
}

bool FMoveToGroup::ShowPicker(const QString& FormCaption, const QString& FormDescription,
                              bool PickRank, int& PickedItem, bool MoveGroupMode, int HiddenGroupId,
                              int* PickedRank)
{
    try {
        return pick(FormCaption, FormDescription, PickRank, PickedItem, MoveGroupMode,
                    HiddenGroupId, PickedRank);
    } catch (const std::exception& error) {
        LoggingGuard(LoggingGuard::writerOf(m_services), 0,
                     QStringLiteral("FMoveToGroup.ShowPicker"))
            .write(error);
        return false;
    }
}

bool FMoveToGroup::pick(const QString& caption, const QString& description, bool pickRank,
                        int& pickedItem, bool moveGroupMode, int hiddenGroupId, int* pickedRank)
{
    if (m_services == nullptr || m_dbaser == nullptr)
        return false;
    setWindowTitle(caption);
    m_lblCaption->setText(description);
    m_lblRank->setVisible(pickRank);
    for (int i = 1; i <= 5; ++i)
        optRank(i)->setVisible(pickRank);
    m_cmdMoveToRoot->setVisible(moveGroupMode);
    m_pickRank = pickRank;
    updateOK();
    WaitCursor wait;

    zentrel::CDataNodes groups = m_dbaser->GetGroups(nullptr);
    if (groups.Count() == 0) {
        wait.restore();
        // A blank name would make a group that cannot be told from the empty answer.
        const QString name = m_services->AskInput(StringTable::text(174)).trimmed();
        if (name.isEmpty())
            return false;
        const int id = m_dbaser->AddGroup(name, 0);
        if (!pickRank) {
            pickedItem = id;
            return true;
        }
        groups = m_dbaser->GetGroups(nullptr);
    }

    m_tv->clear();
    MMisc::FillGroupTree(nullptr, groups, *m_tv, true, false, hiddenGroupId);
    if (m_tv->topLevelItemCount() == 0) {
        wait.restore();
        m_services->ShowMsg(StringTable::text(178), 48);
        return false;
    }
    preselect(pickRank);

    wait.restore();
    m_okPressed = false;
    m_services->ExecDialog(*this);
    if (!m_okPressed)
        return false;
    pickedItem = m_pickedItem;
    if (pickRank) {
        m_memory->lastRank = chosenRank();
        if (pickedRank && m_memory->lastRank > 0)
            *pickedRank = m_memory->lastRank;
    }
    return true;
}

int FMoveToGroup::chosenRank() const
{
    for (int rank = 5; rank >= 1; --rank)
        if (optRank(rank)->isChecked())
            return rank;
    return 0;
}

// Where a rank is asked for, a pick needs one.
void FMoveToGroup::updateOK()
{
    m_cmdOK->setEnabled(!m_pickRank || chosenRank() > 0);
}

bool FMoveToGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tv && event->type() == QEvent::FocusIn)
        PickedRow::TakeFocus(*m_tv, static_cast<QFocusEvent*>(event)->reason());
    return QDialog::eventFilter(watched, event);
}

void FMoveToGroup::preselect(bool pickRank)
{
    if (pickRank && m_memory->lastRank >= 1 && m_memory->lastRank <= 5)
        optRank(m_memory->lastRank)->setChecked(true);
    if (m_memory->lastKey.isEmpty())
        return;
    // A remembered group that is gone is passed over.
    if (QTreeWidgetItem* node = GroupTree::find(*m_tv, m_memory->lastKey))
        GroupTree::select(*m_tv, node);
}

void FMoveToGroup::cmdOK_Click()
{
    if (!m_cmdOK->isEnabled()) // a double click before a rank is chosen
        return;
    QTreeWidgetItem* node = GroupTree::selected(*m_tv);
    if (node == nullptr) {
        if (m_services)
            m_services->ShowMsg(StringTable::text(163), 48);
        return;
    }
    m_pickedItem = GroupTree::tag(node);
    m_memory->lastKey = GroupTree::key(node);
    m_okPressed = true;
    accept();
}

void FMoveToGroup::cmdMoveToRoot_Click()
{
    m_pickedItem = 0;
    m_memory->lastKey.clear();
    m_okPressed = true;
    accept();
}

void FMoveToGroup::cmdCancel_Click()
{
    reject();
}
