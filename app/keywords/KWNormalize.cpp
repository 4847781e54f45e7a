#include "app/keywords/KWNormalize.h"

#include <QStringList>

QString KWNormalize::NormalizeKWList(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString work = text.trimmed();
    work.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    work.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    QStringList kept;
    for (const QString& rawLine : work.split(QLatin1Char('\r'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        if (!line.contains(QLatin1Char(' '))) {
            kept << line;
            continue;
        }
        QStringList words;
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (word.at(0).unicode() >= 65)
                words << word;
        const QString joined = words.join(QLatin1Char(' ')).trimmed();
        if (!joined.isEmpty())
            kept << joined;
    }
    if (kept.isEmpty())
        return text;
    return kept.join(QStringLiteral("\r\n"));
}
