#include "app/keywords/KWExporter.h"

#include <algorithm>

#include <QHash>

#include "app/keywords/FExportParams.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageQuery.h"
#include "app/keywords/KWScore.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/KWStore.h"
#include "app/keywords/MConst.h"
#include "app/shell/LoggingGuard.h"
#include "engine/platform/ZError.h"

KWExportTable KWExporter::AllTable(KWStore& store, KWPageType pageType, int groupId)
{
    std::optional<KWStore::Query> query = KWPageQuery::For(pageType, groupId);
    if (!query)
        return {};
    query->all = true;
    return SortedTable(store.getKWsEx(*query));
}

KWExportRow KWExporter::RecordRow(const KWRecord& record)
{
    return {record.kw, KWScore::SearchesText(record.searches),
            MConst::RelevancyName(record.relevancy),
            KWScore::ScoreText(record.searches, record.relevancy)};
}

KWExportTable KWExporter::SortedTable(KWRecords records)
{
    struct Entry {
        std::int64_t score;
        std::size_t index;
    };
    std::vector<Entry> order;
    order.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        order.push_back({KWScore::Score(records[i].searches, records[i].relevancy), i});
    std::stable_sort(order.begin(), order.end(),
                     [](const Entry& a, const Entry& b) { return a.score > b.score; });
    KWExportTable table;
    table.reserve(records.size());
    for (const Entry& entry : order)
        table.push_back(RecordRow(records[entry.index]));
    return table;
}

KWExportTable KWExporter::GridTable(const KWGridModel& model, const QList<int>& rows)
{
    KWExportTable table;
    table.reserve(static_cast<std::size_t>(rows.size()));
    for (const int row : rows) {
        const KWGridRow& r = model.rowAt(row);
        table.push_back({r.keyword, r.searchesText, r.relevancyName, r.scoreText});
    }
    return table;
}

QStringList KWExporter::UsedWords(const KWGridModel& model)
{
    struct Word {
        QString text;
        double sum;
    };
    std::vector<Word> words;
    QHash<QString, std::size_t> index; // case-blind, as the keyed collection compares keys
    for (int row = 0; row < model.rowCount(); ++row) {
        const KWGridRow& r = model.rowAt(row);
        const double score = KWScore::LeadingNumber(r.scoreText);
        for (const QString& piece : r.keyword.split(QLatin1Char(' '))) {
            const QString word = piece.trimmed();
            if (word.size() <= 1)
                continue;
            const QString key = word.toCaseFolded();
            const auto it = index.constFind(key);
            if (it != index.cend()) {
                words[it.value()].sum += score;
            } else {
                index.insert(key, words.size());
                words.push_back({word, score});
            }
        }
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const Word& a, const Word& b) { return a.sum > b.sum; });
    QStringList list;
    list.reserve(static_cast<qsizetype>(words.size()));
    for (const Word& word : words)
        list << word.text;
    return list;
}

void KWExporter::ExportWords(KWExportTable table, KWServices& services, QWidget* parent,
                             const QString& projectFileName)
{
    bool ok = false;
    QString text;
    {
        FExportParams dialog(&services, parent);
        dialog.init(std::move(table), &services, projectFileName);
        services.ExecDialog(dialog);
        ok = dialog.OKPressed();
        text = dialog.PreviewText();
    } // the dialog stores its settings as it goes
    if (ok)
        save(text, services, parent);
}

void KWExporter::save(const QString& text, KWServices& services, QWidget* parent)
{
    const QString fileName = services.SaveFileName(parent, QStringLiteral("Text Document (*.txt)"));
    if (fileName.isEmpty())
        return;
    while (true) {
        try {
            services.WriteFile(fileName, text);
            return;
        } catch (const zentrel::ZError& e) {
            LoggingGuard(LoggingGuard::writerOf(&services), 4, QStringLiteral("ucKW.ExportWords"))
                .write(e);
            if (services.ShowMsg(e.description(), 53) != KWServices::Retry)
                return;
        }
    }
}
