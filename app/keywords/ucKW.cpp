#include "app/keywords/ucKW.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "app/collect/WaitCursor.h"
#include "app/keywords/FReorderWords.h"
#include "app/keywords/FReorderWordsL.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWKeys.h"
#include "app/keywords/KWOwner.h"
#include "app/keywords/KWPageCommands.h"
#include "app/keywords/KWPageLayout.h"
#include "app/keywords/KWPageMenus.h"
#include "app/keywords/KWScore.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/KWStore.h"
#include "app/keywords/MConst.h"
#include "app/shell/MStrings.h"
#include "engine/platform/ZError.h"

namespace {

constexpr int kDeferredRefreshMs = 15000;

} // namespace

ucKW::ucKW(QWidget* parent)
    : QWidget(parent)
    , m_model(new KWGridModel(&m_icons, this))
    , m_commands(m_model)
    , m_lv(new KWGridView(m_model, this))
    , m_picRawIcon(new QLabel(this))
    , m_lblRawDescription(new QLabel(this))
    , m_lblRankKeyword(new QLabel(QStringLiteral("Rank Keyword:"), this))
    , m_lblTotal(new QLabel(this))
    , m_chkHideGrouped(new QCheckBox(QStringLiteral("Hi&de Grouped Keywords"), this))
    , m_chkRankAdvanced(new QCheckBox(QStringLiteral("Ad&vanced"), this))
    , m_cmdAdd(new QPushButton(QStringLiteral("&Add..."), this))
    , m_cmdGet(new QPushButton(QStringLiteral("C&ollect..."), this))
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

    m_picRawIcon->setPixmap(m_icons.pixmap(QStringLiteral("E4")).scaled(24, 24));
    m_lblRawDescription->setWordWrap(true);
    m_cmdAdd->setToolTip(QStringLiteral("Add Keywords"));
    m_cmdGet->setToolTip(QStringLiteral("Collect Keywords"));
    const char* const captions[] = {"Ban",          "Who Knows?", "May Be",
                                    "More or Less", "It's Mine!", "The Best!"};
    for (int i = 0; i <= 5; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setToolTip(QString::fromLatin1(captions[i]) + QStringLiteral(" (Ctrl+%1)").arg(i));
        button->setFocusPolicy(Qt::TabFocus);
        m_cmdRank[static_cast<std::size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { cmdRank_Click(i); });
    }

    m_timer1->setInterval(kDeferredRefreshMs);
    m_timer1->setSingleShot(true);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        m_timer1->stop();
        RefreshGrid();
    });
    connect(m_chkHideGrouped, &QCheckBox::clicked, this, [this] { RefreshGrid(); });
    connect(m_chkRankAdvanced, &QCheckBox::toggled, this, [this](bool checked) {
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
    connect(m_cmdAdd, &QPushButton::clicked, this,
            [this] { Collect(QStringLiteral("AddKeywords")); });
    connect(m_cmdGet, &QPushButton::clicked, this, [this] {
        m_mnuGetFromPage->popup(mapToGlobal(QPoint(m_cmdGet->geometry().right(), m_cmdGet->y())));
    });
}

std::int64_t ucKW::Score(int searches, int relevancy)
{
    return KWScore::Score(searches, relevancy);
}

QString ucKW::ScoreText(int searches, int relevancy)
{
    return KWScore::ScoreText(searches, relevancy);
}

int ucKW::PageTypeToTab(int pageType)
{
    return ::PageTypeToTab(static_cast<KWPageType>(pageType));
}

void ucKW::setPageType(int pageType)
{
    m_pageType = static_cast<KWPageType>(pageType);
    m_commands.setPageType(m_pageType);
    m_mnuMoveToGroup->setVisible(m_pageType == KWPageType::Group);
    m_mnuRemoveFromGroup->setVisible(m_pageType == KWPageType::Group);
    m_chkHideGrouped->setVisible(m_pageType == KWPageType::Keywords);
    layoutControls();
    emit propertyChanged(QStringLiteral("PageType"));
}

void ucKW::setGroupId(int groupId)
{
    m_groupId = groupId;
    m_commands.setGroupId(groupId);
    emit propertyChanged(QStringLiteral("GroupId"));
}

void ucKW::logError(const std::exception& error, int level, const QString& source)
{
    if (!m_log)
        return;
    if (const auto* z = dynamic_cast<const zentrel::ZError*>(&error))
        m_log->Write(z->signedNumber(), z->description(), level, source);
    else
        m_log->Write(0, QString::fromLocal8Bit(error.what()), level, source);
}

template <class F> void ucKW::guarded(int level, const QString& source, F&& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        logError(error, level, source);
    } catch (...) {
        if (m_log)
            m_log->Write(0, QStringLiteral("Unknown error"), level, source);
    }
}

void ucKW::init(KWStore* dbaser, KWServices* log, KWOwner* ownerForm)
{
    m_log = log;
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
        m_log = nullptr;
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
            const KWRecords records = m_commands.Fetch(mlRowCap, m_chkHideGrouped->isChecked());
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
        m_lblTotal->setText(MStrings::format(totalId, {shown}));
        if (m_pageType != KWPageType::Candidates || !m_ownerForm)
            return;
        const int panelId = full ? 157 : 156;
        const QString text = MStrings::format(panelId, {shown});
        m_ownerForm->SetPanel1(text, count == 0 ? mpicPanel1 : m_ownerForm->Panel4Picture());
    });
}

