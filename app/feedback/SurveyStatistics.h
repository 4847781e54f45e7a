#pragma once

#include <memory>

namespace zentrel {
class CAttributes;
class CLog;
} // namespace zentrel

// The usage counts the uninstall survey sends: the user's current project and cache, opened by a
// database object of their own. Only existing files are opened, and nothing in them is created,
// upgraded or changed.
class SurveyStatistics {
public:
    // Adds "fc", "kc", "gc", "gkc", "bc" and "cc" when the "Cache" and "Project" settings name
    // files that open; a count that cannot be taken is left out.
    static void Add(zentrel::CAttributes& record, const std::shared_ptr<zentrel::CLog>& log);
};
