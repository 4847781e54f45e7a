#pragma once

#include <QStringList>

#include "engine/database/KeywordTable.h"

namespace zentrel {

// The words that carry the kept keywords: each word of four or more letters scores 10 to the
// power of the relevancy of every kept keyword it occurs in; the list is cut below 200,000 and
// re-ranked so that a word that rides along with a stronger one loses weight. Scores are
// rounded half to even where they are rounded.
class LeadWords {
public:
    static constexpr double kThreshold = 200000.0;

    // The chosen words, highest final score first; empty when none qualifies.
    static QStringList mostPopular(const KeywordTable& kept);
};

} // namespace zentrel
