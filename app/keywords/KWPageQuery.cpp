#include "app/keywords/KWPageQuery.h"

std::optional<KWStore::Query> KWPageQuery::For(KWPageType type, int groupId)
{
    KWStore::Query query;
    switch (type) {
    case KWPageType::Candidates:
        query.kind = KWStore::kwk_raw;
        return query;
    case KWPageType::Keywords:
        query.kind = KWStore::kwk_kws;
        return query;
    case KWPageType::Banned:
        query.kind = KWStore::kwk_banned;
        return query;
    case KWPageType::Group:
        query.forGroup = true;
        query.groupId = groupId;
        return query;
    }
    return std::nullopt;
}
