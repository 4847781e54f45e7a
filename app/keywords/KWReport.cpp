#include "app/keywords/KWReport.h"

#include <QFile>
#include <QLocale>

#include "app/keywords/KWScore.h"
#include "engine/platform/ZError.h"

namespace {

QString readTemplate(const QString& name)
{
    QFile file(QStringLiteral(":/report/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw zentrel::ZError(zentrel::kUnexpected,
                              QStringLiteral("Report template %1 is missing").arg(name),
                              QStringLiteral("KWReport"));
    return QString::fromUtf8(file.readAll());
}

const QString kMark = QStringLiteral("##");

} // namespace

KWReport::Templates KWReport::builtInTemplates()
{
    return {readTemplate(QStringLiteral("100.html")), readTemplate(QStringLiteral("101.html")),
            readTemplate(QStringLiteral("102.html"))};
}

QString KWReport::dateText(const QDate& date)
{
    return QLocale::system().toString(date, QStringLiteral("MMMM d, yyyy"));
}

QString KWReport::fill(const QString& templ, const QHash<QString, QString>& values)
{
    QString out;
    out.reserve(templ.size() + 64);
    qsizetype pos = 0;
    while (pos < templ.size()) {
        const qsizetype open = templ.indexOf(kMark, pos);
        if (open < 0)
            break;
        const qsizetype close = templ.indexOf(kMark, open + 2);
        if (close < 0)
            break;
        const auto it = values.constFind(templ.mid(open + 2, close - open - 2));
        if (it == values.cend()) {
            // Not a placeholder: keep the first mark and look on from the second.
            out += QStringView(templ).mid(pos, close - pos);
            pos = close;
            continue;
        }
        out += QStringView(templ).mid(pos, open - pos);
        out += it.value().toHtmlEscaped();
        pos = close + 2;
    }
    out += QStringView(templ).mid(pos);
    return out;
}

QString KWReport::cellOrQuestion(const QString& cell, bool negativeIsUnknown)
{
    if (cell.trimmed().isEmpty())
        return QStringLiteral("?");
    if (negativeIsUnknown) {
        bool found = false;
        if (KWScore::LeadingNumber(cell, &found) < 0 && found)
            return QStringLiteral("?");
    }
    return cell;
}

QString KWReport::build(const KWExportTable& table, const QString& project, const QDate& date,
                        const Templates& templates)
{
    QString page = fill(templates.head, {{QStringLiteral("DATE"), dateText(date)},
                                         {QStringLiteral("PROJECT"), project}});
    QHash<QString, QString> values;
    int number = 0;
    for (const KWExportRow& row : table) {
        values.insert(QStringLiteral("NUM"), QString::number(++number));
        values.insert(QStringLiteral("KW"), row.keyword);
        values.insert(QStringLiteral("SEARCHES"), cellOrQuestion(row.searches, true));
        values.insert(QStringLiteral("RELEVANCY"), cellOrQuestion(row.relevancy, false));
        values.insert(QStringLiteral("SCORE"), cellOrQuestion(row.score, false));
        page += fill(templates.row, values);
    }
    page +=
        fill(templates.foot,
             {{QStringLiteral("TOTAL"), QString::number(static_cast<qsizetype>(table.size()))}});
    return page;
}
