#pragma once

#include <QString>

#include "app/keywords/KWExportTable.h"

// The delimited text of an export. Rows end in CR LF. With a qualifier, keyword and relevancy are
// always qualified, and any other field that holds the delimiter, the qualifier or a line break is
// qualified too; a qualifier inside a qualified field is doubled. Without a qualifier the cells
// are written as they are.
class KWExportText {
public:
    struct Options {
        bool keyword = true;
        bool searches = false;
        bool relevancy = false;
        bool score = false;
        bool fieldNames = false;
        QString delimiter = QStringLiteral(",");
        QString qualifier; // empty: none
    };

    static bool anyColumn(const Options& options);
    static QString build(const KWExportTable& table, const Options& options);

private:
    static QString qualified(const QString& field, const Options& options);
    static QString qualifiedIfNeeded(const QString& field, const Options& options);
    static QString searchesField(const QString& cell);
};
