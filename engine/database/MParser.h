#pragma once

#include <QString>

namespace zentrel {

// Shared text procedures of the engine.
class MParser {
public:
    // The keyword's identity: "-" and "~" become blanks, runs of blanks one blank, the words
    // sorted by ordinal comparison and joined by single blanks. Case is kept.
    static QString NormalizeKW(const QString& kw);
};

} // namespace zentrel
