#include "app/collect/GroupTree.h"

#include <QIcon>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

QString GroupTree::keyOf(int groupId)
{
    return QStringLiteral("pk") + QString::number(groupId);
}

QString GroupTree::key(const QTreeWidgetItem* node)
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

int GroupTree::tag(const QTreeWidgetItem* node)
{
    return node ? node->data(0, kTagRole).toInt() : 0;
}

namespace {

int childCount(const QTreeWidget& tree, const QTreeWidgetItem* parent)
{
    return parent ? parent->childCount() : tree.topLevelItemCount();
}

QTreeWidgetItem* childAt(const QTreeWidget& tree, const QTreeWidgetItem* parent, int i)
{
    return parent ? parent->child(i) : tree.topLevelItem(i);
}

// Siblings stand in the order in which the engine lists groups: by id.
void insertInOrder(QTreeWidget& tree, QTreeWidgetItem* parent, QTreeWidgetItem* node)
{
    const int id = GroupTree::tag(node);
    int at = childCount(tree, parent);
    while (at > 0 && GroupTree::tag(childAt(tree, parent, at - 1)) > id)
        --at;
    if (parent)
        parent->insertChild(at, node);
    else
        tree.insertTopLevelItem(at, node);
}

} // namespace

QTreeWidgetItem* GroupTree::addNode(QTreeWidget& tree, QTreeWidgetItem* parent, int groupId,
                                    const QString& text, const QIcon& icon)
{
    auto* node = new QTreeWidgetItem;
    node->setText(0, text);
    node->setIcon(0, icon);
    node->setData(0, kKeyRole, keyOf(groupId));
    node->setData(0, kTagRole, groupId);
    insertInOrder(tree, parent, node);
    return node;
}

QTreeWidgetItem* GroupTree::find(const QTreeWidget& tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        if ((*it)->data(0, kKeyRole).toString() == key)
            return *it;
    return nullptr;
}

QTreeWidgetItem* GroupTree::selected(const QTreeWidget& tree)
{
    const QList<QTreeWidgetItem*> items = tree.selectedItems();
    return items.isEmpty() ? tree.currentItem() : items.constFirst();
}

void GroupTree::select(QTreeWidget& tree, QTreeWidgetItem* node)
{
    tree.setCurrentItem(node);
    if (node) {
        node->setSelected(true);
        tree.scrollToItem(node);
    }
}

void GroupTree::move(QTreeWidget& tree, QTreeWidgetItem* node, QTreeWidgetItem* newParent)
{
    if (node == nullptr || node == newParent)
        return;
    const bool expanded = node->isExpanded();
    QTreeWidgetItem* oldParent = node->parent();
    QTreeWidgetItem* taken = oldParent ? oldParent->takeChild(oldParent->indexOfChild(node))
                                       : tree.takeTopLevelItem(tree.indexOfTopLevelItem(node));
    insertInOrder(tree, newParent, taken);
    taken->setExpanded(expanded);
}

int GroupTree::count(const QTreeWidget& tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        ++n;
    return n;
}
