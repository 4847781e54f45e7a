#include "app/keywords/ucKW.h"

#include <algorithm>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWOwner.h"
#include "app/keywords/KWPageMenus.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/KWStore.h"
#include "app/shell/StringTable.h"
#include "app/shell/WaitCursor.h"

namespace {

constexpr int kDeferredRefreshMs = 15000;

} // namespace

ucKW::ucKW(QWidget* parent)
    : QWidget(parent)
    , m_model(new KWGridModel(&m_icons, this))
    , m_commands(m_model)
    , m_lv(new KWGridView(m_model, this))
    , m_controls(KWPageLayout::Build(this, m_lv, m_icons))
    , m_timer1(new QTimer(this))
    , m_mnuContext4List(new QMenu(this))
    , m_mnuGetFromPage(new QMenu(this))
    , m_keys(this, m_lv, m_mnuContext4List, [this](KWCommandTable::Call call) { run(call); })
{
    buildControls();
    m_commands.setRefreshPage([this] { RefreshGrid(); });
    const KWPageMenus::GroupItems groupItems = KWPageMenus::BuildContextMenu(
        m_mnuContext4List, [this](KWCommandTable::Call call) { run(call); });
    m_mnuMoveToGroup = groupItems.moveToGroup;
    m_mnuRemoveFromGroup = groupItems.removeFromGroup;
    KWPageMenus::BuildCollectMenu(
        m_mnuGetFromPage, [this](KWCommandTable::Call call) { run(call); },
        [this](const QString& command) { Collect(command); });
    setPageType(KWPageType::Banned);
    SetRankMode(false);
}

ucKW::~ucKW() = default;

void ucKW::buildControls()
{
    setFocusProxy(m_lv);
    for (int i = 0; i <= 5; ++i)
        connect(cmdRank(i), &QPushButton::clicked, this, [this, i] { cmdRank_Click(i); });

    m_timer1->setInterval(kDeferredRefreshMs);
    m_timer1->setSingleShot(true);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        m_timer1->stop();
        RefreshGrid();
    });
    connect(m_controls.hideGrouped, &QCheckBox::clicked, this, [this] { RefreshGrid(); });
    connect(m_controls.rankAdvanced, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_rankModeGuard)
            return;
        guarded(0, QStringLiteral("ucKW.chkRankAdvanced_Click"), [&] {
            if (m_ownerForm)
                m_ownerForm->SetRankMode(checked);
            else
                SetRankMode(checked);
            m_lv->setFocus();
        });
    });
    connect(m_controls.add, &QPushButton::clicked, this,
            [this] { Collect(QStringLiteral("AddKeywords")); });
    connect(m_controls.get, &QPushButton::clicked, this, [this] {
        m_mnuGetFromPage->popup(
            mapToGlobal(QPoint(m_controls.get->geometry().right(), m_controls.get->y())));
    });
}

void ucKW::setPageType(int pageType)
{
    m_pageType = static_cast<KWPageType>(pageType);
    m_commands.setPageType(m_pageType);
    m_mnuMoveToGroup->setVisible(m_pageType == KWPageType::Group);
    m_mnuRemoveFromGroup->setVisible(m_pageType == KWPageType::Group);
    m_controls.hideGrouped->setVisible(m_pageType == KWPageType::Keywords);
    layoutControls();
    emit propertyChanged(QStringLiteral("PageType"));
}

void ucKW::setGroupId(int groupId)
{
    m_groupId = groupId;
    m_commands.setGroupId(groupId);
    emit propertyChanged(QStringLiteral("GroupId"));
}

void ucKW::init(KWStore* dbaser, KWServices* log, KWOwner* ownerForm)
{
    m_services = log;
    guarded(4, QStringLiteral("ucKW.IVXPage_Init"), [&] {
        m_ownerForm = ownerForm;
        mpicPanel1 = ownerForm ? ownerForm->Panel1Picture() : QIcon();
        if (moDBaser)
            disconnect(moDBaser, nullptr, this, nullptr);
        moDBaser = dbaser;
        m_commands.init(dbaser, log, ownerForm);
        connectStore();
        mlRowCap = m_pageType == KWPageType::Banned ? 1000 : 32000;
        RefreshGrid();
        m_mnuMoveToGroup->setVisible(m_pageType == KWPageType::Group);
        m_mnuRemoveFromGroup->setVisible(m_pageType == KWPageType::Group);
    });
}

