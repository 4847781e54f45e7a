#include "engine/platform/SqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <QString>

namespace zentrel {

namespace {

unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

std::string foldedUtf8(std::string_view text)
{
    const QByteArray bytes =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded().toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Case-folded UTF-8 of the text, with a fast path for ASCII.
std::string folded(std::string_view text)
{
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return foldedUtf8(text);
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(asciiLower(static_cast<unsigned char>(c)));
    return out;
}

int compareBytes(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int collateNoCase(void*, int n1, const void* s1, int n2, const void* s2)
{
    return SqlFunctions::compareNoCase(
        std::string_view(static_cast<const char*>(s1), static_cast<size_t>(n1)),
        std::string_view(static_cast<const char*>(s2), static_cast<size_t>(n2)));
}

std::string_view argText(sqlite3_value* value)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return data ? std::string_view(data, static_cast<size_t>(sqlite3_value_bytes(value)))
                : std::string_view();
}

void containsWordFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, SqlFunctions::containsWord(argText(args[0]), argText(args[1])));
}

// The words of a containsall() pattern, folded, each cut at its "*" into the pieces that must
// follow one another.
using WordPieces = std::vector<std::vector<std::string>>;

WordPieces parseWords(std::string_view words)
{
    WordPieces parsed;
    const std::string all = folded(words);
    size_t start = 0;
    while (start <= all.size()) {
        const size_t end = std::min(all.find(' ', start), all.size());
        if (end > start) {
            std::vector<std::string> pieces;
            size_t from = start;
            while (from < end) {
                const size_t star = std::min(all.find('*', from), end);
                if (star > from)
                    pieces.emplace_back(all.substr(from, star - from));
                from = star + 1;
            }
            parsed.push_back(std::move(pieces));
        }
        start = end + 1;
    }
    return parsed;
}

// Whether the (already folded or ASCII) text holds the pieces in order; ASCII text is compared
// case-blind on the fly, without a folded copy.
bool holdsPieces(std::string_view text, const std::vector<std::string>& pieces, bool foldAscii)
{
    auto at = text.begin();
    for (const std::string& piece : pieces) {
        const auto found = foldAscii
                               ? std::search(at, text.end(), piece.begin(), piece.end(),
                                             [](char a, char b) {
                                                 return asciiLower(static_cast<unsigned char>(a)) ==
                                                        static_cast<unsigned char>(b);
                                             })
                               : std::search(at, text.end(), piece.begin(), piece.end());
        if (found == text.end())
            return false;
        at = found + static_cast<std::ptrdiff_t>(piece.size());
    }
    return true;
}

bool holdsAll(std::string_view text, const WordPieces& words)
{
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string foldedText = ascii ? std::string() : foldedUtf8(text);
    const std::string_view subject = ascii ? text : std::string_view(foldedText);
    return std::all_of(words.begin(), words.end(), [&](const std::vector<std::string>& pieces) {
        return holdsPieces(subject, pieces, ascii);
    });
}

void containsAllFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // The pattern is parsed once per statement run, not once per row.
    auto* words = static_cast<WordPieces*>(sqlite3_get_auxdata(context, 1));
    if (words == nullptr) {
        words = new WordPieces(parseWords(argText(args[1])));
        sqlite3_set_auxdata(context, 1, words,
                            [](void* data) { delete static_cast<WordPieces*>(data); });
        words = static_cast<WordPieces*>(sqlite3_get_auxdata(context, 1));
        if (words == nullptr) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    sqlite3_result_int(context, holdsAll(argText(args[0]), *words));
}

} // namespace

bool SqlFunctions::containsAll(std::string_view text, std::string_view words)
{
    return holdsAll(text, parseWords(words));
}

int SqlFunctions::compareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80)
            return compareBytes(foldedUtf8(a.substr(i)), foldedUtf8(b.substr(i)));
        const unsigned char la = asciiLower(ca);
        const unsigned char lb = asciiLower(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

QString SqlFunctions::keyForm(const QString& text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text;
    QString key = text.toCaseFolded();
    // The fold gives each character one of the same length, so the positions still match.
    if (key.size() == text.size()) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i).unicode() < 0x80)
                key[i] = text.at(i);
        }
    }
    return key;
}

bool SqlFunctions::containsWord(std::string_view text, std::string_view word)
{
    if (word.empty())
        return false;
    const std::string t = folded(text);
    const std::string w = folded(word);
    for (size_t at = t.find(w); at != std::string::npos; at = t.find(w, at + 1)) {
        const size_t end = at + w.size();
        const bool startsWord = at == 0 || t[at - 1] == ' ';
        const bool endsWord = end == t.size() || t[end] == ' ';
        const bool alone = at == 0 && end == t.size();
        if (startsWord && endsWord && !alone)
            return true;
    }
    return false;
}

void SqlFunctions::install(sqlite3* db)
{
    sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, collateNoCase);
    sqlite3_create_function(db, "containsword", 2,
                            SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                            containsWordFunction, nullptr, nullptr);
    sqlite3_create_function(db, "containsall", 2,
                            SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                            containsAllFunction, nullptr, nullptr);
}

} // namespace zentrel
