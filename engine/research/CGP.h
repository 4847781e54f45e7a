#pragma once

#include <QString>
#include <QStringList>

namespace zentrel {

// The search engine's result-page parser.
class CGP {
public:
    // The addresses of the found pages in page order (the "http" links of the results).
    // Raises error 649 on a page that does not have the result page's layout.
    static QStringList FoundURLs(const QString& html);
};

} // namespace zentrel
