#pragma once

#include <QString>
#include <QVariantList>

namespace zentrel {

class SqlDatabase;

// The copy of every cached count onto the project's keywords, in one pass: the keywords in the
// order of their key and the cache in the order of its own are walked side by side (both sorted
// by the same case-blind collation), so no keyword is looked up in the cache; only keywords
// whose copy differs from the cache are written, each by its id, in one transaction. Keywords
// without a cache row keep what they hold. A file whose keys are not in that order is copied
// by lookups instead.
class CountsCopy {
public:
    static void copyAll(const SqlDatabase& project);
    // The copy by a lookup of each keyword in the cache, of the keywords the condition (a
    // WHERE clause's start, ending in "AND ", or empty) selects.
    static void copyWhere(const SqlDatabase& project, const QString& where,
                          const QVariantList& params = {});
};

} // namespace zentrel
