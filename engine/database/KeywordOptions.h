#pragma once

#include <optional>

namespace zentrel {

// What a keyword listing or addition asks for, in place of its option attributes.
struct KeywordOptions {
    int maxCount = 1000;         // a listing's row limit
    bool all = false;            // a listing without row limit
    bool excludeGrouped = false; // kept keywords in no group (a listing of kwk_kws only)
    std::optional<int> groupId;  // the ranked keywords of one group; the kind is ignored
    std::optional<int> rank;     // the relevancy an addition gives every keyword it stores
};

} // namespace zentrel
