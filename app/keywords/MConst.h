#pragma once

#include <QString>

namespace MConst {

// "Banned", "Who Knows?" ... "The Best!" for 0 to 5; empty for any other value.
QString RelevancyName(int relevancy);

} // namespace MConst
