#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace benchsupport {

inline constexpr int kVocabulary = 5000;

// Pseudo-words from a fixed generator: three disjoint vocabularies, so that keyword i is unique.
inline QStringList makeVocabulary(unsigned seed)
{
    QStringList words;
    unsigned state = seed;
    while (words.size() < 3 * kVocabulary) {
        state = state * 1103515245u + 12345u;
        const int length = 4 + static_cast<int>((state >> 16) % 5);
        QString word;
        for (int c = 0; c < length; ++c) {
            state = state * 1103515245u + 12345u;
            word += QChar('a' + static_cast<int>((state >> 16) % 26));
        }
        words << word + QString::number(words.size());
    }
    return words;
}

// Keyword i: one word of each vocabulary.
inline QString makeKeyword(const QStringList& v, int i)
{
    return v[i % kVocabulary] + ' ' + v[kVocabulary + (i / kVocabulary) % kVocabulary] + ' ' +
           v[2 * kVocabulary + (i * 7) % kVocabulary];
}

} // namespace benchsupport
