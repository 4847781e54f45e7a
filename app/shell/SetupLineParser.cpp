#include "app/shell/SetupLineParser.h"

#include <algorithm>
#include <charconv>

#include <QString>

#include "engine/database/MParser.h"

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// ASCII without control characters: nothing for MParser::StripInvisible to change.
bool isPrintableAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

QByteArrayView trimmedAscii(QByteArrayView text)
{
    while (!text.isEmpty() && isAsciiSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isAsciiSpace(text.back()))
        text.chop(1);
    return text;
}

// The count field as QString::toLongLong reads it once trimmed; plain digits without a
// detour through QString.
bool parseCount(QByteArrayView field, int& count)
{
    const QByteArrayView digits = trimmedAscii(field);
    const bool plain =
        !digits.isEmpty() && digits.size() <= 18 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    bool ok = plain;
    qint64 value = 0;
    if (plain)
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
    else
        value = QString::fromUtf8(field).trimmed().toLongLong(&ok);
    if (!ok || value < INT32_MIN || value > INT32_MAX)
        return false;
    count = static_cast<int>(value);
    return true;
}

} // namespace

void SetupLineParser::parse(QByteArrayView data)
{
    m_text.reserve(m_text.size() + static_cast<size_t>(data.size()));
    for (qsizetype from = 0; from < data.size();) {
        qsizetype end = data.indexOf('\n', from);
        end = end < 0 ? data.size() : end + 1;
        if (!parseLine(data.sliced(from, end - from)))
            ++m_skipped;
        from = end;
    }
}

bool SetupLineParser::parseLine(QByteArrayView line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0)
        return false;
    qsizetype end = line.indexOf('\t', tab + 1);
    if (end < 0)
        end = line.size();
    Row row;
    if (!parseCount(line.first(tab), row.count))
        return false;
    row.offset = m_text.size();
    const QByteArrayView keyword = line.sliced(tab + 1, end - tab - 1);
    if (const QByteArrayView trimmed = trimmedAscii(keyword); isPrintableAscii(trimmed))
        appendNormalizedAscii(trimmed);
    else
        appendNormalized(keyword, row);
    row.keyLength = static_cast<quint32>(m_text.size() - row.offset - row.sortKeyLength);
    if (row.keyLength == 0) {
        m_text.resize(row.offset);
        return false;
    }
    row.prefix = prefixOf(sortKey(row));
    m_rows.push_back(row);
    return true;
}

std::string_view SetupLineParser::keyword(const Row& row) const
{
    return std::string_view(m_text).substr(row.offset, row.keyLength);
}

std::string_view SetupLineParser::sortKey(const Row& row) const
{
    return row.sortKeyLength == 0
               ? keyword(row)
               : std::string_view(m_text).substr(row.offset + row.keyLength, row.sortKeyLength);
}

quint64 SetupLineParser::prefixOf(std::string_view sortKey)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < sortKey.size() ? static_cast<unsigned char>(sortKey[i]) : 0u);
    return prefix;
}

// The normalised form of a trimmed ASCII keyword, as MParser::NormalizeKW makes it of the
// lower-cased text, without going through QString: a byte-wise sort of ASCII words is the
// same as the ordinal sort of their UTF-16 forms.
void SetupLineParser::appendNormalizedAscii(QByteArrayView keyword)
{
    m_lower.assign(keyword.data(), static_cast<size_t>(keyword.size()));
    for (char& c : m_lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '-' || c == '~')
            c = ' ';
    }
    m_words.clear();
    const std::string_view lower(m_lower);
    for (size_t from = 0; from < lower.size();) {
        size_t to = lower.find(' ', from);
        if (to == std::string_view::npos)
            to = lower.size();
        if (to > from)
            m_words.push_back(lower.substr(from, to - from));
        from = to + 1;
    }
    std::sort(m_words.begin(), m_words.end());
    const size_t start = m_text.size();
    for (const std::string_view word : m_words) {
        if (m_text.size() > start)
            m_text += ' ';
        m_text += word;
    }
}

void SetupLineParser::appendNormalized(QByteArrayView keyword, Row& row)
{
    const QString kw = zentrel::MParser::NormalizeKW(zentrel::MParser::LowerCase(
        zentrel::MParser::StripInvisible(QString::fromUtf8(keyword)).trimmed()));
    const QByteArray utf8 = kw.toUtf8();
    m_text.append(utf8.constData(), static_cast<size_t>(utf8.size()));
    if (!utf8.isEmpty() && !isAscii(utf8)) {
        const QByteArray folded = kw.toCaseFolded().toUtf8();
        m_text.append(folded.constData(), static_cast<size_t>(folded.size()));
        row.sortKeyLength = static_cast<quint32>(folded.size());
    }
}
