#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

class QIcon;
class QTreeWidget;
class QTreeWidgetItem;

// The group nodes of a tree view: key "pk" and the group id, the group name as text, the id as
// tag, the folder images. Siblings stand in id order, as the engine lists the groups, so that a
// tree changed in place shows what a fresh fill would.
class GroupTree {
public:
    static QString keyOf(int groupId);
    static QString key(const QTreeWidgetItem* node);
    static int tag(const QTreeWidgetItem* node);

    // Adds a node under parent, or at the top level without one, at its place among its siblings.
    static QTreeWidgetItem* addNode(QTreeWidget& tree, QTreeWidgetItem* parent, int groupId,
                                    const QString& text, const QIcon& icon);
    // The node of a key; null when there is none.
    static QTreeWidgetItem* find(const QTreeWidget& tree, const QString& key);
    // The node the commands act on: the selected one, else the current (framed) one; null when
    // there is neither.
    static QTreeWidgetItem* selected(const QTreeWidget& tree);
    // Selects the node and scrolls it into view.
    static void select(QTreeWidget& tree, QTreeWidgetItem* node);
    // Puts the node with its whole subtree under newParent, or at the top level without one, at
    // its place among its new siblings.
    static void move(QTreeWidget& tree, QTreeWidgetItem* node, QTreeWidgetItem* newParent);
    // Every node, at any depth.
    static int count(const QTreeWidget& tree);

    static constexpr int kKeyRole = Qt::UserRole;
    static constexpr int kTagRole = Qt::UserRole + 1;
};
