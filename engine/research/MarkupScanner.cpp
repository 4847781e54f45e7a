#include "engine/research/MarkupScanner.h"

namespace zentrel {

namespace {
// Carriage returns count: the HTML tokenizer reads them as line feeds.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

QByteArray lowered(QByteArrayView text)
{
    QByteArray result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = lower(text.at(i));
    return result;
}

bool endsName(char c)
{
    return isSpace(c) || c == '/' || c == '>';
}
} // namespace

MarkupScanner::MarkupScanner(QByteArrayView markup)
    : m_markup(markup)
{
}

const MarkupScanner::Token& MarkupScanner::next()
{
    m_token.name.clear();
    m_token.selfClosing = false;
    m_token.attributes.clear();
    m_token.begin = m_pos;
    if (atEnd(m_pos)) {
        setToken(Kind::End, m_pos);
        return m_token;
    }
    const bool afterRawText = m_rawText;
    if (m_rawText) {
        m_rawText = false;
        const qsizetype end = m_rawTextToEnd ? m_markup.size() : rawTextEnd();
        if (end > m_pos) {
            m_rawTextEnded = !m_rawTextToEnd;
            setToken(Kind::Text, end);
            return m_token;
        }
    }
    if (at(m_pos) == '<')
        readMarkup();
    else
        readText();
    // The end tag that ends raw text closes what its start tag opened: nothing to follow.
    if ((afterRawText || m_rawTextEnded) && m_token.kind == Kind::EndTag)
        m_token.kind = Kind::Other;
    m_rawTextEnded = false;
    return m_token;
}

void MarkupScanner::readRawText(const QByteArray& name, bool toEnd)
{
    m_rawText = true;
    m_rawTextToEnd = toEnd;
    m_rawTextName = name;
}

QByteArray MarkupScanner::attributeValue(const Token& tag, QByteArrayView name)
{
    for (const Attribute& attribute : tag.attributes) {
        if (lowered(attribute.name) == name)
            return lowered(attribute.value);
    }
    return {};
}

bool MarkupScanner::startsWithAt(qsizetype pos, QByteArrayView text) const
{
    if (pos + text.size() > m_markup.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (lower(at(pos + i)) != text.at(i))
            return false;
    }
    return true;
}

qsizetype MarkupScanner::find(QByteArrayView text, qsizetype from) const
{
    return m_markup.indexOf(text, from);
}

void MarkupScanner::setToken(Kind kind, qsizetype end)
{
    m_token.kind = kind;
    m_token.end = end;
    m_pos = end;
}

void MarkupScanner::readText()
{
    const qsizetype end = m_markup.indexOf('<', m_pos);
    setToken(Kind::Text, end < 0 ? m_markup.size() : end);
}

// At a "<": a tag, a comment or declaration, or a plain "<" of the text.
void MarkupScanner::readMarkup()
{
    const qsizetype after = m_pos + 1;
    if (atEnd(after)) {
        setToken(Kind::Text, after);
    } else if (isLetter(at(after))) {
        readTag(Kind::StartTag, after);
    } else if (at(after) == '/') {
        const qsizetype name = after + 1;
        if (atEnd(name))
            setToken(Kind::Text, name);
        else if (isLetter(at(name)))
            readTag(Kind::EndTag, name);
        else if (at(name) == '>')
            setToken(Kind::Other, name + 1);
        else
            readUpTo('>', name);
    } else if (at(after) == '!') {
        readDeclaration();
    } else if (at(after) == '?') {
        readUpTo('>', after);
    } else {
        setToken(Kind::Text, after);
    }
}

// A doctype, or a CDATA section outside SVG and MathML, which HTML reads as a bogus comment,
// ends at the first ">".
void MarkupScanner::readDeclaration()
{
    if (startsWithAt(m_pos, "<!--")) {
        readComment();
    } else if (m_cdata && m_markup.sliced(m_pos).startsWith("<![CDATA[")) {
        const qsizetype end = find("]]>", m_pos + 9);
        setToken(Kind::CData, end < 0 ? m_markup.size() : end + 3);
    } else {
        readUpTo('>', m_pos + 2);
    }
}

void MarkupScanner::readComment()
{
    const qsizetype body = m_pos + 4;
    if (startsWithAt(body, ">")) {
        setToken(Kind::Other, body + 1);
        return;
    }
    if (startsWithAt(body, "->")) {
        setToken(Kind::Other, body + 2);
        return;
    }
    qsizetype pos = body;
    for (;;) {
        const qsizetype dashes = find("--", pos);
        if (dashes < 0) {
            setToken(Kind::Other, m_markup.size());
            return;
        }
        pos = dashes + 2;
        while (!atEnd(pos) && at(pos) == '-')
            ++pos;
        if (startsWithAt(pos, ">")) {
            setToken(Kind::Other, pos + 1);
            return;
        }
        if (startsWithAt(pos, "!>")) {
            setToken(Kind::Other, pos + 2);
            return;
        }
    }
}

void MarkupScanner::readUpTo(char c, qsizetype from)
{
    const qsizetype end = m_markup.indexOf(c, from);
    setToken(Kind::Other, end < 0 ? m_markup.size() : end + 1);
}

void MarkupScanner::readTag(Kind kind, qsizetype nameStart)
{
    qsizetype pos = nameStart;
    while (!atEnd(pos) && !endsName(at(pos)))
        ++pos;
    m_token.name = lowered(m_markup.sliced(nameStart, pos - nameStart));
    if (readAttributes(pos)) {
        setToken(kind, pos);
        return;
    }
    // The markup ends inside the tag, which is then no tag at all.
    m_token.name.clear();
    m_token.attributes.clear();
    m_token.selfClosing = false;
    setToken(Kind::Other, m_markup.size());
}

// Reads the attributes from `pos` to the tag's ">", past which `pos` then stands; false when
// the markup ends first. An attribute's name ends at a blank, "/", ">" or "=", an unquoted value
// at a blank or ">".
bool MarkupScanner::readAttributes(qsizetype& pos)
{
    auto skipSpace = [this, &pos] {
        while (!atEnd(pos) && isSpace(at(pos)))
            ++pos;
    };
    for (;;) {
        skipSpace();
        if (atEnd(pos))
            return false;
        if (at(pos) == '>') {
            ++pos;
            return true;
        }
        if (at(pos) == '/') {
            ++pos;
            if (atEnd(pos))
                return false;
            if (at(pos) == '>') {
                m_token.selfClosing = true;
                ++pos;
                return true;
            }
            continue;
        }
        const qsizetype nameStart = pos++; // the first character is the name's, even "="
        while (!atEnd(pos) && !endsName(at(pos)) && at(pos) != '=')
            ++pos;
        Attribute attribute{m_markup.sliced(nameStart, pos - nameStart), {}};
        skipSpace();
        if (!atEnd(pos) && at(pos) == '=') {
            ++pos;
            skipSpace();
            if (atEnd(pos))
                return false;
            const char quote = at(pos);
            if (quote == '"' || quote == '\'') {
                const qsizetype close = m_markup.indexOf(quote, pos + 1);
                if (close < 0)
                    return false;
                attribute.value = m_markup.sliced(pos + 1, close - pos - 1);
                pos = close + 1;
            } else if (quote != '>') {
                const qsizetype valueStart = pos;
                while (!atEnd(pos) && !isSpace(at(pos)) && at(pos) != '>')
                    ++pos;
                attribute.value = m_markup.sliced(valueStart, pos - valueStart);
            }
        }
        m_token.attributes.push_back(attribute);
    }
}

// Where the raw text ends: at the first end tag of its element's name.
qsizetype MarkupScanner::rawTextEnd() const
{
    qsizetype pos = m_pos;
    for (;;) {
        const qsizetype open = find("</", pos);
        if (open < 0)
            return m_markup.size();
        const qsizetype after = open + 2 + m_rawTextName.size();
        if (after < m_markup.size() && startsWithAt(open + 2, m_rawTextName) && endsName(at(after)))
            return open;
        pos = open + 2;
    }
}

} // namespace zentrel
