#pragma once

#include <vector>

#include <QString>

namespace zentrel {

// A column of a table to create, described with chained setters:
// SqlColumnDef("fkKW", "INTEGER").required().references("Keyword", "pkKeyword").
struct SqlColumnDef {
    SqlColumnDef(QString columnName, QString columnType)
        : name(std::move(columnName))
        , type(std::move(columnType))
    {
    }
    SqlColumnDef& required()
    {
        notNull = true;
        return *this;
    }
    // With autoIncrement, ids are never reused after a delete.
    SqlColumnDef& primary(bool autoIncrementing = false)
    {
        primaryKey = true;
        autoIncrement = autoIncrementing;
        return *this;
    }
    SqlColumnDef& collation(QString name)
    {
        collate = std::move(name);
        return *this;
    }
    SqlColumnDef& constraint(QString expression)
    {
        check = std::move(expression);
        return *this;
    }
    // A foreign key with cascading update and delete.
    SqlColumnDef& references(QString table, QString column)
    {
        referencesTable = std::move(table);
        referencesColumn = std::move(column);
        return *this;
    }

    QString name;
    QString type; // INTEGER, REAL, TEXT, BLOB, ANY
    bool notNull = false;
    bool primaryKey = false;
    bool autoIncrement = false;
    QString collate;
    QString check;
    QString referencesTable;
    QString referencesColumn;
};

// A table to create: STRICT, so values of the wrong type are refused.
struct SqlTableDef {
    QString name;
    std::vector<SqlColumnDef> columns;
};

} // namespace zentrel
