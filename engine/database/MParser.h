#pragma once

#include <QString>

namespace zentrel {

// Shared text procedures of the engine.
class MParser {
public:
    // Trims blanks only, as the keyword rules do (tabs and other spaces stay part of a word).
    static QString TrimBlanks(const QString& text);

    // Keyword text as a reader sees it, applied wherever keyword text is stored. Tab, line feed
    // and carriage return become blanks. Removed: the other control characters (U+0000 to
    // U+001F, U+007F to U+009F), the bidirectional controls U+061C, U+200E, U+200F, U+202A to
    // U+202E and U+2066 to U+2069, and the zero-width characters U+200B, U+200C, U+200D, U+2060
    // and U+FEFF (the joiners too, though emoji sequences and some scripts use them). Everything
    // else stays, blanks and case included.
    static QString StripInvisible(const QString& text);

    // Lower case, one character for one: a letter whose lower case would be two characters
    // ("İ" gives "i" and a combining dot) takes its single-character mapping ("i"), so a keyword
    // keeps its length and its identity. Then folded as keys are stored (SqlFunctions::keyForm):
    // "µ" (micro sign) gives "μ", final "ς" gives "σ", "ſ" gives "s".
    static QString LowerCase(const QString& text);

    // The keyword's identity: "-" and "~" become blanks, runs of blanks one blank, the words
    // sorted by ordinal comparison and joined by single blanks. Case is kept.
    static QString NormalizeKW(const QString& kw);

    // The search engine's result page for a keyword, asking for Count results.
    static QString GetGoogleSearchURL(const QString& kw, int count);
    // The search engine's listing of a site's pages (those without a made-up word).
    static QString GetGoogleSiteURL(const QString& siteName, int count);
    // 3 to 13 pseudo-random lower-case letters.
    static QString RandomWord();

    // The suggestion service's page for a term; the term is URL-encoded.
    static QString GetOvertureURL(const QString& term);

    // False for secure pages and for document files, which are not read for keywords.
    static bool IsCrawlable(const QString& url);
};

} // namespace zentrel
