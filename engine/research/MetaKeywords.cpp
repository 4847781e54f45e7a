#include "engine/research/MetaKeywords.h"

#include <QStringList>

#include "engine/database/MParser.h"

namespace zentrel {

namespace {
// Drops the first character when it is the one given, then trims.
QString dropLeading(const QString& text, QChar c)
{
    return text.startsWith(c) ? MParser::TrimBlanks(text.mid(1)) : text;
}

QString dropTrailing(const QString& text, QChar c)
{
    return text.endsWith(c) ? MParser::TrimBlanks(text.chopped(1)) : text;
}

// Where a tag, an end tag, a comment or a declaration starts in the text; -1 when none does.
qsizetype markupStart(const QString& text)
{
    for (qsizetype i = text.indexOf(QLatin1Char('<')); i >= 0 && i + 1 < text.size();
         i = text.indexOf(QLatin1Char('<'), i + 1)) {
        const QChar next = text.at(i + 1);
        const bool letter = (next >= QLatin1Char('a') && next <= QLatin1Char('z')) ||
                            (next >= QLatin1Char('A') && next <= QLatin1Char('Z'));
        if (letter || next == QLatin1Char('/') || next == QLatin1Char('!') ||
            next == QLatin1Char('?'))
            return i;
    }
    return -1;
}

bool keeps(const QString& phrase, MetaKeywords::Rule rule)
{
    if (!phrase.contains(QLatin1Char(' ')))
        return false;
    return rule == MetaKeywords::Rule::Worker ||
           phrase.size() < MetaKeywords::kContacterLengthLimit;
}
} // namespace

CKeyedCollection MetaKeywords::GetKWsFromPage(const QString& page, Rule rule)
{
    CKeyedCollection result;
    if (page.isEmpty())
        return result;
    const QString text = GetMetaKeywordsText(page);
    if (!text.contains(QLatin1Char(',')))
        return result;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        // Trimmed, so that blanks left by dropped characters do not make one word a phrase.
        const QString phrase = MParser::TrimBlanks(CleanPhrase(piece));
        if (keeps(phrase, rule))
            result.Add(phrase);
    }
    return result;
}

QString MetaKeywords::GetMetaKeywordsText(const QString& page)
{
    const QLatin1String meta("<meta");
    QString text;
    qsizetype pos = page.indexOf(meta, 0, Qt::CaseInsensitive);
    while (pos >= 0) {
        // No ">" after this "<meta" is none after any later one either.
        const qsizetype end = page.indexOf(QLatin1Char('>'), pos);
        if (end < 0)
            break;
        const QString tag = page.mid(pos, end - pos + 1);
        if (tag.contains(QLatin1String("keywords"), Qt::CaseInsensitive))
            text += GetMetaContent(tag) + QLatin1Char(',');
        pos = page.indexOf(meta, end + 1, Qt::CaseInsensitive);
    }
    return text;
}

QString MetaKeywords::GetMetaContent(const QString& tag)
{
    const qsizetype first = tag.indexOf(QLatin1Char('='));
    if (first < 0)
        return {};
    const qsizetype second = tag.indexOf(QLatin1Char('='), first + 1);
    if (second < 0)
        return {};
    QString value = MParser::TrimBlanks(tag.mid(second + 1));
    // A quote left open runs on into the next tag, which is no content.
    const qsizetype markup = markupStart(value);
    if (markup >= 0)
        value = MParser::TrimBlanks(value.left(markup));
    value = dropLeading(value, QLatin1Char('"'));
    value = dropLeading(value, QLatin1Char('\''));
    value = dropTrailing(value, QLatin1Char('>'));
    value = dropTrailing(value, QLatin1Char('"'));
    value = dropTrailing(value, QLatin1Char('\''));
    return value;
}

QString MetaKeywords::CleanPhrase(const QString& text)
{
    // Line breaks become blanks, and each run of blanks one blank, in one pass.
    QString phrase;
    phrase.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
        if (c != QLatin1Char(' ') || !phrase.endsWith(QLatin1Char(' ')))
            phrase.append(c);
    }
    phrase = MParser::TrimBlanks(phrase);
    QString kept;
    kept.reserve(phrase.size());
    // Every character beyond ASCII has a code above "0" in a single-byte code page.
    for (const QChar c : phrase) {
        if (c == QLatin1Char(' ') || c.unicode() >= u'0')
            kept.append(c);
    }
    return kept;
}

} // namespace zentrel
