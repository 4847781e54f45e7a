#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "app/keywords/KWExportTable.h"
#include "app/keywords/KWPageType.h"
#include "app/keywords/KWRecord.h"

class KWGridModel;
class KWLog;
class KWServices;
class KWStore;
class QWidget;

// The export tables of a keyword page and the export dialog's run.
class KWExporter {
public:
    // Every keyword of the page's kind from the store, highest score first, ties in the store's
    // order; empty for a page type that lists nothing.
    static KWExportTable AllTable(KWStore& store, KWPageType pageType, int groupId);
    static KWExportTable SortedTable(KWRecords records);
    static KWExportRow RecordRow(const KWRecord& record);
    // The grid's rows as shown, in the order given.
    static KWExportTable GridTable(const KWGridModel& model, const QList<int>& rows);
    // The words of the grid's keywords longer than one character, by summed score, highest first.
    static QStringList UsedWords(const KWGridModel& model);
    // Runs the export dialog on the table and saves its text where the user says.
    static void ExportWords(KWExportTable table, KWServices& services, QWidget* parent,
                            const QString& projectFileName);

private:
    static void save(const QString& text, KWServices& services, QWidget* parent);
};
