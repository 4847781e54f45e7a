#include "engine/database/StoredKeys.h"

#include "engine/database/MParser.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlFunctions.h"

namespace zentrel {

namespace {
constexpr int kKeysFolded = 1;
} // namespace

QString StoredKeys::identity(const QString& key)
{
    const QString folded = SqlFunctions::keyForm(key);
    return folded == key ? key : MParser::NormalizeKW(folded);
}

bool StoredKeys::isReKeyed(const SqlDatabase& db)
{
    return db.scalar(
                 QStringLiteral("PRAGMA %1.user_version").arg(SqlConnection::quoted(db.schema())))
               .toInt() >= kKeysFolded;
}

void StoredKeys::markReKeyed(const SqlDatabase& db)
{
    db.execute(QStringLiteral("PRAGMA %1.user_version = %2")
                   .arg(SqlConnection::quoted(db.schema()))
                   .arg(kKeysFolded));
}

QString StoredKeys::beyondAscii(const char* column)
{
    return QStringLiteral("length(CAST(%1 AS BLOB)) <> length(%1)").arg(QLatin1String(column));
}

} // namespace zentrel
