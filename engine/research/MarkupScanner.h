#pragma once

#include <vector>

#include <QByteArray>
#include <QByteArrayView>

namespace zentrel {

// Splits HTML into the tokens an HTML tokenizer reads, each as a byte range of the markup: text,
// start and end tags (names in lower case, attributes as they stand), and everything else that
// is neither text nor a tag (comments, doctypes). A tag cut by the end of the markup is not a
// tag. Each call reads forward, so a whole scan is linear in the markup's size.
class MarkupScanner {
public:
    enum class Kind { Text, CData, StartTag, EndTag, Other, End };

    struct Attribute {
        QByteArrayView name;
        QByteArrayView value;
    };

    struct Token {
        Kind kind = Kind::End;
        qsizetype begin = 0;
        qsizetype end = 0;
        QByteArray name;
        bool selfClosing = false;
        std::vector<Attribute> attributes;
    };

    explicit MarkupScanner(QByteArrayView markup);

    const Token& next();

    // What follows the start tag just read is text up to the next end tag of that name (a
    // script's or a textarea's content), or with `toEnd` up to the end of the markup. That end
    // tag then comes as Other: it closes nothing else.
    void readRawText(const QByteArray& name, bool toEnd = false);

    // Whether a "<![CDATA[" starts a CDATA section, as in SVG or MathML, rather than a bogus
    // comment; its token then spans it to its "]]>", its text from `begin + 9`.
    void setCData(bool cdata) { m_cdata = cdata; }

    // The value of the attribute of that lower-case name, folded to lower case; empty when absent.
    static QByteArray attributeValue(const Token& tag, QByteArrayView name);

private:
    bool atEnd(qsizetype pos) const { return pos >= m_markup.size(); }
    char at(qsizetype pos) const { return m_markup.at(pos); }
    bool startsWithAt(qsizetype pos, QByteArrayView text) const;
    qsizetype find(QByteArrayView text, qsizetype from) const;

    void setToken(Kind kind, qsizetype end);
    void readText();
    void readMarkup();
    void readDeclaration();
    void readComment();
    void readUpTo(char c, qsizetype from);
    void readTag(Kind kind, qsizetype nameStart);
    bool readAttributes(qsizetype& pos);
    qsizetype rawTextEnd() const;

    QByteArrayView m_markup;
    qsizetype m_pos = 0;
    Token m_token;
    QByteArray m_rawTextName;
    bool m_rawText = false;
    bool m_rawTextToEnd = false;
    bool m_rawTextEnded = false; // the raw text was just read; its end tag comes next
    bool m_cdata = false;
};

} // namespace zentrel
