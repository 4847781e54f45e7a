#pragma once

#include <vector>

#include <QString>

// One row of an export: the texts of the grid's four columns.
struct KWExportRow {
    QString keyword;
    QString searches;  // searches per day, one blank when unknown
    QString relevancy; // relevancy name
    QString score;     // score text, five blanks when not positive
};

using KWExportTable = std::vector<KWExportRow>;
