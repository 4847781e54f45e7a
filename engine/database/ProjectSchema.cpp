#include "engine/database/ProjectSchema.h"

#include <sqlite3.h>

#include "engine/database/ProjectReKey.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

void ProjectSchema::upgrade(const SqlDatabase& project)
{
    auto guard = project.lock();
    SqlTransaction transaction(project.connection());
    // Any other database would get the group tables and still be no project.
    if (!project.hasTable(QStringLiteral("Keyword")))
        throw SqlError(
            SQLITE_ERROR,
            QStringLiteral("The file has no table 'Keyword': it is no project database."));
    if (!project.hasTable(QStringLiteral("Group")))
        addGroups(project);
    ProjectReKey::upgrade(project);
    transaction.commit();
}

void ProjectSchema::addGroups(const SqlDatabase& project)
{
    project.createTable(
        {QStringLiteral("Group"),
         {SqlColumnDef("pkGroup", "INTEGER").primary(true),
          SqlColumnDef("Name", "TEXT").required().constraint("length(Name) BETWEEN 1 AND 255"),
          SqlColumnDef("ParentGroup", "INTEGER")}});
    project.createTable(
        {QStringLiteral("KWGroup"),
         {SqlColumnDef("fkKW", "INTEGER").required().references("Keyword", "pkKeyword"),
          SqlColumnDef("fkGroup", "INTEGER").required().references("Group", "pkGroup")}});
    project.createIndex(QStringLiteral("Group Index"), QStringLiteral("KWGroup"), {"fkGroup"});
    project.createIndex(QStringLiteral("KW Index"), QStringLiteral("KWGroup"), {"fkKW"});
}

void ProjectSchema::addLookupDateField(const SqlDatabase& project)
{
    if (!project.hasColumn(QStringLiteral("Keyword"), QStringLiteral("LookupDate")))
        project.addColumn(QStringLiteral("Keyword"), SqlColumnDef("LookupDate", "REAL"));
}

} // namespace zentrel
