#include "engine/database/GroupStore.h"

#include <vector>

#include "engine/database/KeywordStore.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CDataNodes.h"
#include "engine/platform/SqlDatabase.h"

namespace zentrel {

namespace {

struct GroupRow {
    int id;
    QString name;
    int parent; // 0 for a top-level group, -1 once placed
    QString count;
};

void addChildGroups(CDataNodes& nodes, int parentId, std::vector<GroupRow>& rows)
{
    for (auto& row : rows) {
        if (row.parent != parentId)
            continue;
        row.parent = -1;
        CDataNode& node = nodes.Add();
        node.setValue(QString::number(row.id) + QLatin1Char('\t') + row.name + QLatin1Char('\t') +
                      row.count);
        addChildGroups(node.Children(), row.id, rows);
    }
}

} // namespace

int GroupStore::addGroup(const SqlDatabase& db, const QString& name, int parentId, bool& wasFirst)
{
    wasFirst =
        db.scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM project.\"Group\" LIMIT 1)"))
            .toInt() == 0;
    return static_cast<int>(db.addRow(QStringLiteral("Group"), {"Name", "ParentGroup"},
                                      {name, parentId > 0 ? QVariant(parentId) : QVariant()}));
}

void GroupStore::removeGroup(const SqlDatabase& db, int id)
{
    db.execute(QStringLiteral("DELETE FROM project.\"Group\" WHERE pkGroup = ?1"), {id});
    db.execute(QStringLiteral("DELETE FROM project.KWGroup WHERE fkGroup = ?1"), {id});
}

void GroupStore::updateGroup(const SqlDatabase& db, int id, const QString& newName,
                             std::optional<int> newParent)
{
    if (!newName.isEmpty() && !newParent) {
        db.execute(QStringLiteral("UPDATE project.\"Group\" SET Name = ?1 WHERE pkGroup = ?2"),
                   {newName, id});
    } else if (!newName.isEmpty()) {
        db.execute(QStringLiteral("UPDATE project.\"Group\" SET Name = ?1, ParentGroup = ?2 WHERE "
                                  "pkGroup = ?3"),
                   {newName, *newParent, id});
    } else if (newParent) {
        db.execute(
            QStringLiteral("UPDATE project.\"Group\" SET ParentGroup = ?1 WHERE pkGroup = ?2"),
            {*newParent, id});
    }
}

void GroupStore::moveGroup(const SqlDatabase& db, int groupId, int newParentId)
{
    db.execute(QStringLiteral("UPDATE project.\"Group\" SET ParentGroup = ?1 WHERE pkGroup = ?2"),
               {newParentId < 1 ? QVariant() : QVariant(newParentId), groupId});
}

void GroupStore::addToGroup(const SqlDatabase& db, const QVariantList& ids, int groupId)
{
    if (ids.size() == 1) {
        db.execute(
            QStringLiteral("INSERT INTO project.KWGroup (fkKW, fkGroup) SELECT ?1, ?2 WHERE NOT "
                           "EXISTS (SELECT 1 FROM project.KWGroup WHERE fkGroup = ?2 AND fkKW = "
                           "?1)"),
            {ids.front(), groupId});
        return;
    }
    removeFromGroup(db, ids, groupId);
    auto insert =
        db.query(QStringLiteral("INSERT INTO project.KWGroup (fkKW, fkGroup) VALUES (?1, ?2)"));
    for (const QVariant& id : ids) {
        insert.bind(1, id).bind(2, groupId);
        insert.execute();
    }
}

void GroupStore::removeFromGroup(const SqlDatabase& db, const QVariantList& ids, int groupId)
{
    for (const QVariantList& piece : KeywordStore::pieces(ids)) {
        QVariantList params{groupId};
        params += piece;
        db.execute(QStringLiteral("DELETE FROM project.KWGroup WHERE fkGroup = ?1 AND fkKW IN (%1)")
                       .arg(KeywordStore::placeholders(static_cast<int>(piece.size()), 2)),
                   params);
    }
}

CDataNodes GroupStore::groups(const SqlDatabase& db, bool withCounts)
{
    const QString sql =
        withCounts
            ? QStringLiteral("SELECT g.pkGroup, g.Name, g.ParentGroup, count(kg.fkKW) AS "
                             "Cnt FROM project.\"Group\" AS g LEFT JOIN project.KWGroup AS kg ON "
                             "g.pkGroup = kg.fkGroup GROUP BY g.pkGroup, g.Name, "
                             "g.ParentGroup ORDER BY g.pkGroup")
            : QStringLiteral("SELECT pkGroup, Name, ParentGroup FROM project.\"Group\" ORDER BY "
                             "pkGroup");
    std::vector<GroupRow> rows;
    auto query = db.query(sql);
    while (query.next()) {
        rows.push_back({query.int32(0), query.text(1), query.isNull(2) ? 0 : query.int32(2),
                        withCounts ? QString::number(query.int64(3)) : QString()});
    }
    CDataNodes nodes;
    addChildGroups(nodes, 0, rows);
    return nodes;
}

} // namespace zentrel
