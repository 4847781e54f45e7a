#pragma once

#include <cstdint>

#include <QString>

// The score of a keyword from its monthly searches (-1 unknown) and relevancy (-1 candidate), and
// the texts the grid shows for it.
class KWScore {
public:
    // 64-bit, so that large counts at high relevancy do not overflow.
    static std::int64_t Score(int searches, int relevancy);
    static double ScoreValue(int searches, int relevancy);
    // Base-10 logarithm of the score as "#0.0", left-padded with blanks to five characters;
    // five blanks when the score is not positive.
    static QString ScoreText(int searches, int relevancy);
    // Searches per day with one decimal, or one blank when unknown.
    static QString SearchesText(int searches);
    // The numeric value at the start of a text (leading blanks skipped), 0 when there is none.
    static double LeadingNumber(const QString& text, bool* found = nullptr);
};
