#include "app/shell/SetupLines.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <thread>

#include <QString>

#include "engine/database/MParser.h"

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

// The first 8 bytes of a sort key, big-endian: they decide most comparisons without touching
// the key itself.
quint64 prefixOf(std::string_view key)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

// A row's texts lie one after the other in its piece's text: the keyword as the cache stores
// it, then its sort key when that differs (the keyword case-folded, beyond ASCII).
struct Row {
    quint64 prefix = 0;
    size_t offset = 0;
    quint32 keyLength = 0;
    quint32 sortKeyLength = 0; // 0: the keyword is its own sort key
    int count = 0;
};

// Parses the lines of one piece into a text of its own, with no allocation per line.
class PieceParser {
public:
    std::string text;
    std::vector<Row> rows;
    int skipped = 0;

    void parse(QByteArrayView data)
    {
        text.reserve(static_cast<size_t>(data.size()));
        for (qsizetype from = 0; from < data.size();) {
            qsizetype end = data.indexOf('\n', from);
            end = end < 0 ? data.size() : end + 1;
            if (!parseLine(data.sliced(from, end - from)))
                ++skipped;
            from = end;
        }
    }

private:
    bool parseLine(QByteArrayView raw)
    {
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        const qsizetype tab = raw.indexOf('\t');
        if (tab < 0)
            return false;
        qsizetype end = raw.indexOf('\t', tab + 1);
        if (end < 0)
            end = raw.size();
        Row row;
        if (!parseCount(raw.first(tab), row.count))
            return false;
        row.offset = text.size();
        const QByteArrayView keyword = raw.sliced(tab + 1, end - tab - 1);
        if (isAscii(keyword))
            appendNormalizedAscii(trimmedAscii(keyword));
        else
            appendNormalized(keyword, row);
        row.keyLength = static_cast<quint32>(text.size() - row.offset - row.sortKeyLength);
        if (row.keyLength == 0) {
            text.resize(row.offset);
            return false;
        }
        const size_t sortKey = row.offset + (row.sortKeyLength == 0 ? 0 : row.keyLength);
        row.prefix = prefixOf(std::string_view(text).substr(sortKey));
        rows.push_back(row);
        return true;
    }

    // The normalised form of a trimmed ASCII keyword, as MParser::NormalizeKW makes it of the
    // lower-cased text, without going through QString: a byte-wise sort of ASCII words is the
    // same as the ordinal sort of their UTF-16 forms.
    void appendNormalizedAscii(QByteArrayView keyword)
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
        const size_t start = text.size();
        for (const std::string_view word : m_words) {
            if (text.size() > start)
                text += ' ';
            text += word;
        }
    }

    void appendNormalized(QByteArrayView keyword, Row& row)
    {
        const QString kw = zentrel::MParser::NormalizeKW(
            zentrel::MParser::LowerCase(QString::fromUtf8(keyword).trimmed()));
        const QByteArray utf8 = kw.toUtf8();
        text.append(utf8.constData(), static_cast<size_t>(utf8.size()));
        // Byte order of the folded keys is the order of the cache's case-blind key.
        if (!utf8.isEmpty() && !isAscii(utf8)) {
            const QByteArray folded = kw.toCaseFolded().toUtf8();
            text.append(folded.constData(), static_cast<size_t>(folded.size()));
            row.sortKeyLength = static_cast<quint32>(folded.size());
        }
    }

    std::string m_lower;
    std::vector<std::string_view> m_words;
};

} // namespace

// One piece's rows in key order, their texts laid out in that order, so that the store reads
// memory from front to back.
struct SetupLines::Run {
    std::string text;
    std::vector<Row> rows;

    std::string_view keyword(const Row& row) const
    {
        return std::string_view(text).substr(row.offset, row.keyLength);
    }
    std::string_view sortKey(const Row& row) const
    {
        return row.sortKeyLength == 0
                   ? keyword(row)
                   : std::string_view(text).substr(row.offset + row.keyLength, row.sortKeyLength);
    }
};

namespace {

// Sorts a parsed piece (equal keys in file order) and copies its texts in that order.
void sortInto(const PieceParser& piece, SetupLines::Run& run)
{
    struct Order {
        quint64 prefix;
        quint32 index;
    };
    const auto sortKey = [&](quint32 index) {
        const Row& row = piece.rows[index];
        return std::string_view(piece.text)
            .substr(row.offset + (row.sortKeyLength == 0 ? 0 : row.keyLength),
                    row.sortKeyLength == 0 ? row.keyLength : row.sortKeyLength);
    };
    std::vector<Order> order(piece.rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = {piece.rows[i].prefix, static_cast<quint32>(i)};
    std::sort(order.begin(), order.end(), [&](const Order& a, const Order& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int c = sortKey(a.index).compare(sortKey(b.index));
        return c != 0 ? c < 0 : a.index < b.index;
    });
    run.text.reserve(piece.text.size());
    run.rows.reserve(order.size());
    for (const Order& o : order) {
        Row row = piece.rows[o.index];
        const size_t length = row.keyLength + row.sortKeyLength;
        const size_t offset = row.offset;
        row.offset = run.text.size();
        run.text.append(piece.text, offset, length);
        run.rows.push_back(row);
    }
}

} // namespace

SetupLines::SetupLines(const QByteArray& text)
{
    const auto threads =
        static_cast<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<qsizetype> bounds{0};
    for (size_t t = 1; t < threads; ++t) {
        const qsizetype at = text.indexOf('\n', text.size() * static_cast<qsizetype>(t) /
                                                    static_cast<qsizetype>(threads));
        bounds.push_back(at < 0 ? text.size() : std::max(bounds.back(), at + 1));
    }
    bounds.push_back(text.size());
    m_runs.resize(threads);
    std::vector<int> skipped(threads);
    {
        std::vector<std::jthread> workers;
        for (size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                PieceParser piece;
                piece.parse(QByteArrayView(text).sliced(bounds[t], bounds[t + 1] - bounds[t]));
                skipped[t] = piece.skipped;
                sortInto(piece, m_runs[t]);
            });
        }
    }
    for (const int n : skipped)
        m_skipped += n;
}

SetupLines::~SetupLines() = default;

size_t SetupLines::size() const
{
    size_t rows = 0;
    for (const Run& run : m_runs)
        rows += run.rows.size();
    return rows;
}

void SetupLines::forEachInKeyOrder(
    const std::function<void(QByteArrayView keyword, int count)>& store) const
{
    // Merges the runs: the next row is the least head; on equal keys the earlier piece's.
    std::vector<size_t> next(m_runs.size(), 0);
    for (;;) {
        const Run* least = nullptr;
        size_t leastRun = 0;
        for (size_t r = 0; r < m_runs.size(); ++r) {
            if (next[r] == m_runs[r].rows.size())
                continue;
            const Run& run = m_runs[r];
            const Row& row = run.rows[next[r]];
            if (least) {
                const Row& best = least->rows[next[leastRun]];
                if (row.prefix > best.prefix ||
                    (row.prefix == best.prefix && run.sortKey(row) >= least->sortKey(best)))
                    continue;
            }
            least = &run;
            leastRun = r;
        }
        if (!least)
            return;
        const Row& row = least->rows[next[leastRun]++];
        const std::string_view keyword = least->keyword(row);
        store(QByteArrayView(keyword.data(), static_cast<qsizetype>(keyword.size())), row.count);
    }
}
