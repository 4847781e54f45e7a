#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>

#include "app/keywords/KWCommandTable.h"
#include "app/keywords/KWGridView.h"
#include "app/keywords/KWIcons.h"
#include "app/keywords/KWPageCommands.h"
#include "app/keywords/KWPageKeyboard.h"
#include "app/keywords/KWPageLayout.h"
#include "app/keywords/KWPageType.h"
#include "app/keywords/KWScore.h"
#include "app/shell/IVXPage.h"
#include "app/shell/LoggingGuard.h"

class KWGridModel;
class KWOwner;
class KWServices;
class KWStore;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

// The keyword list page: the candidates, kept keywords, banned keywords or one group's keywords
// (KWPageType) in a grid, with ranking, find and select, delete, reorder, groups,
// collecting, browsing and export.
class ucKW final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ucKW)

public:
    explicit ucKW(QWidget* parent = nullptr);
    ~ucKW() override;

    // The stored property: a KWPageType's number, or another number that shows nothing.
    int PageType() const { return static_cast<int>(m_pageType); }
    void setPageType(int pageType);
    void setPageType(KWPageType type) { setPageType(static_cast<int>(type)); }
    KWPageType type() const { return m_pageType; }
    int GroupId() const { return m_groupId; }
    void setGroupId(int groupId);
    int RowCap() const { return mlRowCap; }

    static std::int64_t Score(int searches, int relevancy)
    {
        return KWScore::Score(searches, relevancy);
    }
    static QString ScoreText(int searches, int relevancy)
    {
        return KWScore::ScoreText(searches, relevancy);
    }
    static int PageTypeToTab(int pageType)
    {
        return ::PageTypeToTab(static_cast<KWPageType>(pageType));
    }

    void RefreshGrid();
    void ClearGrid();

    // The page interface. init takes the store, the services (the log among them) and the main
    // window's side; calling it again drops the earlier ones.
    using IVXPage::init;
    void init(KWStore* dbaser, KWServices* log, KWOwner* ownerForm);
    void Refresh() override { RefreshGrid(); }
    void MenuEvent(const QString& menuItemId, int index) override;
    void Finalize() override;
    void SetRankMode(bool setAdvanced) override;

    // Commands.
    void cmdRank_Click(int index);
    void mnuFindKW_Click();
    void mnuFindNextKW_Click();
    void mnuSelectByWildCard_Click();
    void mnuCopyKW_Click();
    void mnuDeleteKWs_Click();
    void ReorderWords();
    void mnuAddToGroup_Click();
    void mnuMoveToGroup_Click();
    void mnuRemoveFromGroup_Click();
    void mnuCrawlSEforKW_Click();
    void mnuOpenSE_Click(int index);
    void mnuOpenSEForCustomKW_Click(int index);
    void mnuExportAll_Click();
    void mnuExportSelected_Click();
    void mnuExportTop_Click(int index);
    void mnuContextExportWords_Click();
    void mnuSetRelevancySetN_Click(int index);
    // A collection command of the program ("AddKeywords", "PasteKWs", ...).
    void Collect(const QString& command);
    void popupContextMenu();

    // The keyword ids the commands act on, in grid order: the selected rows, else the current
    // row alone.
    QList<int> GetSelectedKWs() const { return m_lv->pickedIds(); }
    // The selected rows alone.
    QList<int> selectedRows() const { return m_lv->selectedRowList(); }
    void selectRows(const QList<int>& rows, bool clearFirst = true)
    {
        m_lv->selectRows(rows, clearFirst);
    }

    KWGridView* lv() const { return m_lv; }
    KWGridModel* model() const { return m_model; }
    const KWIcons& ImageList1() const { return m_icons; }
    QLabel* lblTotal() const { return m_controls.total; }
    QLabel* lblRawDescription() const { return m_controls.rawDescription; }
    QCheckBox* chkHideGrouped() const { return m_controls.hideGrouped; }
    QCheckBox* chkRankAdvanced() const { return m_controls.rankAdvanced; }
    QPushButton* cmdRank(int index) const
    {
        return m_controls.rank[static_cast<std::size_t>(index)];
    }
    QPushButton* cmdAdd() const { return m_controls.add; }
    QPushButton* cmdGet() const { return m_controls.get; }
    QMenu* mnuContext4List() const { return m_mnuContext4List; }
    QMenu* mnuGetFromPage() const { return m_mnuGetFromPage; }
    QTimer* Timer1() const { return m_timer1; }

signals:
    void propertyChanged(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void run(KWCommandTable::Call call);
    void connectStore();
    void RefreshStatusBarKWsCount();
    void updateRawDescription();
    void layoutControls();
    void deleteOrBan();
    template <class F> void guarded(int level, const QString& source, F&& command)
    {
        LoggingGuard(LoggingGuard::writerOf(m_services), level, source)
            .runCatchingAll(std::forward<F>(command));
    }
    template <class F> void onCurrentKeyword(const QString& source, F&& command);

    QPointer<KWStore> moDBaser;
    KWServices* m_services = nullptr;
    KWOwner* m_ownerForm = nullptr;
    QIcon mpicPanel1;
    KWPageType m_pageType = KWPageType::Banned;
    int m_groupId = 0;
    int mlRowCap = 32000;
    bool m_rankModeGuard = false;

    KWIcons m_icons;
    KWGridModel* m_model;
    KWPageCommands m_commands;
    KWGridView* m_lv;
    KWPageLayout::Controls m_controls;
    QTimer* m_timer1;
    QMenu* m_mnuContext4List;
    QMenu* m_mnuGetFromPage;
    KWPageKeyboard m_keys;
    QAction* m_mnuMoveToGroup = nullptr;
    QAction* m_mnuRemoveFromGroup = nullptr;
    bool m_advanced = false;
};
