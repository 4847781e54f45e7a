#include "engine/database/MParser.h"

#include <algorithm>
#include <cmath>

#include <QRandomGenerator>
#include <QStringList>

#include "engine/platform/CUtilities.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/research/ResearchHosts.h"

namespace zentrel {

namespace {
// Rounds half to even, as every rounding of the engine does.
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// The words of a keyword joined by "+", each encoded on its own so that a "+" inside a word
// stays a character of the word.
QString encodedQuery(const QString& kw)
{
    if (!kw.contains(QLatin1Char(' ')))
        return CUtilities::URLEncode(kw);
    const QStringList pieces = MParser::TrimBlanks(kw).split(QLatin1Char(' '));
    QStringList kept;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!pieces.at(i).isEmpty() || i == pieces.size() - 1)
            kept.append(CUtilities::URLEncode(pieces.at(i)));
    }
    return kept.join(QLatin1Char('+'));
}

enum class Invisible { Keep, Blank, Remove };

Invisible invisibleKind(char16_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return Invisible::Keep;
    if (c == u'\t' || c == u'\n' || c == u'\r')
        return Invisible::Blank;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return Invisible::Remove;
    const bool bidi = c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
                      (c >= 0x2066 && c <= 0x2069);
    const bool zeroWidth = (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF;
    return bidi || zeroWidth ? Invisible::Remove : Invisible::Keep;
}
} // namespace

QString MParser::TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString MParser::StripInvisible(const QString& text)
{
    const auto isKept = [](QChar c) { return invisibleKind(c.unicode()) == Invisible::Keep; };
    const auto first = std::find_if_not(text.cbegin(), text.cend(), isKept);
    if (first == text.cend())
        return text;
    QString cleaned;
    cleaned.reserve(text.size());
    cleaned.append(text.constData(), first - text.cbegin());
    for (auto it = first; it != text.cend(); ++it) {
        switch (invisibleKind(it->unicode())) {
        case Invisible::Keep:
            cleaned.append(*it);
            break;
        case Invisible::Blank:
            cleaned.append(QLatin1Char(' '));
            break;
        case Invisible::Remove:
            break;
        }
    }
    return cleaned;
}

QString MParser::LowerCase(const QString& text)
{
    QString lower = text.toLower();
    if (lower.size() != text.size()) {
        // Some letter became more than one character: take the first of each letter's lower
        // case.
        lower.clear();
        for (const char32_t letter : text.toUcs4()) {
            const QString one = QStringView(QChar::fromUcs4(letter)).toString().toLower();
            lower += QStringView(QChar::fromUcs4(one.toUcs4().value(0, letter)));
        }
    }
    return SqlFunctions::keyForm(lower);
}

QString MParser::NormalizeKW(const QString& kw)
{
    QString text = kw;
    text.replace(QLatin1Char('-'), QLatin1Char(' ')).replace(QLatin1Char('~'), QLatin1Char(' '));
    QStringList words = TrimBlanks(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return words.join(QLatin1Char(' '));
}

QString MParser::GetGoogleSearchURL(const QString& kw, int count)
{
    return QStringLiteral("http://%1/search?as_q=%2&num=%3")
        .arg(ResearchHosts::SearchHost(), encodedQuery(kw), QString::number(count));
}

QString MParser::GetGoogleSiteURL(const QString& siteName, int count)
{
    return QStringLiteral("http://%1/search?q=+-%2+site:%3&num=%4&filter=0")
        .arg(ResearchHosts::SearchHost(), RandomWord(), CUtilities::URLEncode(siteName),
             QString::number(count));
}

QString MParser::RandomWord()
{
    QRandomGenerator* random = QRandomGenerator::global();
    const int length = roundEven(random->generateDouble() * 10 + 3);
    QString word;
    word.reserve(length);
    for (int i = 0; i < length; ++i)
        word.append(QChar(roundEven(random->generateDouble() * 25 + 97)));
    return word;
}

QString MParser::GetOvertureURL(const QString& term)
{
    // The service's own separators are "&amp;", as its pages link them.
    return QStringLiteral("http://%1%2?term=%3&amp;mkt=us&amp;lang=en_US")
        .arg(ResearchHosts::SuggestHost(), ResearchHosts::suggestPath(),
             CUtilities::URLEncode(term));
}

bool MParser::IsCrawlable(const QString& url)
{
    const QString lower = url.toLower();
    if (lower.startsWith(QLatin1String("https:")))
        return false;
    static const char* const documents[] = {".pdf", ".doc", ".xls", ".ppt", ".rtf", ".ps"};
    return std::none_of(std::begin(documents), std::end(documents),
                        [&lower](const char* end) { return lower.endsWith(QLatin1String(end)); });
}

} // namespace zentrel
