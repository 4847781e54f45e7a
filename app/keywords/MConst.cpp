#include "app/keywords/MConst.h"

namespace MConst {

QString RelevancyName(int relevancy)
{
    switch (relevancy) {
    case 0:
        return QStringLiteral("Banned");
    case 1:
        return QStringLiteral("Who Knows?");
    case 2:
        return QStringLiteral("May be");
    case 3:
        return QStringLiteral("More or Less");
    case 4:
        return QStringLiteral("It's Mine!");
    case 5:
        return QStringLiteral("The Best!");
    default:
        return {};
    }
}

} // namespace MConst
