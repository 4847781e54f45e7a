#pragma once

namespace zentrel {

class SqlDatabase;

// Brings the keys of a project written before keys took their stored form (StoredKeys) to it.
class ProjectReKey {
public:
    // Re-keys the shown texts and identities of the keywords unless the file was re-keyed
    // before; needs the group tables. Keywords whose identities become one are merged into the
    // one that holds the identity already (else the first): it takes the highest relevancy,
    // every group membership and operation of the others, the newest search count and the
    // latest lookup date; the others go. Inside the caller's transaction. True when a key
    // changed.
    static bool upgrade(const SqlDatabase& project);
};

} // namespace zentrel
