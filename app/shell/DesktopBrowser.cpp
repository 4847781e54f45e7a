#include "app/shell/DesktopBrowser.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "engine/platform/CLog.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"

bool DesktopBrowser::open(const QString& address)
{
    const QString command = qEnvironmentVariable("QUINTARA_BROWSER");
    if (!command.isEmpty()) {
        QStringList arguments = QProcess::splitCommand(command);
        if (arguments.isEmpty())
            return false;
        const QString program = arguments.takeFirst();
        arguments.append(address);
        return QProcess::startDetached(program, arguments);
    }
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool DesktopBrowser::open(const QString& address, const std::shared_ptr<zentrel::CLog>& log,
                          const QString& source)
{
    if (open(address))
        return true;
    if (log)
        log->Write(static_cast<std::int32_t>(zentrel::kUnexpected),
                   QStringLiteral("The web browser did not start for '%1'. ").arg(address), 4,
                   source);
    return false;
}

QString DesktopBrowser::resourcePath(const QString& page)
{
    return QStringLiteral(":/html/") + page;
}

QString DesktopBrowser::writeOwnPage(const QString& page)
{
    if (!QFile::exists(resourcePath(page)))
        return {};
    QDir folder(zentrel::CUtilities::TempFolder());
    if (!folder.mkpath(QStringLiteral("html")) || !folder.cd(QStringLiteral("html")))
        return {};
    QDirIterator files(QStringLiteral(":/html"), QDir::Files);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = folder.filePath(files.fileName());
        QFile::remove(target);
        QFile::copy(source, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    return folder.filePath(page);
}

bool DesktopBrowser::openOwnPage(const QString& page)
{
    const QString path = writeOwnPage(page);
    if (path.isEmpty())
        return false;
    return open(QUrl::fromLocalFile(path).toString());
}

bool DesktopBrowser::openOwnPage(const QString& page, const std::shared_ptr<zentrel::CLog>& log,
                                 const QString& source)
{
    const QString path = writeOwnPage(page);
    if (path.isEmpty()) {
        if (log)
            log->Write(static_cast<std::int32_t>(zentrel::kUnexpected),
                       QStringLiteral("The page '%1' is not among the program's pages. ").arg(page),
                       4, source);
        return false;
    }
    return open(QUrl::fromLocalFile(path).toString(), log, source);
}
