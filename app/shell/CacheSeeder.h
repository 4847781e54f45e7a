#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

namespace zentrel {
class CLog;
} // namespace zentrel

// The "/install" switch: seeds the cache database from SetupKWs.txt in the data folder.
class CacheSeeder {
public:
    struct Result {
        int stored = 0;
        int skipped = 0;
        bool committed = false;
    };

    // Runs the whole switch; the cache file named in the settings, else the default one.
    static void Run(const std::shared_ptr<zentrel::CLog>& log);

    // Stores every usable line of the setup file in the cache file's table "Cache" in one
    // transaction; a line that cannot be stored is skipped. Raises when either file cannot be
    // opened or the transaction does not commit.
    static Result SeedCache(const QString& cacheFile, const QString& setupFile);
    // The setup file's bytes as its size was when the read began. A file that turns out shorter
    // (cut by another program meanwhile) is a failed read. sizeTaken runs once the size is
    // known (for tests).
    static QByteArray ReadSetupFile(const QString& setupFile,
                                    const std::function<void()>& sizeTaken = {});
    // Builds the cache's keyword index (taken away by SeedCache), with notes in the log.
    static void BuildIndex(const QString& cacheFile, const std::shared_ptr<zentrel::CLog>& log);

    static QString setupFile();
};
