#pragma once

#include <vector>

#include <QString>

namespace zentrel {

// One line of a suggestion page: a normalised phrase and its monthly searches.
struct PhraseCount {
    QString phrase;
    int count = 0;
};
using PhraseCounts = std::vector<PhraseCount>;

// The suggestion-service page parser.
class COP {
public:
    // Appends the page's phrases with their counts to `counts`, in page order, each phrase once
    // (the first row wins; phrases are compared without regard to case). Raises when the page has
    // no form or no table; the rows read before a failure stay in `counts`.
    static void ReadCounts(const QString& html, PhraseCounts& counts);

    // The number at the start of a text (sign, digits, decimal point), rounded half to even;
    // 0 when there is none. Raises on a number beyond 32 bits.
    static int LeadingNumber(const QString& text);
};

} // namespace zentrel
