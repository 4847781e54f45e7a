#pragma once

#include <optional>

#include "app/keywords/KWPageType.h"
#include "app/keywords/KWStore.h"

// The store's query of a page type's keywords.
class KWPageQuery {
public:
    // None for a number that is no page type.
    static std::optional<KWStore::Query> For(KWPageType type, int groupId);
};
