#pragma once

#include <QString>
#include <QStringList>

#include "engine/platform/CDataNode.h"
#include "engine/platform/CLog.h"

namespace zentrel {

// The search engine's result-page parser.
class CGP {
public:
    void Init(CLogPtr Log) { m_log = std::move(Log); }

    // The found-page list: one child per found page in page order, with "Pos" (1 for the first)
    // and "URL". Raises error 649 on a page that does not have the result page's layout.
    CDataNode Parse(const QString& HTML) const;

    // The addresses of the found pages in page order (the "http" links of the results).
    static QStringList FoundURLs(const QString& html);

private:
    CLogPtr m_log;
};

} // namespace zentrel
