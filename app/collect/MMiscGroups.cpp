#include <QTreeWidget>

#include "app/collect/GroupIcons.h"
#include "app/collect/GroupTree.h"
#include "app/collect/MMisc.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CDataNodes.h"

namespace {

void fill(QTreeWidgetItem* parent, const zentrel::CDataNodes& groups, QTreeWidget& tree,
          bool expand, bool showCount, int hiddenGroupId, const QIcon& icon)
{
    for (const zentrel::CDataNode& group : groups) {
        // id, tab, name, tab, count
        const QStringList parts = group.Value().split(QLatin1Char('\t'));
        const int id = parts.value(0).toInt();
        if (id == hiddenGroupId)
            continue;
        const QString name = parts.value(1);
        const QString text =
            showCount ? name + QStringLiteral(" (") + parts.value(2) + QLatin1Char(')') : name;
        QTreeWidgetItem* node = GroupTree::addNode(tree, parent, id, text, icon);
        fill(node, group.Children(), tree, expand, showCount, hiddenGroupId, icon);
        if (expand)
            node->setExpanded(true);
    }
}

} // namespace

void MMisc::FillGroupTree(QTreeWidgetItem* ParentNode, const zentrel::CDataNodes& Groups,
                          QTreeWidget& Tree, bool Expand, bool ShowCount, int HiddenGroupId)
{
    const bool updates = Tree.updatesEnabled();
    Tree.setUpdatesEnabled(false);
    fill(ParentNode, Groups, Tree, Expand, ShowCount, HiddenGroupId, GroupIcons::nodeIcon());
    Tree.setUpdatesEnabled(updates);
}
