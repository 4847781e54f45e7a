#pragma once

#include <QString>

#include "engine/platform/CKeyedCollection.h"

namespace zentrel {

// Reads the phrases of a page's "keywords" meta tags.
class MetaKeywords {
public:
    // Which phrases are kept: the contacter keeps only phrases below 40 characters, the
    // research worker keeps every phrase of more than one word.
    enum class Rule { Contacter, Worker };

    // The cleaned phrases (items without keys) that hold a blank and pass the rule.
    static CKeyedCollection GetKWsFromPage(const QString& page, Rule rule);

    // The contents of every meta tag that mentions "keywords", each followed by ",".
    static QString GetMetaKeywordsText(const QString& page);

    // The text after the tag's second "=", without its surrounding quotes and ">", up to where
    // markup starts in it (the next tag, run into by a quote left open).
    static QString GetMetaContent(const QString& tag);

    // Line breaks become blanks, blanks single, then only blanks and characters from "0" up stay.
    static QString CleanPhrase(const QString& text);

    static constexpr qsizetype kContacterLengthLimit = 40;
};

} // namespace zentrel
