#pragma once

#include <QString>

namespace zentrel {

// The hosts the research engine talks to: the search engine's and the suggestion service's.
// Each is, in this order of precedence, the environment variable (QUINTARA_SEARCH_HOST,
// QUINTARA_SUGGEST_HOST), the value configured from the settings, or the built-in default.
// A host may carry a port ("127.0.0.1:8080").
class ResearchHosts {
public:
    static QString defaultSearchHost();
    static QString defaultSuggestHost();

    static QString SearchHost();
    static QString SuggestHost();

    // Values from the program's settings; an empty text drops the configured value.
    static void SetSearchHost(const QString& host);
    static void SetSuggestHost(const QString& host);

    // True for a request to the suggestion service at its current host (such URLs may be
    // fetched any number of times in one run).
    static bool IsSuggestURL(const QString& url);

    // The path of the suggestion service's requests.
    static QString suggestPath();
};

} // namespace zentrel
