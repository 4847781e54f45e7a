#pragma once

#include <vector>

#include <QString>
#include <QStringList>

namespace zentrel {

class SqlDatabase;

// The cache import's query, run on the project's connection (where the cache is attached) under
// the databases' lock: the cached keywords with a count above 0 that the project does not hold,
// or holds as candidates (and as banned ones when asked), that hold every filter word, highest
// count first, at most kMaxRows.
class CacheImportQuery {
public:
    static constexpr int kMaxRows = 5000;

    struct Row {
        QString KW;
        qint64 Count = 0;
    };

    // Each word is matched anywhere in the keyword, in any order, case-blind (as the keyword
    // store compares) and literally, but for "*", which matches any run of characters.
    static std::vector<Row> Run(const SqlDatabase& ProjectDB, const QStringList& Words,
                                bool IncludeBanned);

    // Makes those of the keywords that the project holds as banned candidates again; how many.
    static int Unban(const SqlDatabase& ProjectDB, const QStringList& KWs);
};

} // namespace zentrel
