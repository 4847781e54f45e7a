#include "engine/platform/CRegistry.h"

#include <QSettings>
#include <QStringList>

#include "engine/platform/Folders.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

const QString kSource = QStringLiteral("CRegistry");
constexpr std::uint32_t kFileAccess = 0x800A004Bu; // path/file access error
const QString kDefaultValueName = QStringLiteral("(Default)");

QStringList keyParts(const QString& key)
{
    QString path = key;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// The spelling already stored for a name that matches without regard to case, else the name.
QString storedSpelling(const QStringList& existing, const QString& name)
{
    for (const QString& candidate : existing) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return name;
}

} // namespace

QString CRegistry::fileOf(std::uint32_t root)
{
    switch (root) {
    case kCurrentUser:
        return Folders::dataPath(QStringLiteral("user.ini"));
    case kLocalMachine:
        return Folders::dataPath(QStringLiteral("machine.ini"));
    default:
        throw ZError(
            kInvalidArgument,
            QStringLiteral("Unknown registry root 0x%1").arg(root, 8, 16, QLatin1Char('0')),
            kSource);
    }
}

std::unique_ptr<QSettings> CRegistry::open(std::uint32_t root)
{
    return std::make_unique<QSettings>(fileOf(root), QSettings::IniFormat);
}

// The settings path of the value, following the stored spelling of every key and of the name.
QString CRegistry::resolvedPath(QSettings& settings, const QString& key, const QString& name)
{
    QStringList groups;
    for (const QString& part : keyParts(key)) {
        const QString spelled = storedSpelling(settings.childGroups(), part);
        settings.beginGroup(spelled);
        groups << spelled;
    }
    const QString valueName = name.isEmpty() ? kDefaultValueName : name;
    const QString spelled = storedSpelling(settings.childKeys(), valueName);
    for (qsizetype i = 0; i < groups.size(); ++i)
        settings.endGroup();
    groups << spelled;
    return groups.join(QLatin1Char('/'));
}

bool CRegistry::ReadString(std::uint32_t root, const QString& key, const QString& name,
                           QString& value) const
{
    const auto settings = open(root);
    const QString path = resolvedPath(*settings, key, name);
    if (!settings->contains(path))
        return false;
    value = settings->value(path).toString();
    return true;
}

bool CRegistry::ReadLong(std::uint32_t root, const QString& key, const QString& name,
                         qint32& value) const
{
    QString text;
    if (!ReadString(root, key, name, text))
        return false;
    bool ok = false;
    const qint32 number = text.trimmed().toInt(&ok);
    if (ok)
        value = number;
    return ok;
}

void CRegistry::write(std::uint32_t root, const QString& key, const QString& name,
                      const QVariant& value) const
{
    const auto settings = open(root);
    settings->setValue(resolvedPath(*settings, key, name), value);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw ZError(
            kFileAccess,
            QStringLiteral("Cannot write the settings file '%1'").arg(settings->fileName()),
            kSource);
}

void CRegistry::WriteString(std::uint32_t root, const QString& key, const QString& name,
                            const QString& value) const
{
    write(root, key, name, value);
}

void CRegistry::WriteLong(std::uint32_t root, const QString& key, const QString& name,
                          qint32 value) const
{
    write(root, key, name, QString::number(value));
}

} // namespace zentrel
