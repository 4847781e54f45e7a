#pragma once

#include <vector>

#include <QString>

// A case-sensitive wildcard pattern: "*" any run of characters, "?" one character, "#" one digit,
// "[list]" one of the listed characters or ranges ("a-z"), "[!list]" one character not listed.
// Any other character stands for itself; "[*]" matches an asterisk.
class KWPattern {
public:
    // Raises ZError kInvalidPattern for an unclosed list or a descending range.
    explicit KWPattern(const QString& pattern);

    bool matches(const QString& text) const;
    static bool Like(const QString& text, const QString& pattern);

    static constexpr unsigned kInvalidPattern = 93;

private:
    struct Range {
        char16_t first;
        char16_t last;
    };
    struct Token {
        enum class Kind { Literal, AnyChar, Digit, Star, List };
        Kind kind = Kind::Literal;
        char16_t ch = 0;
        bool negated = false;
        std::vector<Range> ranges;
    };

    static Token parseList(const QString& pattern, qsizetype& i);
    static bool tokenMatches(const Token& token, char16_t ch);

    std::vector<Token> m_tokens;
};
