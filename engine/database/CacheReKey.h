#pragma once

namespace zentrel {

class SqlDatabase;

// Brings the keys of a cache written before keys took their stored form (StoredKeys) to it.
class CacheReKey {
public:
    // Re-keys the counts unless the file was re-keyed before; of counts whose keys become one,
    // the newest stays. True when a key changed.
    static bool upgrade(const SqlDatabase& cache);
};

} // namespace zentrel
