#include "app/keywords/KWFinder.h"

#include "app/keywords/KWGridModel.h"

QString KWFinder::FindPattern(const QString& typed)
{
    if (typed.isEmpty() || typed.contains(QLatin1Char(' ')))
        return typed;
    return QLatin1Char('*') + typed + QLatin1Char('*');
}

QStringList KWFinder::SelectPatterns(const QString& typed)
{
    QString text = typed.trimmed();
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    if (text.isEmpty())
        return {};
    const QStringList w = text.split(QLatin1Char(' '));
    QList<QStringList> orders;
    switch (w.size()) {
    case 1:
        orders = {{w[0]}};
        break;
    case 2:
        orders = {{w[0], w[1]}, {w[1], w[0]}};
        break;
    case 3:
        orders = {{w[0], w[1], w[2]}, {w[0], w[2], w[1]}, {w[1], w[0], w[2]},
                  {w[1], w[2], w[0]}, {w[2], w[0], w[1]}, {w[2], w[1], w[0]}};
        break;
    default:
        return {};
    }
    QStringList patterns;
    for (const QStringList& order : orders)
        patterns << QLatin1Char('*') + order.join(QLatin1Char('*')) + QLatin1Char('*');
    return patterns;
}

int KWFinder::FirstMatch(const KWGridModel& model, const KWPattern& pattern, int from)
{
    for (int row = std::max(from, 0); row < model.rowCount(); ++row)
        if (pattern.matches(model.rowAt(row).keyword))
            return row;
    return -1;
}

QList<int> KWFinder::Matches(const KWGridModel& model, const std::vector<KWPattern>& patterns)
{
    QList<int> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString& kw = model.rowAt(row).keyword;
        for (const KWPattern& pattern : patterns) {
            if (pattern.matches(kw)) {
                rows << row;
                break;
            }
        }
    }
    return rows;
}
