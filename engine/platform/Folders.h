#pragma once

#include <QString>

namespace zentrel {

// The two places the system keeps files: the read-only folder beside the binaries (templates,
// resources) and the writable data folder (logs, default databases, settings, SetupKWs.txt).
class Folders {
public:
    // The folder holding the engine library and, beside it, the database templates.
    static QString binaryFolder();
    // QUINTARA_HOME when set, else the per-user application data folder; created when missing.
    static QString dataFolder();
    // A path inside the data folder.
    static QString dataPath(const QString& name);
};

} // namespace zentrel