void ucKW::connectStore()
{
    if (!moDBaser)
        return;
    connect(moDBaser, &KWStore::NewKws, this, [this] {
        // A stream of events does not put the refresh off: a running timer is left alone.
        if (m_pageType == KWPageType::Candidates && !m_timer1->isActive())
            m_timer1->start();
    });
    connect(moDBaser, &KWStore::NewOvertureCounts, this, [this] {
        if (m_pageType == KWPageType::Banned)
            return;
        try {
            RefreshGrid();
        } catch (...) {
            // cleared silently
        }
    });
}

void ucKW::Finalize()
{
    try {
        m_timer1->stop();
        if (moDBaser)
            disconnect(moDBaser, nullptr, this, nullptr);
        moDBaser = nullptr;
        m_commands.init(nullptr, nullptr, nullptr);
        m_ownerForm = nullptr;
        m_services = nullptr;
        mpicPanel1 = QIcon();
    } catch (...) {
        // ignored
    }
}

void ucKW::ClearGrid()
{
    m_model->clear();
}

void ucKW::RefreshGrid()
{
    m_timer1->stop();
    {
        const WaitCursor wait;
        guarded(4, QStringLiteral("ucKW.RefreshGrid"), [&] {
            const KWRecords records =
                m_commands.Fetch(mlRowCap, m_controls.hideGrouped->isChecked());
            m_lv->refreshKeepingSelection(records, mlRowCap);
            RefreshStatusBarKWsCount();
        });
    }
    if (m_pageType == KWPageType::Candidates)
        updateRawDescription();
    layoutControls();
}

void ucKW::RefreshStatusBarKWsCount()
{
    guarded(4, QStringLiteral("ucKW.RefreshStatusBarKWsCount"), [&] {
        const int count = m_model->rowCount();
        const bool group = m_pageType == KWPageType::Group;
        const bool full = count >= mlRowCap;
        const int totalId = full ? (group ? 176 : 111) : (group ? 175 : 109);
        const QString shown = QString::number(full ? mlRowCap : count);
        m_controls.total->setText(StringTable::format(totalId, {shown}));
        if (m_pageType != KWPageType::Candidates || !m_ownerForm)
            return;
        const int panelId = full ? 157 : 156;
        const QString text = StringTable::format(panelId, {shown});
        m_ownerForm->SetPanel1(text, count == 0 ? mpicPanel1 : m_ownerForm->Panel4Picture());
    });
}

void ucKW::updateRawDescription()
{
    const int count = m_model->rowCount();
    const int id = count >= 50 ? 185 : (count >= 1 ? 187 : 186);
    m_controls.rawDescription->setText(StringTable::text(id));
}

void ucKW::SetRankMode(bool setAdvanced)
{
    m_rankModeGuard = true;
    m_controls.rankAdvanced->setChecked(setAdvanced);
    m_rankModeGuard = false;
    m_advanced = setAdvanced;
    KWPageLayout::ShowRankMode(m_controls, setAdvanced);
    layoutControls();
}

void ucKW::cmdRank_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.cmdRank_Click"), [&] {
        const QList<int> rows = m_lv->pickedRows();
        if (!moDBaser || rows.isEmpty()) // nothing to rank: no refresh, no message
            return;
        const QList<int> ids = m_lv->idsOf(rows);
        m_commands.Rank(ids, index, window());
        m_lv->setFocus();
        m_lv->settleAfterRank(rows, ids);
    });
}

void ucKW::mnuFindKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuFindKW_Click"), [&] { m_lv->showFound(m_commands.Find()); });
}

void ucKW::mnuFindNextKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuFindNextKW_Click"),
            [&] { m_lv->showFound(m_commands.FindNext(m_lv->pickedRows())); });
}

