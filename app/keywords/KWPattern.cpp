#include "app/keywords/KWPattern.h"

#include "engine/platform/ZError.h"

namespace {

[[noreturn]] void invalidPattern()
{
    throw zentrel::ZError(KWPattern::kInvalidPattern, QStringLiteral("Invalid pattern string"),
                          QStringLiteral("KWPattern"));
}

} // namespace

KWPattern::KWPattern(const QString& pattern)
{
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t ch = pattern.at(i).unicode();
        Token token;
        switch (ch) {
        case u'*':
            token.kind = Token::Kind::Star;
            break;
        case u'?':
            token.kind = Token::Kind::AnyChar;
            break;
        case u'#':
            token.kind = Token::Kind::Digit;
            break;
        case u'[':
            token = parseList(pattern, i);
            break;
        default:
            token.ch = ch;
            break;
        }
        // "[]" matches the empty text: nothing to keep.
        if (token.kind == Token::Kind::List && !token.negated && token.ranges.empty())
            continue;
        // Runs of asterisks behave as one.
        if (token.kind == Token::Kind::Star && !m_tokens.empty() &&
            m_tokens.back().kind == Token::Kind::Star)
            continue;
        m_tokens.push_back(std::move(token));
    }
}

KWPattern::Token KWPattern::parseList(const QString& pattern, qsizetype& i)
{
    Token token;
    token.kind = Token::Kind::List;
    qsizetype j = i + 1;
    if (j < pattern.size() && pattern.at(j) == QLatin1Char('!')) {
        token.negated = true;
        ++j;
    }
    while (true) {
        if (j >= pattern.size())
            invalidPattern();
        const char16_t first = pattern.at(j).unicode();
        if (first == u']')
            break;
        char16_t last = first;
        if (j + 2 < pattern.size() && pattern.at(j + 1) == QLatin1Char('-') &&
            pattern.at(j + 2) != QLatin1Char(']')) {
            last = pattern.at(j + 2).unicode();
            if (last < first)
                invalidPattern();
            j += 2;
        }
        token.ranges.push_back({first, last});
        ++j;
    }
    i = j;
    return token;
}

bool KWPattern::tokenMatches(const Token& token, char16_t ch)
{
    switch (token.kind) {
    case Token::Kind::Literal:
        return token.ch == ch;
    case Token::Kind::AnyChar:
        return true;
    case Token::Kind::Digit:
        return ch >= u'0' && ch <= u'9';
    case Token::Kind::List: {
        bool inList = false;
        for (const Range& range : token.ranges) {
            if (ch >= range.first && ch <= range.last) {
                inList = true;
                break;
            }
        }
        return inList != token.negated;
    }
    case Token::Kind::Star:
        break;
    }
    return false;
}

bool KWPattern::matches(const QString& text) const
{
    // Greedy walk with one back-tracking point: the last asterisk seen.
    std::size_t t = 0;
    qsizetype s = 0;
    std::size_t starToken = m_tokens.size();
    qsizetype starText = 0;
    while (s < text.size()) {
        if (t < m_tokens.size() && m_tokens[t].kind == Token::Kind::Star) {
            starToken = t++;
            starText = s;
        } else if (t < m_tokens.size() && tokenMatches(m_tokens[t], text.at(s).unicode())) {
            ++t;
            ++s;
        } else if (starToken < m_tokens.size()) {
            t = starToken + 1;
            s = ++starText;
        } else {
            return false;
        }
    }
    while (t < m_tokens.size() && m_tokens[t].kind == Token::Kind::Star)
        ++t;
    return t == m_tokens.size();
}

bool KWPattern::Like(const QString& text, const QString& pattern)
{
    return KWPattern(pattern).matches(text);
}
