#include "app/shell/ProgramSettings.h"

#include <QDir>

#include "app/shell/StringTable.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/Folders.h"

using zentrel::CRegistry;

namespace {

std::optional<QString> readString(std::uint32_t root, const QString& name)
{
    QString value;
    if (!CRegistry().ReadString(root, ProgramSettings::programKey(), name, value))
        return std::nullopt;
    return value;
}

void writeString(std::uint32_t root, const QString& name, const QString& value)
{
    CRegistry().WriteString(root, ProgramSettings::programKey(), name, value);
}

} // namespace

QString ProgramSettings::programKey()
{
    return QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\");
}

std::optional<QString> ProgramSettings::cache()
{
    return readString(CRegistry::kLocalMachine, QStringLiteral("Cache"));
}

void ProgramSettings::setCache(const QString& path)
{
    writeString(CRegistry::kLocalMachine, QStringLiteral("Cache"), path);
}

std::optional<QString> ProgramSettings::project()
{
    return readString(CRegistry::kCurrentUser, QStringLiteral("Project"));
}

void ProgramSettings::setProject(const QString& path)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("Project"), path);
}

int ProgramSettings::searchesCountInterval()
{
    qint32 value = kDefaultSearchesCountInterval;
    if (!CRegistry().ReadLong(CRegistry::kCurrentUser, programKey(),
                              QStringLiteral("SearchesCountInterval"), value))
        return kDefaultSearchesCountInterval;
    return value;
}

QString ProgramSettings::rankMode()
{
    return readString(CRegistry::kCurrentUser, QStringLiteral("Set Rank Mode")).value_or(QString());
}

void ProgramSettings::setRankMode(bool advanced)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("Set Rank Mode"),
                advanced ? QStringLiteral("Advanced") : QStringLiteral("Simple"));
}

void ProgramSettings::setFirstStart(const QString& when)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("First Start"), when);
}

std::optional<int> ProgramSettings::window(const QString& which)
{
    qint32 value = 0;
    if (!CRegistry().ReadLong(CRegistry::kCurrentUser, programKey(),
                              QStringLiteral("Window.") + which, value))
        return std::nullopt;
    return value;
}

void ProgramSettings::setWindow(const QString& which, int twips)
{
    CRegistry().WriteLong(CRegistry::kCurrentUser, programKey(), QStringLiteral("Window.") + which,
                          twips);
}

QString ProgramSettings::projectFolder()
{
    return QDir(zentrel::Folders::dataFolder()).filePath(QStringLiteral("Project"));
}

QString ProgramSettings::defaultCacheFile()
{
    return QDir(projectFolder()).filePath(StringTable::text(124) + QStringLiteral(".vxc"));
}

QString ProgramSettings::defaultProjectFile()
{
    return QDir(projectFolder()).filePath(StringTable::text(123) + QStringLiteral(".vxp"));
}
