#pragma once

#include <QString>

namespace zentrel {

// The hosts the research engine talks to: the search engine's and the suggestion service's.
// Each is, in this order of precedence, the environment variable (QUINTARA_SEARCH_HOST,
// QUINTARA_SUGGEST_HOST), the current user's setting ("SearchHost", "SuggestHost" under the
// program's key), or the built-in default. A host may carry a port ("127.0.0.1:8080").
class ResearchHosts {
public:
    static QString defaultSearchHost();
    static QString defaultSuggestHost();

    static QString SearchHost();
    static QString SuggestHost();

    // The program's settings key and the value names of the two hosts.
    static QString settingsKey();
    static QString searchHostName() { return QStringLiteral("SearchHost"); }
    static QString suggestHostName() { return QStringLiteral("SuggestHost"); }

    // True for a request to the suggestion service at its current host (such URLs may be
    // fetched any number of times in one run).
    static bool IsSuggestURL(const QString& url);

    // The path of the suggestion service's requests.
    static QString suggestPath();
};

} // namespace zentrel
