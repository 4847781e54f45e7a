#pragma once

namespace zentrel {

class SqlDatabase;

// The copy of every cached count onto the project's keywords, in one pass: the keywords in the
// order of their key and the cache in the order of its own are walked side by side (both sorted
// by the same case-blind collation), so no keyword is looked up in the cache; only keywords
// whose copy differs from the cache are written, each by its id, in one transaction. Keywords
// without a cache row keep what they hold.
class CountsCopy {
public:
    static void copyAll(const SqlDatabase& project);
};

} // namespace zentrel
