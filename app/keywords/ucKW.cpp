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

#include "app/shell/WaitCursor.h"
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

constexpr int kTwips = 15; // twips per pixel
constexpr int kDeferredRefreshMs = 15000;

int px(int twips)
{
    return twips / kTwips;
}

} // namespace

ucKW::ucKW(QWidget* parent)
    : QWidget(parent)
    , m_model(new KWGridModel(&m_icons, this))
    , m_commands(m_model)
    , m_lv(new KWGridView(this))
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
{
    buildControls();
    m_commands.setRefreshPage([this] { RefreshGrid(); });
    const KWPageMenus::GroupItems groupItems =
        KWPageMenus::BuildContextMenu(*this, m_mnuContext4List);
    m_mnuMoveToGroup = groupItems.moveToGroup;
    m_mnuRemoveFromGroup = groupItems.removeFromGroup;
    KWPageMenus::BuildCollectMenu(*this, m_mnuGetFromPage);
    setPageType(KWPageType::Banned);
    SetRankMode(false);
}

ucKW::~ucKW() = default;

void ucKW::buildControls()
{
    m_lv->setModel(m_model);
    m_lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lv->setShowGrid(false);
    m_lv->setWordWrap(false);
    m_lv->setIconSize(QSize(16, 16));
    m_lv->setTabKeyNavigation(false);
    m_lv->verticalHeader()->hide();
    m_lv->verticalHeader()->setDefaultSectionSize(m_lv->fontMetrics().height() + 4);
    m_lv->horizontalHeader()->setHighlightSections(false);
    m_lv->horizontalHeader()->setStretchLastSection(false);
    sizeColumns();
    // The keyword column takes the width the other columns leave.
    m_lv->horizontalHeader()->setSectionResizeMode(KWGridModel::Keyword, QHeaderView::Stretch);
    m_lv->installEventFilter(this);
    m_lv->viewport()->installEventFilter(this);
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

// Each column is as wide as its caption, and the Relevancy column as its longest name, in the
// grid's current font.
void ucKW::sizeColumns()
{
    const int widths[] = {2800, 1250, 1200, 900};
    const int padding = 2 * m_lv->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    for (int column = 0; column < KWGridModel::ColumnCount; ++column) {
        int text = m_lv->horizontalHeader()->fontMetrics().horizontalAdvance(
            m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        if (column == KWGridModel::Relevancy) {
            for (int relevancy = 0; relevancy <= 5; ++relevancy)
                text = std::max(
                    text, m_lv->fontMetrics().horizontalAdvance(MConst::RelevancyName(relevancy)));
        }
        m_lv->setColumnWidth(column, std::max(px(widths[column]), text + padding));
    }
}

void ucKW::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        sizeColumns();
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
            const int currentRow = focusedRow();
            const int currentId = currentRow >= 0 ? m_model->rowAt(currentRow).id : 0;
            if (records.empty()) {
                m_model->clear();
            } else {
                QSet<int> selected;
                for (const int id : idsOf(selectedRows()))
                    selected.insert(id);
                const QList<int> again = m_model->refresh(records, mlRowCap, selected);
                QList<int> rows;
                for (const int id : again)
                    rows << m_model->rowOfId(id);
                selectRows(rows, false);
            }
            placeCurrentAfterRefresh(currentRow, currentId);
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

// The current keyword keeps the frame; when it left the page, the keyword now standing where it
// stood takes it, and the first fill frames the first row. A row framed so is selected too when
// nothing is.
void ucKW::placeCurrentAfterRefresh(int rowBefore, int idBefore)
{
    if (m_model->rowCount() == 0)
        return;
    if (const int row = rowBefore >= 0 ? m_model->rowOfId(idBefore) : -1; row >= 0)
        m_lv->frameRow(row);
    else
        m_lv->placeRow(std::max(rowBefore, 0));
}

QList<int> ucKW::selectedRows() const
{
    return m_lv->selectedRowList();
}

QList<int> ucKW::idsOf(const QList<int>& rows) const
{
    QList<int> ids;
    for (const int row : rows)
        ids << m_model->rowAt(row).id;
    return ids;
}

QList<int> ucKW::GetSelectedKWs() const
{
    return idsOf(m_lv->pickedRows());
}

void ucKW::selectRows(const QList<int>& rows, bool clearFirst)
{
    QList<int> sorted;
    for (const int row : rows)
        if (row >= 0 && row < m_model->rowCount())
            sorted << row;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1)
            ++j;
        selection.select(m_model->index(sorted[i], 0),
                         m_model->index(sorted[j], KWGridModel::ColumnCount - 1));
        i = j + 1;
    }
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select;
    if (clearFirst)
        flags |= QItemSelectionModel::Clear;
    m_lv->selectionModel()->select(selection, flags);
}

