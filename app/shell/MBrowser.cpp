#include "app/shell/MBrowser.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "engine/platform/CUtilities.h"

bool MBrowser::open(const QString& address)
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

QString MBrowser::resourcePath(const QString& page)
{
    return QStringLiteral(":/html/") + page;
}

QString MBrowser::writeOwnPage(const QString& page)
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

bool MBrowser::openOwnPage(const QString& page)
{
    const QString path = writeOwnPage(page);
    if (path.isEmpty())
        return false;
    return open(QUrl::fromLocalFile(path).toString());
}
