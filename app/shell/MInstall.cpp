#include "app/shell/MInstall.h"

#include <QFile>
#include <QStringList>

#include "app/shell/MSettings.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

struct Line {
    QString kw;
    qint64 count = 0;
};

// A line's keyword (trimmed, lower-cased, in the cache's normalised form) and whole count.
bool parseLine(QByteArray raw, Line& line)
{
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    const QStringList fields = QString::fromUtf8(raw).split(u'\t');
    if (fields.size() < 2)
        return false;
    bool ok = false;
    line.count = fields.at(0).trimmed().toLongLong(&ok);
    if (!ok || line.count < INT32_MIN || line.count > INT32_MAX)
        return false;
    line.kw = zentrel::MParser::NormalizeKW(zentrel::MParser::LowerCase(fields.at(1).trimmed()));
    return !line.kw.isEmpty();
}

} // namespace

QString MInstall::setupFile()
{
    return zentrel::Folders::dataPath(QStringLiteral("SetupKWs.txt"));
}

MInstall::Result MInstall::SeedCache(const QString& cacheFile, const QString& setupFile)
{
    QFile setup(setupFile);
    if (!setup.open(QIODevice::ReadOnly))
        throw zentrel::ZError(0x800A0035u, setup.errorString(), QStringLiteral("MInstall"));
    const auto connection = zentrel::SqlConnection::open(cacheFile);

    Result result;
    const double now = zentrel::SqlDate::now();
    connection->beginTransaction();
    try {
        auto insert = connection->prepare(
            QStringLiteral("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, ?3)"));
        while (!setup.atEnd()) {
            Line line;
            if (!parseLine(setup.readLine(), line)) {
                ++result.skipped;
                continue;
            }
            try {
                insert.reset();
                insert.bind(1, line.kw).bind(2, line.count).bind(3, now).execute();
                ++result.stored;
            } catch (const zentrel::ZError&) {
                ++result.skipped;
            }
        }
    } catch (...) {
        connection->rollbackTransaction();
        throw;
    }
    connection->commitTransaction();
    result.committed = true;
    return result;
}

void MInstall::Run(const std::shared_ptr<zentrel::CLog>& log)
{
    QString cacheFile = MSettings::cache().value_or(QString());
    if (cacheFile.isEmpty()) {
        zentrel::CFileUtilities::CreateFolder(MSettings::projectFolder());
        cacheFile = MSettings::defaultCacheFile();
    }
    {
        // The engine makes the cache file from its template when it is missing.
        zentrel::Scripting engine;
        engine.Init(log);
        try {
            engine.DBaser()->OpenCacheDB(cacheFile);
        } catch (...) {
            engine.Finalize();
            zentrel::CThreadLauncher::waitForAll(std::chrono::seconds(10));
            throw;
        }
        engine.Finalize();
        zentrel::CThreadLauncher::waitForAll(std::chrono::seconds(10));
    }
    if (!QFile::exists(setupFile()))
        return;
    const Result result = SeedCache(cacheFile, setupFile());
    if (result.committed)
        QFile::remove(setupFile());
}
