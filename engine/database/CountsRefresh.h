#pragma once

#include <QStringList>

namespace zentrel {

class SqlDatabase;

// The counts refresh: copies the cache's search counts onto the project's keywords. Only what
// may have changed is copied: the keywords added since the last refresh and the keys whose
// counts were stored since. Everything is copied after a file was attached and after another
// connection wrote to either file. What changed is kept on the connection (temporary tables),
// so that every database object on it, the master and its workers, shares it, and a write that
// is taken back takes its marks back with it.
class CountsRefresh {
public:
    // Notes keys whose counts were stored; inside the caller's transaction.
    static void markKeys(const SqlDatabase& db, const QStringList& keys);
    // Makes the next refresh copy everything.
    static void markAll(const SqlDatabase& db);
    static void refresh(const SqlDatabase& project);
    // Copies every known count, whatever changed.
    static void refreshAll(const SqlDatabase& project);
};

} // namespace zentrel
