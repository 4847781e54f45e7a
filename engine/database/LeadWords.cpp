#include "engine/database/LeadWords.h"

#include <cmath>
#include <vector>

#include <QHash>

namespace zentrel {

namespace {

struct WordRow {
    QString word;
    double score;
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
    static QStringList piecesOf(const QString& text)
    {
        QStringList pieces = text.split(QLatin1Char(' '));
        for (QString& piece : pieces)
            piece = piece.toLower();
        return pieces;
    }
    static QString key(const QString& word) { return word.toCaseFolded(); }
    static double round(double value) { return std::nearbyint(value); }

    void scoreWords()
    {
        for (int i = 0; i < m_kept.count(); ++i) {
            const double weight = std::pow(10.0, m_kept.relevancies[i]);
            for (const QString& piece : m_pieces[i]) {
                if (piece.size() < 4)
                    continue;
                const auto found = m_index.constFind(key(piece));
                if (found != m_index.cend()) {
                    m_rows[*found].score += weight;
                } else {
                    m_index.insert(key(piece), static_cast<int>(m_rows.size()));
                    m_rows.push_back({piece, weight});
                }
            }
        }
    }

    // Rows a and b change places; the row that moves down keeps its score rounded.
    void exchange(size_t up, size_t down)
    {
        WordRow moving = m_rows[up];
        m_rows[up] = m_rows[down];
        m_rows[down] = {moving.word, round(moving.score)};
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

    void rebuildIndex()
    {
        m_index.clear();
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_index.insert(key(m_rows[i].word), static_cast<int>(i));
    }

    void reRank()
    {
        rebuildIndex();
        std::vector<int> seen(static_cast<size_t>(m_kept.count()), 0);
        for (size_t k = 0; k < m_rows.size(); ++k) {
            const QString lead = m_rows[k].word;
            const double leadScore = round(m_rows[k].score);
            for (int i = 0; i < m_kept.count(); ++i) {
                if (!m_pieces[i].contains(lead))
                    continue;
                const int s = ++seen[static_cast<size_t>(i)];
                const int r = m_kept.relevancies[i];
                for (const QString& piece : m_pieces[i]) {
                    if (piece.size() < 4)
                        continue;
                    const auto found = m_index.constFind(key(piece));
                    if (found == m_index.cend())
                        continue;
                    double& score = m_rows[*found].score;
                    if (round(score) < leadScore)
                        score = score - std::pow(10.0, r - s + 1) + std::pow(10.0, r - s);
                }
            }
            cocktailSort();
            rebuildIndex();
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
    std::vector<QStringList> m_pieces;
    std::vector<WordRow> m_rows;
    QHash<QString, int> m_index;
};

} // namespace

QStringList LeadWords::mostPopular(const KeywordTable& kept)
{
    if (kept.isEmpty())
        return {};
    return WordTable(kept).run();
}

} // namespace zentrel
