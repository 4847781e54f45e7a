#pragma once

#include "engine/research/RetryOrder.h"

namespace zentrel {

class DBaser;

// What the research timers' picks read of a database object: the keywords without a search
// count, and the ranked keywords due for a result-page lookup.
class DueKeywords {
public:
    static RetryOrder::Due counts(DBaser& db);
    static RetryOrder::Due lookups(DBaser& db);
};

} // namespace zentrel
