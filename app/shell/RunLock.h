#pragma once

#include <memory>

#include <QString>

class QLockFile;
class QWidget;

namespace zentrel {
class CLog;
} // namespace zentrel

// One program per data folder. The lock is held for the whole run, so only a lock whose
// process has ended (a crashed run) is stale; a second start leaves the first untouched.
class RunLock {
public:
    // The data folder's run lock; null, the user told and the log written, when another
    // program holds it.
    static std::unique_ptr<QLockFile> take(QWidget* window, const QString& productName,
                                           const std::shared_ptr<zentrel::CLog>& log);
};
