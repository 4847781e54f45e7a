#include "engine/platform/SqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>

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

} // namespace

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
}

} // namespace zentrel
