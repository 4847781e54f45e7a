#pragma once

namespace zentrel {

class SqlDatabase;

// The project database's schema beyond the template: the groups with their memberships, and
// the lookup date of each keyword.
class ProjectSchema {
public:
    // Creates Group, KWGroup, their indexes and the two cascading relations unless Group is
    // there already, and re-keys keywords stored before keys took their present form
    // (ProjectReKey), in one transaction. Raises the database's error, and an error of its own
    // for a database without Keyword, which it leaves unchanged.
    static void upgrade(const SqlDatabase& project);
    // Adds Keyword.LookupDate when it is missing.
    static void addLookupDateField(const SqlDatabase& project);

private:
    static void addGroups(const SqlDatabase& project);
};

} // namespace zentrel
