#include "app/keywords/MMisc.h"

QString MMisc::ScoreCode(int searches, int relevancy)
{
    QChar letter;
    if (searches < 0)
        letter = QLatin1Char('Z');
    else if (searches < 300)
        letter = QLatin1Char('A');
    else if (searches < 700)
        letter = QLatin1Char('B');
    else if (searches < 1000)
        letter = QLatin1Char('C');
    else if (searches < 2500)
        letter = QLatin1Char('D');
    else
        letter = QLatin1Char('E');
    const int digit = relevancy >= 1 && relevancy <= 5 ? relevancy : 0;
    return QString(letter) + QChar(QLatin1Char('0').unicode() + digit);
}