int ucKW::focusedRow() const
{
    return m_lv->currentRow();
}

QString ucKW::focusedKeyword() const
{
    const int row = focusedRow();
    return row < 0 ? QString() : m_model->rowAt(row).keyword;
}

void ucKW::selectAndShow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    m_lv->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    m_lv->scrollTo(index);
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
        const QList<int> ids = idsOf(rows);
        m_commands.Rank(ids, index, window());
        m_lv->setFocus();
        // Ranked rows that left the page hand the frame on as in a list box: to the keyword now
        // standing where the first of them stood, which is picked alone.
        if (m_model->rowOfId(ids.first()) < 0)
            m_lv->placeRowAlone(rows.first());
        else if (const int row = focusedRow(); row >= 0)
            m_lv->selectionModel()->select(m_model->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    });
}

void ucKW::mnuFindKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuFindKW_Click"), [&] { showFound(m_commands.Find()); });
}

void ucKW::mnuFindNextKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuFindNextKW_Click"),
            [&] { showFound(m_commands.FindNext(m_lv->pickedRows())); });
}

// A find's answer: no row leaves the selection alone; otherwise the row found is selected
// alone and shown, or nothing is selected.
void ucKW::showFound(std::optional<int> row)
{
    if (!row.has_value())
        return;
    m_lv->selectionModel()->clearSelection();
    if (*row >= 0)
        selectAndShow(*row);
}

void ucKW::mnuSelectByWildCard_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuSelectByWildCard_Click"), [&] {
        if (const std::optional<QList<int>> rows = m_commands.SelectByWords()) {
            m_lv->selectionModel()->clearSelection();
            selectRows(*rows);
        }
    });
}

