#include "engine/platform/SqlDate.h"

#include <cmath>

namespace zentrel {

namespace {
constexpr double kMsPerDay = 86400000.0;
QDate epoch()
{
    return QDate(1899, 12, 30);
}
} // namespace

double SqlDate::toOle(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    const double days = static_cast<double>(epoch().daysTo(local.date()));
    return days + local.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDateTime SqlDate::fromOle(double days)
{
    const double whole = std::floor(days);
    auto ms = static_cast<qint64>(std::llround((days - whole) * kMsPerDay));
    QDate date = epoch().addDays(static_cast<qint64>(whole));
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        date = date.addDays(1);
        ms = 0;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

QDateTime SqlDate::zeroDate()
{
    return QDateTime(epoch(), QTime(0, 0));
}

double SqlDate::now()
{
    return toOle(QDateTime::currentDateTime());
}

} // namespace zentrel
