#include "app/keywords/KWScore.h"

#include <cmath>

namespace {

std::int64_t powerOfTen(int exponent)
{
    std::int64_t value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

} // namespace

std::int64_t KWScore::Score(int searches, int relevancy)
{
    if (relevancy <= 0) {
        if (searches > 0)
            return searches;
        return searches == 0 ? -1 : 0;
    }
    if (searches < 0)
        return relevancy;
    if (searches == 0)
        return relevancy - 1;
    return powerOfTen(relevancy - 1) * searches;
}

double KWScore::ScoreValue(int searches, int relevancy)
{
    if (relevancy <= 0 || searches <= 0)
        return static_cast<double>(Score(searches, relevancy));
    return std::pow(10.0, relevancy - 1) * searches;
}

QString KWScore::ScoreText(int searches, int relevancy)
{
    const double score = ScoreValue(searches, relevancy);
    QString text;
    if (score > 0)
        text = QString::number(std::log(score) / std::log(10.0), 'f', 1);
    if (text.size() < 5)
        text.prepend(QString(5 - text.size(), QLatin1Char(' ')));
    return text;
}

QString KWScore::SearchesText(int searches)
{
    if (searches < 0)
        return QStringLiteral(" ");
    return QString::number(searches / 30.0, 'f', 1);
}

double KWScore::LeadingNumber(const QString& text, bool* found)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    bool digits = false;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (found)
        *found = digits;
    if (!digits)
        return 0;
    return text.mid(start, i - start).toDouble();
}
