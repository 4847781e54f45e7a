#pragma once

#include <memory>

#include <QPointer>
#include <QWidget>

#include "app/collect/GroupEditor.h"
#include "app/collect/GroupTreeKeyboard.h"
#include "app/shell/IVXPage.h"

class CSplitter;
class MainWindowKWOwner;
class KWOwner;
class KWProgramServices;
class KWServices;
class KWStore;
class QMenu;
class QPushButton;
class QSplitter;
class QTreeWidget;
class ucKW;
struct GroupPickMemory;

namespace zentrel {
class DBaser;
} // namespace zentrel

// The group tree page: the project's groups as a tree on top and, below a splitter bar, the
// keywords of the selected group. Creates, renames, deletes and moves groups.
class ucGroups final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ucGroups)

public:
    explicit ucGroups(QWidget* parent = nullptr);
    // The page of the main window, whose owner gives the inner page its side and the pickers'
    // memory.
    explicit ucGroups(MainWindowKWOwner* owner, QWidget* parent = nullptr);
    ~ucGroups() override;

    // The page interface.
    void init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
              FMain* ownerForm) override;
    // The same on its parts: the engine's database object, the inner page's store, the boxes
    // and the log, the main window's side, and the pickers' memory.
    void init(zentrel::DBaser* dbaser, KWStore* store, KWServices* services, KWOwner* owner,
              GroupPickMemory* memory);
    void Refresh() override;
    void MenuEvent(const QString& menuItemId, int index) override;
    void Finalize() override;
    void SetRankMode(bool setAdvanced) override;

    // Commands.
    void tv_NodeClick();
    void cmdAdd_Click();
    void cmdAddRoot_Click();
    void mnuAddGroup_Click();
    void mnuAddGroupToRoot_Click();
    void cmdRename_Click();
    void cmdRemove_Click();
    void mnuMoveGroup_Click();
    void mnuMoveGroupToRoot_Click();
    // The pop-up menu at a point of the tree's viewport, when a node is selected.
    void popupTreeMenu(const QPoint& at);

    QTreeWidget* tv() const { return m_tv; }
    ucKW* KWs() const { return m_KWs; }
    QSplitter* pSplit() const { return m_pSplit; }
    CSplitter* splitter() const { return m_splitter; }
    QPushButton* cmdAdd() const { return m_cmdAdd; }
    QPushButton* cmdRemove() const { return m_cmdRemove; }
    QMenu* mnuTreeContext() const { return m_mnuTreeContext; }
    int lastLoadedGroup() const { return m_lastLoadedGroup; }

    // Twips of the page's layout.
    static constexpr int kMinBarTop = 1000;
    static constexpr int kMinBelowBar = 4450;
    static constexpr int kMinHeight = 5000;
    static constexpr int kMinWidth = 1500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void rebuild();
    void runKey(GroupTreeKeyboard::Command command);
    template <class F> void guarded(int level, const QString& source, F&& command);

    QPointer<zentrel::DBaser> moDBaser;
    KWServices* m_services = nullptr;
    KWOwner* m_owner = nullptr;
    int m_lastLoadedGroup = 0;
    GroupTreeKeyboard m_keys;

    // The owner the page was made with, and what the main window's init made.
    MainWindowKWOwner* m_pageOwner = nullptr;
    std::unique_ptr<KWStore> m_ownStore;
    std::unique_ptr<KWProgramServices> m_ownServices;

    QSplitter* m_pSplit;
    QWidget* m_top;
    QTreeWidget* m_tv;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdRemove;
    ucKW* m_KWs;
    CSplitter* m_splitter;
    QMenu* m_mnuTreeContext;
    GroupEditor m_editor;
};
