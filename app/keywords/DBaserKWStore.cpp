#include "app/keywords/DBaserKWStore.h"

#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CKeyedCollection.h"

namespace {

zentrel::CKeyedCollection idCollection(const QList<int>& ids)
{
    zentrel::CKeyedCollection collection;
    for (const int id : ids)
        collection.Add(id);
    return collection;
}

zentrel::DBaser& checked(zentrel::DBaser* dbaser)
{
    if (!dbaser)
        throw zentrel::ZError(zentrel::kUnexpected, QStringLiteral("The keyword store is closed"),
                              QStringLiteral("DBaserKWStore"));
    return *dbaser;
}

} // namespace

DBaserKWStore::DBaserKWStore(zentrel::DBaser* dbaser, QObject* parent)
    : KWStore(parent)
    , m_dbaser(dbaser)
{
    if (!dbaser)
        return;
    connect(dbaser, &zentrel::DBaser::NewKws, this, [this] { emit NewKws(); });
    connect(dbaser, &zentrel::DBaser::NewOvertureCounts, this,
            [this] { emit NewOvertureCounts(); });
}

KWRecords DBaserKWStore::getKWsEx(const Query& query)
{
    zentrel::DBaser& dbaser = checked(m_dbaser);
    zentrel::CAttributes params;
    if (query.all)
        params.Add(QStringLiteral("CS_GET_ALL_KEYWORDS"), QString());
    else
        params.Add(QStringLiteral("CS_MAX_KEYWORDS_COUNT"), query.maxCount);
    if (query.excludeGrouped)
        params.Add(QStringLiteral("CS_EXCLUDE_GROUPED_KEYWORDS"), true);
    zentrel::KeywordTable table;
    if (query.forGroup && !query.all) {
        table = dbaser.getKWsForGroup(query.groupId, &params);
    } else {
        if (query.forGroup) {
            params.Add(QStringLiteral("CS_GET_KEYWORDS_FOR_GROUP"), true);
            params.Add(QStringLiteral("CS_GROUP_ID"), query.groupId);
        }
        table = dbaser.getKWsEx(static_cast<zentrel::enKWKind>(query.kind), &params);
    }
    KWRecords records;
    records.reserve(static_cast<std::size_t>(table.count()));
    for (int i = 0; i < table.count(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        records.push_back(
            {table.ids[at], table.texts[i], table.searches[at], table.relevancies[at]});
    }
    return records;
}

void DBaserKWStore::SetRelevancy(const QList<int>& ids, int relevancy)
{
    checked(m_dbaser).SetRelevancy(idCollection(ids), relevancy);
}

void DBaserKWStore::DeleteKWs(const QList<int>& ids)
{
    checked(m_dbaser).DeleteKWs(idCollection(ids));
}

bool DBaserKWStore::UpdateKW(const QString& kw)
{
    return checked(m_dbaser).UpdateKW(kw);
}

void DBaserKWStore::AddToGroup(const QList<int>& ids, int groupId)
{
    checked(m_dbaser).AddToGroup(idCollection(ids), groupId);
}

void DBaserKWStore::MoveToGroup(const QList<int>& ids, int fromGroupId, int toGroupId)
{
    checked(m_dbaser).MoveToGroup(idCollection(ids), fromGroupId, toGroupId);
}

void DBaserKWStore::RemoveFromGroup(const QList<int>& ids, int groupId)
{
    checked(m_dbaser).RemoveFromGroup(idCollection(ids), groupId);
}

QString DBaserKWStore::ProjectDBFilename() const
{
    return m_dbaser ? m_dbaser->ProjectDBFilename() : QString();
}
