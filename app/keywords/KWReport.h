#pragma once

#include <QDate>
#include <QHash>
#include <QString>

#include "app/keywords/KWExportTable.h"

// The HTML report of an export table from the templates head (100), row (101) and foot (102).
// Every substituted value is HTML-escaped; placeholders are replaced in one pass, so a value that
// looks like a placeholder stays as it is.
class KWReport {
public:
    struct Templates {
        QString head;
        QString row;
        QString foot;
    };

    // The templates built into the program.
    static Templates builtInTemplates();
    static QString build(const KWExportTable& table, const QString& project, const QDate& date,
                         const Templates& templates);
    // "MMMM D, YYYY" in the user's locale.
    static QString dateText(const QDate& date);
    static QString fill(const QString& templ, const QHash<QString, QString>& values);

private:
    static QString cellOrQuestion(const QString& cell, bool negativeIsUnknown);
};
