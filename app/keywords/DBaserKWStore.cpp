#include "app/keywords/DBaserKWStore.h"

#include "engine/database/DBaser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

zentrel::CKeyedCollection collectionOf(const QList<int>& ids)
{
    zentrel::CKeyedCollection collection;
    for (const int id : ids)
        collection.Add(id);
    return collection;
}

} // namespace

DBaserKWStore::DBaserKWStore(zentrel::DBaser* dbaser, QObject* parent)
    : KWStore(parent)
    , m_dbaser(dbaser)
{
    if (dbaser == nullptr)
        return;
    connect(dbaser, &zentrel::DBaser::NewKws, this, [this] { emit NewKws(); });
    connect(dbaser, &zentrel::DBaser::NewOvertureCounts, this,
            [this] { emit NewOvertureCounts(); });
}

std::unique_ptr<KWStore> DBaserKWStore::over(const zentrel::Scripting* scripting)
{
    zentrel::DBaser* dbaser = scripting != nullptr ? scripting->DBaser() : nullptr;
    if (dbaser == nullptr)
        return nullptr;
    return std::make_unique<DBaserKWStore>(dbaser);
}

zentrel::DBaser& DBaserKWStore::dbaser() const
{
    if (m_dbaser == nullptr)
        throw zentrel::ZError(zentrel::kInvalidArgument, QStringLiteral("No database is open. "),
                              QStringLiteral("DBaserKWStore"));
    return *m_dbaser;
}

KWRecords DBaserKWStore::getKWsEx(const Query& query)
{
    zentrel::KeywordOptions options;
    options.maxCount = query.maxCount;
    options.all = query.all;
    options.excludeGrouped = query.excludeGrouped;
    const zentrel::KeywordTable table =
        query.forGroup ? dbaser().getKWsForGroup(query.groupId, options)
                       : dbaser().getKWsEx(static_cast<zentrel::enKWKind>(query.kind), options);
    KWRecords records;
    records.reserve(table.ids.size());
    for (int i = 0; i < table.count(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        records.push_back(
            {table.ids[at], table.texts.at(i), table.searches[at], table.relevancies[at]});
    }
    return records;
}

void DBaserKWStore::SetRelevancy(const QList<int>& ids, int relevancy)
{
    dbaser().SetRelevancy(collectionOf(ids), relevancy);
}

void DBaserKWStore::DeleteKWs(const QList<int>& ids)
{
    dbaser().DeleteKWs(collectionOf(ids));
}

bool DBaserKWStore::UpdateKW(const QString& kw)
{
    return dbaser().UpdateKW(kw);
}

void DBaserKWStore::AddToGroup(const QList<int>& ids, int groupId)
{
    dbaser().AddToGroup(collectionOf(ids), groupId);
}

void DBaserKWStore::MoveToGroup(const QList<int>& ids, int fromGroupId, int toGroupId)
{
    dbaser().MoveToGroup(collectionOf(ids), fromGroupId, toGroupId);
}

void DBaserKWStore::RemoveFromGroup(const QList<int>& ids, int groupId)
{
    dbaser().RemoveFromGroup(collectionOf(ids), groupId);
}

QString DBaserKWStore::ProjectDBFilename() const
{
    return m_dbaser == nullptr ? QString() : m_dbaser->ProjectDBFilename();
}
