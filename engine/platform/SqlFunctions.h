#pragma once

#include <string_view>

#include <QString>

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

    // The form every key is stored in: each character beyond ASCII replaced by its case fold,
    // ASCII kept as it is. This NOCASE compares the folds of two texts byte by byte; SQLite's
    // own, which every other client uses (and with it its REINDEX, VACUUM and integrity_check),
    // compares the bytes with ASCII letters folded only. A text in this form is its own fold
    // but for ASCII letters (a fold folds to itself), so the two agree on the order and the
    // equality of such texts, and an index of them is sound for either. A key holding a
    // character whose fold is another one (the micro sign, final sigma, long s, a lower-case
    // Cherokee letter) would sort by its fold here and by its bytes there.
    static QString keyForm(const QString& text);

    static bool containsWord(std::string_view text, std::string_view word);
    static bool containsAll(std::string_view text, std::string_view words);
};

} // namespace zentrel
