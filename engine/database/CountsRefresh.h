#pragma once

#include <QStringList>

namespace zentrel {

class SqlDatabase;

// The counts refresh: copies the cache's search counts onto the project's keywords. Only what
// may have changed is copied: the keywords added since the last refresh and the keys whose
// counts were stored since. Everything is copied after another connection wrote to either file,
// and after a file was attached unless the project was last brought up to date with the same
// cache in the same state (a record in the project file, which a trigger takes back whenever
// anything changes a copy, and which counts only while the cache's triggers count its
// generation). What changed is kept on the connection (temporary tables),
// so that every database object on it, the master and its workers, shares it, and a write that
// is taken back takes its marks back with it.
class CountsRefresh {
public:
    // Notes keys whose counts were stored; inside the caller's transaction.
    static void markKeys(const SqlDatabase& db, const QStringList& keys);
    // Makes the next refresh copy everything, also after the files are opened again.
    static void markAll(const SqlDatabase& db);
    // After a file was attached: the next refresh copies everything unless the project file
    // remembers being up to date with this very cache as it is now.
    static void markAttached(const SqlDatabase& db);
    static void refresh(const SqlDatabase& project);
    // True when the next refresh copies every count.
    static bool copiesEverything(const SqlDatabase& project);
    // Copies every known count, whatever changed.
    static void refreshAll(const SqlDatabase& project);
};

} // namespace zentrel
