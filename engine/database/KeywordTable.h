#pragma once

#include <vector>

#include <QString>
#include <QStringList>

namespace zentrel {

// Keywords as listed: one entry per keyword in the statement's order; -1 stands for a NULL
// count or relevancy. An empty table stands for no keywords at all.
struct KeywordTable {
    std::vector<int> ids;
    QStringList texts;
    std::vector<int> searches;
    std::vector<int> relevancies;

    int count() const { return static_cast<int>(ids.size()); }
    bool isEmpty() const { return ids.empty(); }
    void append(int id, const QString& text, int searchCount, int relevancy)
    {
        ids.push_back(id);
        texts.push_back(text);
        searches.push_back(searchCount);
        relevancies.push_back(relevancy);
    }
};

} // namespace zentrel