void ucKW::updateRawDescription()
{
    const int count = m_model->rowCount();
    const int id = count >= 50 ? 185 : (count >= 1 ? 187 : 186);
    m_lblRawDescription->setText(MStrings::text(id));
}

QList<int> ucKW::selectedRows() const
{
    return m_lv->selectedRowList();
}

QList<int> ucKW::GetSelectedKWs() const
{
    return m_lv->pickedIds();
}

void ucKW::selectRows(const QList<int>& rows, bool clearFirst)
{
    m_lv->selectRows(rows, clearFirst);
}

void ucKW::SetRankMode(bool setAdvanced)
{
    m_rankModeGuard = true;
    m_chkRankAdvanced->setChecked(setAdvanced);
    m_rankModeGuard = false;
    m_advanced = setAdvanced;
    cmdRank(4)->setText(setAdvanced ? QStringLiteral("It's &Mine!")
                                    : QStringLiteral("Take  <Ins>"));
    cmdRank(0)->setText(setAdvanced ? QStringLiteral("Ba&n") : QStringLiteral("Reject <Del>"));
    for (const int i : {1, 2, 3, 5})
        cmdRank(i)->setVisible(setAdvanced);
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

void ucKW::mnuCopyKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuCopyKW_Click"), [&] {
        if (!m_log)
            return;
        if (m_lv->currentRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        m_log->SetClipboardText(m_lv->currentKeyword());
    });
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
        const qsizetype words = kw.split(QLatin1Char(' ')).size();
        QString newText;
        if (words < 2) {
            return;
        } else if (words == 2) {
            newText = KWPageCommands::SwappedWords(kw);
        } else if (words == 3) {
            FReorderWords dialog(this);
            dialog.init(m_log, kw, &m_icons, iconKey);
            m_log->ExecDialog(dialog);
            if (!dialog.OKPressed())
                return;
            newText = dialog.SelectedOrder();
        } else {
            FReorderWordsL dialog(this);
            dialog.init(m_log, kw, &m_icons, iconKey);
            m_log->ExecDialog(dialog);
            if (!dialog.OKPressed())
                return;
            newText = dialog.SelectedOrder();
        }
        if (m_commands.Respell(newText))
            m_model->setKeywordText(m_model->rowOfId(id), newText);
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
    guarded(4, QStringLiteral("ucKW.mnuCrawlSEforKW_Click"), [&] {
        if (!m_log)
            return;
        if (m_lv->currentRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        if (m_ownerForm)
            m_ownerForm->CollectBySelectedKeyword(m_lv->currentKeyword());
    });
}

void ucKW::mnuOpenSE_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.mnuOpenSE_Click"), [&] {
        if (!m_log)
            return;
        if (m_lv->currentRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        if (m_ownerForm)
            m_ownerForm->OpenSERForKW(m_lv->currentKeyword(), index);
    });
}

void ucKW::mnuOpenSEForCustomKW_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.mnuOpenSEForCustomKW_Click"), [&] {
        if (!m_log)
            return;
        const QString kw = m_log->AskInput(MStrings::text(173)).trimmed();
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
    switch (call.command) {
    case Command::None:
        break;
    case Command::Refresh:
        return RefreshGrid();
    case Command::Find:
        return mnuFindKW_Click();
    case Command::FindNext:
        return mnuFindNextKW_Click();
    case Command::SelectByWords:
        return mnuSelectByWildCard_Click();
    case Command::Rank:
        return cmdRank_Click(call.index);
    case Command::SetRelevancy:
        return mnuSetRelevancySetN_Click(call.index);
    case Command::Delete:
        return mnuDeleteKWs_Click();
    case Command::DeleteOrBan:
        if (m_pageType == KWPageType::Banned)
            mnuDeleteKWs_Click();
        else
            cmdRank_Click(0);
        break;
    case Command::Copy:
        return mnuCopyKW_Click();
    case Command::ReorderWords:
        return ReorderWords();
    case Command::ContextMenu:
        return popupContextMenu();
    case Command::AddToGroup:
        return mnuAddToGroup_Click();
    case Command::MoveToGroup:
        return mnuMoveToGroup_Click();
    case Command::RemoveFromGroup:
        return mnuRemoveFromGroup_Click();
    case Command::CollectBySelectedKeyword:
        return mnuCrawlSEforKW_Click();
    case Command::OpenSER:
        return mnuOpenSE_Click(call.index);
    case Command::OpenSERForCustomKW:
        return mnuOpenSEForCustomKW_Click(call.index);
    case Command::ExportAll:
        return mnuExportAll_Click();
    case Command::ExportSelected:
        return mnuExportSelected_Click();
    case Command::ExportTop:
        return mnuExportTop_Click(call.index);
    case Command::ExportWords:
        return mnuContextExportWords_Click();
    }
}

void ucKW::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void ucKW::layoutControls()
{
    m_lv->setContextMenuPolicy(Qt::PreventContextMenu);
    KWPageLayout::Controls controls;
    controls.grid = m_lv;
    controls.rawIcon = m_picRawIcon;
    controls.rawDescription = m_lblRawDescription;
    controls.rankKeyword = m_lblRankKeyword;
    controls.total = m_lblTotal;
    controls.hideGrouped = m_chkHideGrouped;
    controls.rankAdvanced = m_chkRankAdvanced;
    controls.add = m_cmdAdd;
    controls.get = m_cmdGet;
    controls.rank = m_cmdRank;
    KWPageLayout::Apply(controls, size(), m_pageType, m_advanced);
}
