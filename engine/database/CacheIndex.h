#pragma once

#include <functional>

#include <QString>
#include <QStringList>

namespace zentrel {

class SqlDatabase;

// The full-text index of the cache's keywords: an FTS5 table of trigrams (CacheText) that
// finds every keyword holding a piece of text of 3 characters or more, kept up to date by
// triggers on Cache, which also count up the cache's generation (CacheGeneration: a random id
// and a number that every change of Cache raises). Plain SQLite, so the cache stays a file that
// any SQLite client with FTS5 opens and writes.
class CacheIndex {
public:
    // Builds the index when the cache has none (or an incomplete one); reports the start and
    // the end of a build to note. At every cache open. A build that fails leaves the cache as it
    // was, and raises an error that says so.
    static void ensure(const SqlDatabase& cache, const std::function<void(const QString&)>& note);
    // Takes the index and the generation away, for a bulk load followed by ensure.
    static void drop(const SqlDatabase& cache);
    static bool exists(const SqlDatabase& cache);

    // The cached keywords that hold the word as a whole word, with a count above 0, that the
    // project lacks or holds as a candidate; in key order. Through the index when the word
    // can be looked up there (3 characters or more, all ASCII), else by a scan of the cache.
    static QStringList keywordsWithWord(const SqlDatabase& project, const QString& word);
    // The index's MATCH text that finds the keywords holding the text, or an empty text when
    // the index cannot answer for it (then the caller scans).
    static QString matchFor(const QString& text);
    // The MATCH text that finds the keywords holding every one of the texts that the index can
    // answer for; empty when it can answer for none.
    static QString matchAll(const QStringList& texts);
};

} // namespace zentrel
