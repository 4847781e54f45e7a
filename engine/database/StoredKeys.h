#pragma once

#include <QString>

namespace zentrel {

class SqlDatabase;

// Keys in the form that the engine's collation and SQLite's own order alike
// (SqlFunctions::keyForm). Files written before keys took that form are re-keyed once at their
// first open (ProjectReKey, CacheReKey); the file's schema version (user_version) records it.
class StoredKeys {
public:
    // The identity stored for a normalised key: its key form, the words sorted again when the
    // fold changed any of them (the fold may change their order).
    static QString identity(const QString& key);

    // Whether the file's keys were re-keyed (or stored in key form from the start).
    static bool isReKeyed(const SqlDatabase& db);
    static void markReKeyed(const SqlDatabase& db);
    // The condition that a text column's value is beyond ASCII: only those change with the fold.
    static QString beyondAscii(const char* column);
};

} // namespace zentrel
