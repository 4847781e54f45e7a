#include "app/collect/GroupEditor.h"

#include <QSignalBlocker>
#include <QTreeWidget>

#include "app/collect/FMoveToGroup.h"
#include "app/collect/GroupIcons.h"
#include "app/collect/GroupTree.h"
#include "app/keywords/KWServices.h"
#include "app/shell/StringTable.h"
#include "engine/database/DBaser.h"

GroupEditor::GroupEditor(QTreeWidget& tree)
    : m_tv(tree)
{
}

void GroupEditor::setEngine(zentrel::DBaser* dbaser, KWServices* services, GroupPickMemory* memory)
{
    m_dbaser = dbaser;
    m_services = services;
    m_memory = memory;
}

bool GroupEditor::ready() const
{
    return m_dbaser && m_services;
}

bool GroupEditor::AddGroupPrompt(QTreeWidgetItem* parent)
{
    if (!ready())
        return false;
    const QString name = m_services->AskInput(StringTable::text(parent ? 159 : 171)).trimmed();
    if (name.isEmpty())
        return false;
    // The engine rebuilds the page while it adds the project's first group: hold keys, and add
    // the node only when the rebuild did not.
    const QString parentKey = GroupTree::key(parent);
    const int id = m_dbaser->AddGroup(name, parent ? GroupTree::tag(parent) : 0);
    QTreeWidgetItem* node = GroupTree::find(m_tv, GroupTree::keyOf(id));
    parent = parent ? GroupTree::find(m_tv, parentKey) : nullptr;
    if (node == nullptr)
        node = GroupTree::addNode(m_tv, parent, id, name, GroupIcons::nodeIcon());
    if (parent)
        parent->setExpanded(true);
    GroupTree::select(m_tv, node);
    return true;
}

void GroupEditor::Rename()
{
    QTreeWidgetItem* node = GroupTree::selected(m_tv);
    if (node == nullptr || !ready())
        return;
    const QString key = GroupTree::key(node);
    const QString name =
        m_services->AskInput(StringTable::format(161, {node->text(0)}), {}, node->text(0))
            .trimmed();
    if (name.isEmpty())
        return;
    m_dbaser->UpdateGroup(GroupTree::tag(node), name);
    if ((node = GroupTree::find(m_tv, key)))
        node->setText(0, name);
}

bool GroupEditor::Remove()
{
    QTreeWidgetItem* node = GroupTree::selected(m_tv);
    if (node == nullptr || !ready())
        return false;
    if (node->childCount() > 0) {
        m_services->ShowMsg(StringTable::text(160), 48);
        return false;
    }
    const QString key = GroupTree::key(node);
    const int id = GroupTree::tag(node);
    if (m_services->ShowMsg(StringTable::format(162, {node->text(0)}), 52) != KWServices::Yes)
        return false;
    m_dbaser->RemoveGroup(id);
    delete GroupTree::find(m_tv, key);
    return true;
}

bool GroupEditor::Move(QWidget* pickerOwner)
{
    QTreeWidgetItem* node = GroupTree::selected(m_tv);
    if (node == nullptr || !ready())
        return false;
    const QString key = GroupTree::key(node);
    const int id = GroupTree::tag(node);
    int picked = 0;
    {
        FMoveToGroup picker(pickerOwner);
        picker.init(m_services, m_dbaser, m_memory);
        if (!picker.ShowPicker(StringTable::text(169), StringTable::text(170), false, picked, true,
                               id))
            return false;
    }
    m_dbaser->MoveGroup(id, picked);
    if ((node = GroupTree::find(m_tv, key)))
        placeMoved(node, picked);
    return true;
}

bool GroupEditor::MoveToRoot()
{
    QTreeWidgetItem* node = GroupTree::selected(m_tv);
    if (node == nullptr || !m_dbaser)
        return false;
    m_dbaser->MoveGroup(GroupTree::tag(node), 0);
    placeMoved(node, 0);
    return true;
}

void GroupEditor::placeMoved(QTreeWidgetItem* node, int newParentId)
{
    QTreeWidgetItem* parent =
        newParentId > 0 ? GroupTree::find(m_tv, GroupTree::keyOf(newParentId)) : nullptr;
    {
        const QSignalBlocker quiet(&m_tv);
        GroupTree::move(m_tv, node, parent);
    }
    GroupTree::select(m_tv, node);
}
