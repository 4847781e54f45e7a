#include "app/shell/MSettings.h"

#include <QDir>

#include "app/shell/MStrings.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/Folders.h"

using zentrel::CRegistry;

namespace {

std::optional<QString> readString(std::uint32_t root, const QString& name)
{
    QString value;
    if (!CRegistry().ReadString(root, MSettings::programKey(), name, value))
        return std::nullopt;
    return value;
}

void writeString(std::uint32_t root, const QString& name, const QString& value)
{
    CRegistry().WriteString(root, MSettings::programKey(), name, value);
}

} // namespace

QString MSettings::programKey()
{
    return QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\");
}

std::optional<QString> MSettings::cache()
{
    return readString(CRegistry::kLocalMachine, QStringLiteral("Cache"));
}

void MSettings::setCache(const QString& path)
{
    writeString(CRegistry::kLocalMachine, QStringLiteral("Cache"), path);
}

std::optional<QString> MSettings::project()
{
    return readString(CRegistry::kCurrentUser, QStringLiteral("Project"));
}

void MSettings::setProject(const QString& path)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("Project"), path);
}

int MSettings::searchesCountInterval()
{
    qint32 value = kDefaultSearchesCountInterval;
    if (!CRegistry().ReadLong(CRegistry::kCurrentUser, programKey(),
                              QStringLiteral("SearchesCountInterval"), value))
        return kDefaultSearchesCountInterval;
    return value;
}

QString MSettings::rankMode()
{
    return readString(CRegistry::kCurrentUser, QStringLiteral("Set Rank Mode")).value_or(QString());
}

void MSettings::setRankMode(bool advanced)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("Set Rank Mode"),
                advanced ? QStringLiteral("Advanced") : QStringLiteral("Simple"));
}

void MSettings::setFirstStart(const QString& when)
{
    writeString(CRegistry::kCurrentUser, QStringLiteral("First Start"), when);
}

std::optional<int> MSettings::window(const QString& which)
{
    qint32 value = 0;
    if (!CRegistry().ReadLong(CRegistry::kCurrentUser, programKey(),
                              QStringLiteral("Window.") + which, value))
        return std::nullopt;
    return value;
}

void MSettings::setWindow(const QString& which, int twips)
{
    CRegistry().WriteLong(CRegistry::kCurrentUser, programKey(), QStringLiteral("Window.") + which,
                          twips);
}

QString MSettings::projectFolder()
{
    return QDir(zentrel::Folders::dataFolder()).filePath(QStringLiteral("Project"));
}

QString MSettings::defaultCacheFile()
{
    return QDir(projectFolder()).filePath(MStrings::text(124) + QStringLiteral(".vxc"));
}

QString MSettings::defaultProjectFile()
{
    return QDir(projectFolder()).filePath(MStrings::text(123) + QStringLiteral(".vxp"));
}
