#pragma once

#include <QString>

// The keyword page's part of the shared helpers (the rest: app/shell/MMisc.h).
namespace MMisc {

// The row icon key of a keyword: "Z" or "A" to "E" by searches, then the relevancy 1-5 or 0.
QString ScoreCode(int searches, int relevancy);

} // namespace MMisc
