#include "engine/database/MParser.h"

#include <algorithm>

#include <QStringList>

namespace zentrel {

namespace {
// Trims blanks only, as the keyword rules do (tabs and other spaces stay part of a word).
QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}
} // namespace

QString MParser::NormalizeKW(const QString& kw)
{
    QString text = kw;
    text.replace(QLatin1Char('-'), QLatin1Char(' ')).replace(QLatin1Char('~'), QLatin1Char(' '));
    QStringList words = trimBlanks(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return words.join(QLatin1Char(' '));
}

} // namespace zentrel
