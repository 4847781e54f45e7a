#include "engine/platform/Folders.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentrel {

QString Folders::binaryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&Folders::binaryFolder), &info) != 0 && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

QString Folders::dataFolder()
{
    QString folder = qEnvironmentVariable("QUINTARA_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/quintara-keywords");
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

QString Folders::dataPath(const QString& name)
{
    return dataFolder() + QLatin1Char('/') + name;
}

} // namespace zentrel
