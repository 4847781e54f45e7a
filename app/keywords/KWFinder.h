#pragma once

#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

#include "app/keywords/KWPattern.h"

class KWGridModel;

// The pattern side of Find, Find Next and Select by words.
class KWFinder {
public:
    // A typed text without blanks is looked for anywhere in a keyword; one with blanks as typed.
    static QString FindPattern(const QString& typed);
    // The patterns for every order of one to three typed words; none for four or more.
    static QStringList SelectPatterns(const QString& typed);
    // The first row from `from` on whose keyword matches, or -1.
    static int FirstMatch(const KWGridModel& model, const KWPattern& pattern, int from);
    // Every row whose keyword matches any of the patterns, in grid order.
    static QList<int> Matches(const KWGridModel& model, const std::vector<KWPattern>& patterns);
};
