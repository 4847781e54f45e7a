#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArrayView>

// Parses the lines of a SetupKWs.txt (count, tab, keyword) into one text, with no allocation
// per line: each keyword trimmed, lower-cased and in the cache's normalised form, with its
// whole count; control, bidirectional and zero-width characters go as MParser::StripInvisible
// says. A line without a tab, a whole count or a keyword is skipped.
class SetupLineParser {
public:
    // A row's texts lie one after the other in the parser's text: the keyword as the cache
    // stores it, then its sort key when that differs (the keyword case-folded, beyond ASCII).
    // Byte order of the sort keys is the order of the cache's case-blind key.
    struct Row {
        quint64 prefix = 0; // the sort key's first 8 bytes, big-endian
        size_t offset = 0;
        quint32 keyLength = 0;
        quint32 sortKeyLength = 0; // 0: the keyword is its own sort key
        int count = 0;
    };

    // Parses every line of data.
    void parse(QByteArrayView data);
    // Parses one line (its end included or not); false when it is skipped.
    bool parseLine(QByteArrayView line);

    std::string_view keyword(const Row& row) const;
    std::string_view sortKey(const Row& row) const;
    const std::string& text() const { return m_text; }
    const std::vector<Row>& rows() const { return m_rows; }
    int skipped() const { return m_skipped; }

    static quint64 prefixOf(std::string_view sortKey);

private:
    void appendNormalizedAscii(QByteArrayView keyword);
    void appendNormalized(QByteArrayView keyword, Row& row);

    std::string m_text;
    std::vector<Row> m_rows;
    int m_skipped = 0;
    std::string m_lower;
    std::vector<std::string_view> m_words;
};