void ucKW::mnuSelectByWildCard_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuSelectByWildCard_Click"), [&] {
        if (const std::optional<QList<int>> rows = m_commands.SelectByWords()) {
            m_lv->selectionModel()->clearSelection();
            m_lv->selectRows(*rows);
        }
    });
}

// Copy, collect and browse act on the current row's keyword; without one they say so.
template <class F> void ucKW::onCurrentKeyword(const QString& source, F&& command)
{
    guarded(4, source, [&] {
        if (!m_services)
            return;
        if (m_lv->currentRow() < 0) {
            m_services->ShowMsg(StringTable::text(112), 48);
            return;
        }
        command(m_lv->currentKeyword());
    });
}

void ucKW::mnuCopyKW_Click()
{
    onCurrentKeyword(QStringLiteral("ucKW.mnuCopyKW_Click"),
                     [&](const QString& kw) { m_services->SetClipboardText(kw); });
}

void ucKW::mnuDeleteKWs_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuDeleteKWs_Click"),
            [&] { m_commands.Delete(GetSelectedKWs()); });
}

void ucKW::ReorderWords()
{
    guarded(4, QStringLiteral("ucKW.ReorderWords"), [&] {
        const int row = m_lv->currentRow();
        if (row < 0 || !moDBaser)
            return;
        const int id = m_model->rowAt(row).id; // the row may move while a dialog is open
        const QString kw = m_model->rowAt(row).keyword;
        const QString iconKey = m_model->rowAt(row).iconKey;
        const std::optional<QString> newText = m_commands.AskNewOrder(kw, &m_icons, iconKey, this);
        if (newText && m_commands.Respell(*newText))
            m_model->setKeywordText(m_model->rowOfId(id), *newText);
    });
}

void ucKW::mnuAddToGroup_Click()
{
    guarded(0, QStringLiteral("ucKW.mnuAddToGroup_Click"),
            [&] { m_commands.AddToGroup(GetSelectedKWs(), this); });
}

void ucKW::mnuMoveToGroup_Click()
{
    guarded(0, QStringLiteral("ucKW.mnuMoveToGroup_Click"),
            [&] { m_commands.MoveToGroup(GetSelectedKWs(), this); });
}

void ucKW::mnuRemoveFromGroup_Click()
{
    guarded(0, QStringLiteral("ucKW.mnuRemoveFromGroup_Click"),
            [&] { m_commands.RemoveFromGroup(GetSelectedKWs()); });
}

void ucKW::mnuCrawlSEforKW_Click()
{
    onCurrentKeyword(QStringLiteral("ucKW.mnuCrawlSEforKW_Click"), [&](const QString& kw) {
        if (m_ownerForm)
            m_ownerForm->CollectBySelectedKeyword(kw);
    });
}

void ucKW::mnuOpenSE_Click(int index)
{
    onCurrentKeyword(QStringLiteral("ucKW.mnuOpenSE_Click"), [&](const QString& kw) {
        if (m_ownerForm)
            m_ownerForm->OpenSERForKW(kw, index);
    });
}

void ucKW::mnuOpenSEForCustomKW_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.mnuOpenSEForCustomKW_Click"), [&] {
        if (!m_services)
            return;
        const QString kw = m_services->AskInput(StringTable::text(173)).trimmed();
        if (!kw.isEmpty() && m_ownerForm)
            m_ownerForm->OpenSERForKW(kw, index);
    });
}

void ucKW::mnuExportAll_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuExportAll_Click"), [&] { m_commands.ExportAll(this); });
}

void ucKW::mnuExportSelected_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuExportSelected_Click"),
            [&] { m_commands.ExportRows(m_lv->pickedRows(), this); });
}

void ucKW::mnuExportTop_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.mnuExportTop_Click"),
            [&] { m_commands.ExportTop(index, this); });
}

void ucKW::mnuContextExportWords_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuContextExportWords_Click"),
            [&] { m_commands.ExportWords(); });
}

void ucKW::mnuSetRelevancySetN_Click(int index)
{
    // The items run from "The Best!" down to "Who Knows?", a separator, then "Ban".
    static const int relevancies[] = {5, 4, 3, 2, 1, -1, 0};
    if (index < 0 || index > 6 || relevancies[index] < 0)
        return;
    guarded(4, QStringLiteral("ucKW.mnuSetRelevancySetN_Click"),
            [&] { cmdRank_Click(relevancies[index]); });
}

