#pragma once

#include <array>

#include <QDialog>

#include "app/collect/GroupPickMemory.h"

class KWServices;
class QLabel;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeWidget;

namespace zentrel {
class DBaser;
} // namespace zentrel

// The group picker: the user picks the group to put keywords into (optionally with a rank), to
// move keywords to, or to move a group under. Offers to make the first group when there is none.
class FMoveToGroup final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FMoveToGroup)

public:
    explicit FMoveToGroup(QWidget* parent = nullptr);
    ~FMoveToGroup() override;

    // services: boxes, the dialog's showing and the log; memory: kept between pickers.
    void init(KWServices* services, zentrel::DBaser* dbaser, GroupPickMemory* memory);

    // True when the user picked a target: PickedItem is the group (0: the top level, only by
    // "Move to Root") and, with PickRank, PickedRank the relevancy chosen: with PickRank, OK
    // waits for a rank. False when cancelled or when nothing can be offered.
    bool ShowPicker(const QString& FormCaption, const QString& FormDescription, bool PickRank,
                    int& PickedItem, bool MoveGroupMode, int HiddenGroupId = 0,
                    int* PickedRank = nullptr);

    bool OKPressed() const { return m_okPressed; }

    void cmdOK_Click();
    void cmdMoveToRoot_Click();
    void cmdCancel_Click();

    QTreeWidget* tv() const { return m_tv; }
    QLabel* lblCaption() const { return m_lblCaption; }
    QLabel* lblRank() const { return m_lblRank; }
    QRadioButton* optRank(int index) const { return m_optRank[static_cast<std::size_t>(index)]; }
    QPushButton* cmdMoveToRoot() const { return m_cmdMoveToRoot; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pick(const QString& caption, const QString& description, bool pickRank, int& pickedItem,
              bool moveGroupMode, int hiddenGroupId, int* pickedRank);
    void preselect(bool pickRank);
    int chosenRank() const; // 0: none
    void updateOK();

    KWServices* m_services = nullptr;
    zentrel::DBaser* m_dbaser = nullptr;
    GroupPickMemory* m_memory = &m_ownMemory;
    GroupPickMemory m_ownMemory; // when the caller keeps none
    int m_pickedItem = 0;
    bool m_okPressed = false;
    bool m_pickRank = false;

    QLabel* m_lblCaption;
    QTreeWidget* m_tv;
    QLabel* m_lblRank;
    std::array<QRadioButton*, 6> m_optRank{};
    QPushButton* m_cmdMoveToRoot;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QStatusBar* m_sb;
};
