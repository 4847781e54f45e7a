#include "app/feedback/SurveyStatistics.h"

#include <optional>

#include <QFileInfo>

#include "app/shell/MSettings.h"
#include "engine/ComponentRegistry.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CUtilities.h"

namespace {

struct Count {
    const char* key;
    int code;
};

constexpr Count kCounts[] = {{"fc", 123}, {"kc", 433}, {"gc", 542}, {"gkc", 511}, {"bc", 434}};

std::optional<QString> existingFile(const std::optional<QString>& setting)
{
    if (!setting || setting->isEmpty() || !QFileInfo(*setting).isFile())
        return std::nullopt;
    return setting;
}

} // namespace

void SurveyStatistics::Add(zentrel::CAttributes& record, const std::shared_ptr<zentrel::CLog>& log)
{
    const std::optional<QString> cacheFile = existingFile(MSettings::cache());
    if (!cacheFile)
        return;
    const std::optional<QString> projectFile = existingFile(MSettings::project());
    if (!projectFile)
        return;
    std::unique_ptr<QObject> object;
    zentrel::DBaser* db = nullptr;
    try {
        object = zentrel::ComponentRegistry::instance().create(QStringLiteral("Zentrel.DBaser"));
        db = qobject_cast<zentrel::DBaser*>(object.get());
        if (db == nullptr)
            return;
        // Attached as they are: no file made from a template, no schema upgrade.
        db->AttachByFileNames(log, *projectFile, *cacheFile, zentrel::CUtilities::NewName(),
                              zentrel::CUtilities::NewName());
    } catch (const std::exception&) {
        return;
    }
    for (const Count& count : kCounts) {
        try {
            record.Add(QString::fromLatin1(count.key), db->GetCount(count.code));
        } catch (const std::exception&) {
            // Left out rather than sent as 0.
        }
    }
    std::optional<int> cacheRows;
    try {
        cacheRows = db->CacheSize();
    } catch (const std::exception&) {
    }
    try {
        db->Finalize();
    } catch (const std::exception&) {
    }
    if (cacheRows)
        record.Add(QStringLiteral("cc"), *cacheRows);
}
