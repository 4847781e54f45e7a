#pragma once

#include <optional>

#include <QString>
#include <QVariantList>

namespace zentrel {

class CDataNodes;
class SqlDatabase;

// The group statements on the project database.
class GroupStore {
public:
    // The new group's id; wasFirst tells whether the table was empty before.
    static int addGroup(const SqlDatabase& db, const QString& name, int parentId, bool& wasFirst);
    static void removeGroup(const SqlDatabase& db, int id);
    static void updateGroup(const SqlDatabase& db, int id, const QString& newName,
                            std::optional<int> newParent);
    static void moveGroup(const SqlDatabase& db, int groupId, int newParentId);
    // Each keyword ends with one membership in the group; the caller holds the transaction.
    static void addToGroup(const SqlDatabase& db, const QVariantList& ids, int groupId);
    static void removeFromGroup(const SqlDatabase& db, const QVariantList& ids, int groupId);
    // The tree of groups: each node's value is the id, a tab, the name, a tab and the keyword
    // count (empty without counts); its children are the subgroups.
    static CDataNodes groups(const SqlDatabase& db, bool withCounts);
};

} // namespace zentrel
