#include "engine/database/LeadWords.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QHash>

#include "engine/database/MParser.h"

namespace zentrel {

namespace {

struct WordRow {
    QString word;
    double score;
    int id = -1; // the word's place in the word index, stable while rows move
};

// The pieces of one kept keyword, worked out once: each piece lower-cased, its case-folded
// key, and the number of its lower-cased spelling.
struct KeywordPieces {
    std::vector<QString> long4; // the pieces of 4 characters or more, in order
    std::vector<QString> keys;  // their case-folded keys
    std::vector<int> spellings; // of every piece
    std::vector<int> words;     // the word index entry of each key, -1 when none
};

class WordTable {
public:
    explicit WordTable(const KeywordTable& kept)
        : m_kept(kept)
    {
        for (const QString& text : kept.texts)
            m_pieces.push_back(piecesOf(text));
    }

    QStringList run()
    {
        scoreWords();
        if (m_rows.empty())
            return {};
        exchangeSort();
        cut();
        if (m_rows.empty())
            return {};
        reRank();
        QStringList result;
        for (const auto& row : m_rows) {
            if (row.score > LeadWords::kThreshold)
                result << row.word;
        }
        return result;
    }

private:
    KeywordPieces piecesOf(const QString& text)
    {
        KeywordPieces pieces;
        for (const QString& part : text.split(QLatin1Char(' '))) {
            const QString piece = MParser::LowerCase(part);
            const auto spelling = m_spellings.constFind(piece);
            pieces.spellings.push_back(spelling != m_spellings.cend()
                                           ? *spelling
                                           : *m_spellings.insert(piece, m_spellings.size()));
            if (piece.size() >= 4) {
                pieces.long4.push_back(piece);
                pieces.keys.push_back(key(piece));
            }
        }
        return pieces;
    }
    static QString key(const QString& word) { return word.toCaseFolded(); }
    static double round(double value) { return std::nearbyint(value); }

    void scoreWords()
    {
        for (int i = 0; i < m_kept.count(); ++i) {
            const double weight = std::pow(10.0, m_kept.relevancies[i]);
            const KeywordPieces& pieces = m_pieces[static_cast<size_t>(i)];
            for (size_t p = 0; p < pieces.keys.size(); ++p) {
                const auto found = m_index.constFind(pieces.keys[p]);
                if (found != m_index.cend()) {
                    m_rows[*found].score += weight;
                } else {
                    m_index.insert(pieces.keys[p], static_cast<int>(m_rows.size()));
                    m_rows.push_back({pieces.long4[p], weight});
                }
            }
        }
    }

    // Rows a and b change places; the row that moves down keeps its score rounded.
    void exchange(size_t up, size_t down)
    {
        WordRow moving = m_rows[up];
        m_rows[up] = m_rows[down];
        m_rows[down] = {moving.word, round(moving.score), moving.id};
        if (m_rows[up].id >= 0)
            m_rowOf[static_cast<size_t>(m_rows[up].id)] = up;
        if (moving.id >= 0)
            m_rowOf[static_cast<size_t>(moving.id)] = down;
    }

    void exchangeSort()
    {
        for (size_t a = 0; a + 1 < m_rows.size(); ++a) {
            for (size_t b = a + 1; b < m_rows.size(); ++b) {
                if (m_rows[a].score < m_rows[b].score)
                    exchange(a, b);
            }
        }
    }

    void cut()
    {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].score < LeadWords::kThreshold) {
                m_rows.resize(i);
                break;
            }
        }
    }

    // The word index over the rows left: each word keeps its entry while the rows move.
    void buildIndex()
    {
        QHash<QString, int> ids;
        m_rowOf.clear();
        for (size_t i = 0; i < m_rows.size(); ++i) {
            m_rows[i].id = static_cast<int>(i);
            m_rowOf.push_back(i);
            ids.insert(key(m_rows[i].word), static_cast<int>(i));
        }
        for (KeywordPieces& pieces : m_pieces) {
            for (const QString& k : pieces.keys)
                pieces.words.push_back(ids.value(k, -1));
        }
    }

    void reRank()
    {
        buildIndex();
        std::vector<int> seen(static_cast<size_t>(m_kept.count()), 0);
        for (size_t k = 0; k < m_rows.size(); ++k) {
            const int lead = m_spellings.value(m_rows[k].word, -1);
            const double leadScore = round(m_rows[k].score);
            for (int i = 0; i < m_kept.count(); ++i) {
                const KeywordPieces& pieces = m_pieces[static_cast<size_t>(i)];
                if (std::find(pieces.spellings.begin(), pieces.spellings.end(), lead) ==
                    pieces.spellings.end())
                    continue;
                const int s = ++seen[static_cast<size_t>(i)];
                const int r = m_kept.relevancies[i];
                for (const int word : pieces.words) {
                    if (word < 0)
                        continue;
                    double& score = m_rows[m_rowOf[static_cast<size_t>(word)]].score;
                    if (round(score) < leadScore)
                        score = score - std::pow(10.0, r - s + 1) + std::pow(10.0, r - s);
                }
            }
            cocktailSort();
        }
    }

    void cocktailSort()
    {
        if (m_rows.size() < 2)
            return;
        size_t lower = 0;
        size_t upper = m_rows.size() - 1;
        while (true) {
            bool exchanged = false;
            size_t last = lower;
            for (size_t i = lower; i < upper; ++i) {
                if (m_rows[i].score < m_rows[i + 1].score) {
                    exchange(i, i + 1);
                    last = i;
                    exchanged = true;
                }
            }
            if (!exchanged)
                return;
            upper = last;
            exchanged = false;
            for (size_t i = upper; i-- > lower;) {
                if (m_rows[i].score < m_rows[i + 1].score) {
                    exchange(i, i + 1);
                    last = i;
                    exchanged = true;
                }
            }
            if (!exchanged)
                return;
            lower = last + 1;
        }
    }

    const KeywordTable& m_kept;
    std::vector<KeywordPieces> m_pieces;
    std::vector<WordRow> m_rows;
    QHash<QString, int> m_index;     // case-folded word to row, while scoring
    QHash<QString, int> m_spellings; // lower-cased piece to its number
    std::vector<size_t> m_rowOf;     // word index entry to its row
};

} // namespace

QStringList LeadWords::mostPopular(const KeywordTable& kept)
{
    if (kept.isEmpty())
        return {};
    return WordTable(kept).run();
}

} // namespace zentrel
