#pragma once

#include <QString>

namespace MMisc {

// The row icon key: the searches class "Z" (unknown) or "A" to "E", then the relevancy 1 to 5 or 0.
QString ScoreCode(int searches, int relevancy);

} // namespace MMisc
