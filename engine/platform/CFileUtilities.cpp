#include "engine/platform/CFileUtilities.h"

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

constexpr std::uint32_t kFileNotFound = 0x800A0035u; // file not found
constexpr std::uint32_t kFileAccess = 0x800A004Bu;   // path/file access error
const QString kSource = QStringLiteral("CFileUtilities");

[[noreturn]] void fail(std::uint32_t number, const QString& what, const QString& path,
                       const QString& cause)
{
    throw ZError(number, QStringLiteral("%1 '%2': %3").arg(what, path, cause), kSource);
}

std::filesystem::path toPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString resolvedFolder(const QString& folder)
{
    QString path = folder;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QString kTemp = QStringLiteral("%TEMP%");
    if (path.startsWith(kTemp, Qt::CaseInsensitive))
        path = CUtilities::TempFolder() + path.mid(kTemp.size());
    return path;
}

} // namespace

void CFileUtilities::CreateFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return;
    std::error_code error;
    std::filesystem::create_directories(toPath(path), error);
    if (error || !QFileInfo(path).isDir())
        fail(kFileAccess, QStringLiteral("Cannot create the folder"), path,
             error ? QString::fromLocal8Bit(error.message()) : QStringLiteral("not a folder"));
}

bool CFileUtilities::FileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void CFileUtilities::CopyFile(const QString& source, const QString& destination)
{
    if (!FileExists(source))
        fail(kFileNotFound, QStringLiteral("Cannot copy the file"), source,
             QStringLiteral("the file does not exist"));
    std::error_code error;
    std::filesystem::copy_file(toPath(source), toPath(destination),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        fail(kFileAccess, QStringLiteral("Cannot copy the file '%1' to").arg(source), destination,
             QString::fromLocal8Bit(error.message()));
}

bool CFileUtilities::matchesMask(const QString& fileName, const QString& mask)
{
    if (mask == QLatin1String("*.*"))
        return true;
    QString pattern;
    for (const QChar c : mask) {
        if (c == QLatin1Char('*'))
            pattern += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
    return expression.match(fileName).hasMatch();
}

void CFileUtilities::DeleteFiles(const QString& folder, const QString& mask)
{
    const QDir dir(resolvedFolder(folder));
    if (!dir.exists())
        return;
    const auto names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!matchesMask(name, mask))
            continue;
        QFile file(dir.filePath(name));
        if (!file.remove() && file.exists())
            fail(kFileAccess, QStringLiteral("Cannot delete the file"), file.fileName(),
                 file.errorString());
    }
}

void CFileUtilities::WriteFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        fail(kFileAccess, QStringLiteral("Cannot write the file"), path, file.errorString());
    if (file.write(data) != data.size() || !file.commit())
        fail(kFileAccess, QStringLiteral("Cannot write the file"), path, file.errorString());
}

void CFileUtilities::WriteFile(const QString& path, const QString& text)
{
    WriteFile(path, text.toUtf8());
}

QByteArray CFileUtilities::ReadFile(const QString& path)
{
    QFile file(path);
    if (!FileExists(path))
        fail(kFileNotFound, QStringLiteral("Cannot read the file"), path,
             QStringLiteral("the file does not exist"));
    if (!file.open(QIODevice::ReadOnly))
        fail(kFileAccess, QStringLiteral("Cannot read the file"), path, file.errorString());
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(kFileAccess, QStringLiteral("Cannot read the file"), path, file.errorString());
    return data;
}

} // namespace zentrel
