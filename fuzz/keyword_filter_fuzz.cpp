#include <cstddef>
#include <cstdint>
#include <memory>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "fuzz/FuzzEntries.h"

namespace {
// A project and a cache in a temporary folder, open for the whole run.
struct Project {
    Project()
    {
        log->Open(dir.filePath("full.log"), dir.filePath("short.log"));
        db.Init(log);
        db.OpenCacheDB(dir.filePath("Default Cache.vxc"));
        db.OpenProjectDB(dir.filePath("First Project.vxp"));
    }
    QTemporaryDir dir;
    zentrel::CLogPtr log = std::make_shared<zentrel::CLog>();
    zentrel::DBaser db;
};
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Project project;
    const QByteArray input = FuzzEntries::bytes(data, size);
    FuzzEntries::require(FuzzEntries::keywordFilter(input));
    return FuzzEntries::require(FuzzEntries::addKeywords(project.db, input));
}
