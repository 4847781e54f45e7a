#pragma once

#include <string_view>

struct sqlite3;

namespace zentrel {

// What every connection gets: NOCASE replaced by a case-blind comparison that folds the case of
// every letter, not only ASCII (the same order as the built-in one on ASCII text), and the
// function containsword(text, word): 1 when word occurs in text, case-blind and literally, as a
// blank-separated whole word at the start, in the middle or at the end, text being more than
// the word alone; and containsall(text, words): 1 when text holds every blank-separated word of
// words, each anywhere in it, case-blind and literally but for "*", which matches any run of
// characters.
class SqlFunctions {
public:
    static void install(sqlite3* db);

    // The collation's comparison, exposed for tests: <0, 0 or >0.
    static int compareNoCase(std::string_view a, std::string_view b);
    static bool containsWord(std::string_view text, std::string_view word);
    static bool containsAll(std::string_view text, std::string_view words);
};

} // namespace zentrel
