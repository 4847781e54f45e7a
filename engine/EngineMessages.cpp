#include "engine/EngineMessages.h"

#include <QHash>

namespace zentrel {

namespace {
const QHash<int, QString>& table()
{
    static const QHash<int, QString> messages = {
        {108, QStringLiteral("Got from Overture for kw '%1'.")},
        {641, QStringLiteral("URL '%1' is already downloading. ")},
        {642, QStringLiteral("Failed to start download URL '%1'. ")},
        {643, QStringLiteral("Could not found Overture cache file '%1'. ")},
        {644, QStringLiteral("Cannot create the table link from Overture cache database to "
                             "Project database. ")},
        {645, QStringLiteral("Connection status is offline. ")},
        {646, QStringLiteral("Cannot open keywords cache database '%1'. ")},
        {647, QStringLiteral("Keywords cache database is not opened. Open keywords cache "
                             "database first. ")},
        {648, QStringLiteral("Cannot open project database '%1'. ")},
        {649, QStringLiteral("Cannot parse page. ")},
        {650, QStringLiteral("URL is already downloaded. ")},
        {651, QStringLiteral("Timeout exceeded. ")},
        {652, QStringLiteral("Looping in interactive state. ")},
        {653, QString()},
        {654, QStringLiteral("Cannot get keywords from web page.")},
        {656, QStringLiteral("Cannot upgrade project database. ")},
    };
    return messages;
}
} // namespace

QString EngineMessages::text(int id)
{
    return table().value(id);
}

QString EngineMessages::text(int id, const QString& arg)
{
    QString message = text(id);
    message.replace(QLatin1String("%1"), arg);
    return message;
}

ZError EngineMessages::error(int id, const QString& arg, const QString& source)
{
    return ZError(objectError(id), text(id, arg), source);
}

} // namespace zentrel
