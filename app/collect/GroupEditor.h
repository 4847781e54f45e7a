#pragma once

#include <QPointer>

class KWServices;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
struct GroupPickMemory;

namespace zentrel {
class DBaser;
} // namespace zentrel

// The group tree page's commands on its tree: each changes the project through the engine and
// the affected nodes together, without a reload. Errors reach the caller.
class GroupEditor {
public:
    explicit GroupEditor(QTreeWidget& tree);

    void setEngine(zentrel::DBaser* dbaser, KWServices* services, GroupPickMemory* memory);

    // Asks for a name and adds the group under parent, or at the top level without one. This
    // and the other commands but Rename are true when another group may be selected now.
    bool AddGroupPrompt(QTreeWidgetItem* parent);
    // A blank name changes nothing.
    void Rename();
    // A group with subgroups is refused; a leaf goes only after Yes.
    bool Remove();
    // The picker offers every group but the selected one's subtree; pickerOwner is its owner.
    bool Move(QWidget* pickerOwner);
    bool MoveToRoot();

private:
    bool ready() const;
    // Puts the node under the group newParentId (0: the top level) as the engine did.
    void placeMoved(QTreeWidgetItem* node, int newParentId);

    QTreeWidget& m_tv;
    QPointer<zentrel::DBaser> m_dbaser;
    KWServices* m_services = nullptr;
    GroupPickMemory* m_memory = nullptr;
};