void ucKW::Collect(const QString& command)
{
    guarded(4, QStringLiteral("ucKW.Collect"), [&] {
        if (m_ownerForm)
            m_ownerForm->Collect(command);
    });
}

void ucKW::popupContextMenu()
{
    const QModelIndex current = m_lv->currentIndex();
    const QPoint at = current.isValid() ? m_lv->visualRect(current).center() : QPoint(0, 0);
    m_mnuContext4List->popup(m_lv->viewport()->mapToGlobal(at));
}

void ucKW::MenuEvent(const QString& menuItemId, int index)
{
    guarded(0, QStringLiteral("ucKW.IVXPage_MenuEvent"), [&] {
        if (const std::optional<KWCommandTable::Call> call =
                KWCommandTable::ForMenu(menuItemId, index))
            run(*call);
    });
}

void ucKW::run(KWCommandTable::Call call)
{
    using Command = KWCommandTable::Command;
    using Handler = void (*)(ucKW&, int);
    static const std::pair<Command, Handler> handlers[] = {
        {Command::Refresh, [](ucKW& p, int) { p.RefreshGrid(); }},
        {Command::Find, [](ucKW& p, int) { p.mnuFindKW_Click(); }},
        {Command::FindNext, [](ucKW& p, int) { p.mnuFindNextKW_Click(); }},
        {Command::SelectByWords, [](ucKW& p, int) { p.mnuSelectByWildCard_Click(); }},
        {Command::Rank, [](ucKW& p, int i) { p.cmdRank_Click(i); }},
        {Command::SetRelevancy, [](ucKW& p, int i) { p.mnuSetRelevancySetN_Click(i); }},
        {Command::Delete, [](ucKW& p, int) { p.mnuDeleteKWs_Click(); }},
        {Command::Copy, [](ucKW& p, int) { p.mnuCopyKW_Click(); }},
        {Command::ReorderWords, [](ucKW& p, int) { p.ReorderWords(); }},
        {Command::ContextMenu, [](ucKW& p, int) { p.popupContextMenu(); }},
        {Command::AddToGroup, [](ucKW& p, int) { p.mnuAddToGroup_Click(); }},
        {Command::MoveToGroup, [](ucKW& p, int) { p.mnuMoveToGroup_Click(); }},
        {Command::RemoveFromGroup, [](ucKW& p, int) { p.mnuRemoveFromGroup_Click(); }},
        {Command::CollectBySelectedKeyword, [](ucKW& p, int) { p.mnuCrawlSEforKW_Click(); }},
        {Command::OpenSER, [](ucKW& p, int i) { p.mnuOpenSE_Click(i); }},
        {Command::OpenSERForCustomKW, [](ucKW& p, int i) { p.mnuOpenSEForCustomKW_Click(i); }},
        {Command::ExportAll, [](ucKW& p, int) { p.mnuExportAll_Click(); }},
        {Command::ExportSelected, [](ucKW& p, int) { p.mnuExportSelected_Click(); }},
        {Command::ExportTop, [](ucKW& p, int i) { p.mnuExportTop_Click(i); }},
        {Command::ExportWords, [](ucKW& p, int) { p.mnuContextExportWords_Click(); }},
        {Command::DeleteOrBan, [](ucKW& p, int) { p.deleteOrBan(); }},
    };
    for (const auto& [command, handler] : handlers)
        if (command == call.command)
            return handler(*this, call.index);
}

// The Delete key deletes on the banned page and bans elsewhere.
void ucKW::deleteOrBan()
{
    if (m_pageType == KWPageType::Banned)
        mnuDeleteKWs_Click();
    else
        cmdRank_Click(0);
}

void ucKW::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void ucKW::layoutControls()
{
    m_lv->setContextMenuPolicy(Qt::PreventContextMenu);
    KWPageLayout::Apply(m_controls, size(), m_pageType, m_advanced);
}
