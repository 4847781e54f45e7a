#pragma once

#include <functional>

#include <QString>

namespace zentrel {

class SqlDatabase;

// The build of what only makes statements faster (indexes, kept counters), in one transaction of
// its own on one file. A build that fails (a full disk above all) is rolled back with nothing left
// behind: no part of what it made, and no journal holding the disk's room; the file is then used
// without it until a later open builds it again.
class IndexBuild {
public:
    // Runs the build's statements in a transaction. On failure rolls it back, gives the journal's
    // room back and raises the error's number with a description that names what (for example
    // "the keyword index of the cache") and the file.
    static void run(const SqlDatabase& db, const QString& what, const std::function<void()>& build);
};

} // namespace zentrel