void ucKW::mnuCopyKW_Click()
{
    guarded(4, QStringLiteral("ucKW.mnuCopyKW_Click"), [&] {
        if (!m_log)
            return;
        if (focusedRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        m_log->SetClipboardText(focusedKeyword());
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
        const int row = focusedRow();
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
        if (focusedRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        if (m_ownerForm)
            m_ownerForm->CollectBySelectedKeyword(focusedKeyword());
    });
}

void ucKW::mnuOpenSE_Click(int index)
{
    guarded(4, QStringLiteral("ucKW.mnuOpenSE_Click"), [&] {
        if (!m_log)
            return;
        if (focusedRow() < 0) {
            m_log->ShowMsg(MStrings::text(112), 48);
            return;
        }
        if (m_ownerForm)
            m_ownerForm->OpenSERForKW(focusedKeyword(), index);
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
        if (menuItemId == QLatin1String("CS_MENU_EXPORT_ALL"))
            mnuExportAll_Click();
        else if (menuItemId == QLatin1String("CS_MENU_EXPORT_SELECTED"))
            mnuExportSelected_Click();
        else if (menuItemId == QLatin1String("CS_MENU_EXPORT_TOP"))
            mnuExportTop_Click(index);
        else if (menuItemId == QLatin1String("CS_MENU_FIND"))
            mnuFindKW_Click();
        else if (menuItemId == QLatin1String("CS_MENU_FIND_NEXT"))
            mnuFindNextKW_Click();
        else if (menuItemId == QLatin1String("CS_MENU_COPY"))
            mnuCopyKW_Click();
        else if (menuItemId == QLatin1String("CS_MENU_SELECT"))
            mnuSelectByWildCard_Click();
        else if (menuItemId == QLatin1String("CS_MENU_COLLECT_BY_SELECTED_KEYWORD"))
            mnuCrawlSEforKW_Click();
        else if (menuItemId == QLatin1String("CS_MENU_OPEN_SER_FOR_KW"))
            mnuOpenSE_Click(index + 1); // the main menu counts its engines from 0
        else if (menuItemId == QLatin1String("CS_MENU_OPEN_SER_FOR_CUSTOM_KW"))
            mnuOpenSEForCustomKW_Click(index + 1);
        else if (menuItemId == QLatin1String("CS_MENU_ADD_KWS_TO_GROUP"))
            mnuAddToGroup_Click();
        else if (menuItemId == QLatin1String("CS_MENU_MOVE_KWS_TO_GROUP"))
            mnuMoveToGroup_Click();
        else if (menuItemId == QLatin1String("CS_MENU_DELETE"))
            mnuDeleteKWs_Click();
    });
}

bool ucKW::event(QEvent* event)
{
    // A key let go while the window had lost the focus never comes up here.
    if (event->type() == QEvent::WindowDeactivate)
        m_keys.clear();
    // The page's keys win over the main window's menu shortcuts wherever the focus is on the
    // page; they run on release.
    if (event->type() == QEvent::ShortcutOverride && onShow() &&
        KWKeys::IsPageKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool ucKW::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lv) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The grid's own keys win over the main window's menu shortcuts.
            if (onShow() && KWKeys::IsGridKey(static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (onShow() && m_keys.press(static_cast<QKeyEvent*>(event), true))
                return true;
            break;
        case QEvent::KeyRelease:
            if (const KWKeys::Command command = m_keys.release(static_cast<QKeyEvent*>(event));
                command != KWKeys::Command::None) {
                runKey(command);
                return true;
            }
            break;
        case QEvent::FocusOut:
            m_keys.clear();
            break;
        default:
            break;
        }
    } else if (watched == m_lv->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && focusedRow() >= 0) {
            m_mnuContext4List->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ucKW::keyPressEvent(QKeyEvent* event)
{
    if (onShow() && m_keys.press(event, false)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ucKW::keyReleaseEvent(QKeyEvent* event)
{
    if (const KWKeys::Command command = m_keys.release(event); command != KWKeys::Command::None) {
        runKey(command);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ucKW::hideEvent(QHideEvent* event)
{
    m_keys.clear();
    QWidget::hideEvent(event);
}

// A page its window hides (another tab is on show) takes no keys.
bool ucKW::onShow() const
{
    return isVisibleTo(window());
}

void ucKW::runKey(KWKeys::Command command)
{
    using Command = KWKeys::Command;
    switch (command) {
    case Command::Refresh:
        RefreshGrid();
        break;
    case Command::Find:
        mnuFindKW_Click();
        break;
    case Command::FindNext:
        mnuFindNextKW_Click();
        break;
    case Command::SelectByWords:
        mnuSelectByWildCard_Click();
        break;
    case Command::Delete:
        if (m_pageType == KWPageType::Banned)
            mnuDeleteKWs_Click();
        else
            cmdRank_Click(0);
        break;
    case Command::Copy:
        mnuCopyKW_Click();
        break;
    case Command::ReorderWords:
        ReorderWords();
        break;
    case Command::ContextMenu:
        popupContextMenu();
        break;
    default:
        if (const int rank = KWKeys::RankOf(command); rank >= 0)
            cmdRank_Click(rank);
        break;
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
