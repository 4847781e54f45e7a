#pragma once

#include <QDateTime>

namespace zentrel {

// Dates are stored as days since 30 December 1899 with the time as the fraction (local time),
// the database engine's own form; 0 is the zero date that stands for "unknown".
class SqlDate {
public:
    static double toOle(const QDateTime& when);
    static QDateTime fromOle(double days);
    static QDateTime zeroDate();
    static double now();
};

} // namespace zentrel
