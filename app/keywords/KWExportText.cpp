#include "app/keywords/KWExportText.h"

#include <QStringList>

#include "app/keywords/KWScore.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

bool KWExportText::anyColumn(const Options& options)
{
    return options.keyword || options.searches || options.relevancy || options.score;
}

QString KWExportText::qualified(const QString& field, const Options& options)
{
    const QString& q = options.qualifier;
    if (q.isEmpty())
        return field;
    QString inner = field;
    inner.replace(q, q + q);
    return q + inner + q;
}

QString KWExportText::qualifiedIfNeeded(const QString& field, const Options& options)
{
    const QString& q = options.qualifier;
    if (q.isEmpty())
        return field;
    const bool needed = (!options.delimiter.isEmpty() && field.contains(options.delimiter)) ||
                        field.contains(q) || field.contains(QLatin1Char('\r')) ||
                        field.contains(QLatin1Char('\n'));
    return needed ? qualified(field, options) : field;
}

QString KWExportText::searchesField(const QString& cell)
{
    bool found = false;
    const double value = KWScore::LeadingNumber(cell, &found);
    return found && value < 0 ? QString() : cell;
}

QString KWExportText::build(const KWExportTable& table, const Options& options)
{
    if (!anyColumn(options))
        return {};
    QString text;
    QStringList fields;
    if (options.fieldNames) {
        if (options.keyword)
            fields << qualifiedIfNeeded(QStringLiteral("Keyword"), options);
        if (options.searches)
            fields << qualifiedIfNeeded(QStringLiteral("Searches"), options);
        if (options.relevancy)
            fields << qualifiedIfNeeded(QStringLiteral("Relevancy"), options);
        if (options.score)
            fields << qualifiedIfNeeded(QStringLiteral("Score"), options);
        text += fields.join(options.delimiter) + kCrLf;
    }
    text.reserve(text.size() + static_cast<qsizetype>(table.size()) * 40);
    for (const KWExportRow& row : table) {
        fields.clear();
        if (options.keyword)
            fields << qualified(row.keyword, options);
        if (options.searches)
            fields << qualifiedIfNeeded(searchesField(row.searches), options);
        if (options.relevancy)
            fields << qualified(row.relevancy, options);
        if (options.score)
            fields << qualifiedIfNeeded(row.score.trimmed(), options);
        text += fields.join(options.delimiter);
        text += kCrLf;
    }
    return text;
}
