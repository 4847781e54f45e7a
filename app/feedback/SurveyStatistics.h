#pragma once

#include <memory>

namespace zentrel {
class CAttributes;
class CLog;
} // namespace zentrel

// The usage counts the uninstall survey sends: the user's current project and cache, opened by a
// database object of their own. Only existing files are opened, and only for reading: nothing in
// them or beside them is created, upgraded or changed, whatever their journal mode, and a file
// the user may not write is read too.
class SurveyStatistics {
public:
    // Adds "fc", "kc", "gc", "gkc", "bc" and "cc" when the "Cache" and "Project" settings name
    // files that open; a count that cannot be taken is left out. A file that another program
    // keeps locked is waited for about a second in all, then its counts are left out.
    static void Add(zentrel::CAttributes& record, const std::shared_ptr<zentrel::CLog>& log);
};
