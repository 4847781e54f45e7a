#include "app/shell/MInstall.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include <QFile>
#include <QStringList>

#include "app/shell/MSettings.h"
#include "engine/database/CacheIndex.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CLog.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

struct Line {
    QByteArray utf8;   // the cache's key
    QByteArray folded; // the key case-folded, when it is not plain ASCII (which is lower case)
    qint64 count = 0;

    std::string_view sortKey() const
    {
        const QByteArray& key = folded.isEmpty() ? utf8 : folded;
        return std::string_view(key.constData(), static_cast<size_t>(key.size()));
    }
};

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

// The normalised form of a trimmed ASCII keyword, as MParser::NormalizeKW makes it of the
// lower-cased text, without going through QString: a byte-wise sort of ASCII words is the
// same as the ordinal sort of their UTF-16 forms.
QByteArray normalizedAscii(QByteArrayView keyword)
{
    std::vector<QByteArrayView> words;
    QByteArray lower(keyword.data(), keyword.size());
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '-' || c == '~')
            c = ' ';
    }
    const QByteArrayView text(lower);
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf(' ', from);
        if (to < 0)
            to = text.size();
        if (to > from)
            words.push_back(text.sliced(from, to - from));
        from = to + 1;
    }
    std::sort(words.begin(), words.end());
    QByteArray normalized;
    normalized.reserve(lower.size());
    for (const QByteArrayView word : words) {
        if (!normalized.isEmpty())
            normalized += ' ';
        normalized += word;
    }
    return normalized;
}

// The count field as QString::toLongLong reads it once trimmed; plain digits without a
// detour through QString.
bool parseCount(QByteArrayView field, qint64& count)
{
    const QByteArrayView digits = trimmedAscii(field);
    const bool plain =
        !digits.isEmpty() && digits.size() <= 18 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    bool ok = plain;
    if (plain)
        std::from_chars(digits.data(), digits.data() + digits.size(), count);
    else
        count = QString::fromUtf8(field).trimmed().toLongLong(&ok);
    return ok && count >= INT32_MIN && count <= INT32_MAX;
}

// A line's keyword (trimmed, lower-cased, in the cache's normalised form) and whole count.
bool parseLine(QByteArrayView raw, Line& line)
{
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    const qsizetype tab = raw.indexOf('\t');
    if (tab < 0)
        return false;
    qsizetype end = raw.indexOf('\t', tab + 1);
    if (end < 0)
        end = raw.size();
    if (!parseCount(raw.first(tab), line.count))
        return false;
    const QByteArrayView keyword = raw.sliced(tab + 1, end - tab - 1);
    if (isAscii(keyword)) {
        line.utf8 = normalizedAscii(trimmedAscii(keyword));
        return !line.utf8.isEmpty();
    }
    const QString kw = zentrel::MParser::NormalizeKW(
        zentrel::MParser::LowerCase(QString::fromUtf8(keyword).trimmed()));
    line.utf8 = kw.toUtf8();
    // Byte order of the folded keys is the order of the cache's case-blind key.
    if (!isAscii(line.utf8))
        line.folded = kw.toCaseFolded().toUtf8();
    return !kw.isEmpty();
}

// The usable lines of one piece of the file, in file order.
struct Piece {
    std::vector<Line> lines;
    int skipped = 0;
};

Piece parsePiece(const QByteArray& data, qsizetype from, qsizetype to)
{
    Piece piece;
    while (from < to) {
        qsizetype end = data.indexOf('\n', from);
        end = (end < 0 || end >= to) ? to : end + 1;
        Line line;
        if (parseLine(QByteArrayView(data).sliced(from, end - from), line))
            piece.lines.push_back(std::move(line));
        else
            ++piece.skipped;
        from = end;
    }
    return piece;
}

// A line's place in the key order: the first 8 bytes of its sort key, big-endian, decide most
// comparisons without touching the key itself.
struct Order {
    quint64 prefix = 0;
    quint32 piece = 0;
    quint32 index = 0;
};

quint64 prefixOf(std::string_view key)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

// Every line of the file, parsed on a few threads, in the cache's key order; equal keys keep
// their file order, so the first of them is stored and the others skipped, as in file order.
// Rows in key order fill the table's pages one after the other.
class SortedLines {
public:
    explicit SortedLines(const QByteArray& data)
    {
        const auto threads =
            static_cast<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        std::vector<qsizetype> bounds{0};
        for (size_t t = 1; t < threads; ++t) {
            const qsizetype at = data.indexOf('\n', data.size() * static_cast<qsizetype>(t) /
                                                        static_cast<qsizetype>(threads));
            bounds.push_back(at < 0 ? data.size() : std::max(bounds.back(), at + 1));
        }
        bounds.push_back(data.size());
        m_pieces.resize(threads);
        std::vector<std::vector<Order>> orders(threads);
        {
            std::vector<std::thread> workers;
            for (size_t t = 0; t < threads; ++t) {
                workers.emplace_back([&, t] {
                    m_pieces[t] = parsePiece(data, bounds[t], bounds[t + 1]);
                    orders[t] = sorted(t);
                });
            }
            for (auto& worker : workers)
                worker.join();
        }
        for (size_t t = 0; t < threads; ++t) {
            m_skipped += m_pieces[t].skipped;
            const auto middle = static_cast<std::ptrdiff_t>(m_order.size());
            m_order.insert(m_order.end(), orders[t].begin(), orders[t].end());
            std::inplace_merge(m_order.begin(), m_order.begin() + middle, m_order.end(),
                               [this](const Order& a, const Order& b) { return less(a, b); });
        }
    }

    int skipped() const { return m_skipped; }
    size_t size() const { return m_order.size(); }
    const Line& operator[](size_t i) const
    {
        return m_pieces[m_order[i].piece].lines[m_order[i].index];
    }

private:
    const Line& line(const Order& order) const { return m_pieces[order.piece].lines[order.index]; }
    bool less(const Order& a, const Order& b) const
    {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int c = line(a).sortKey().compare(line(b).sortKey());
        if (c != 0)
            return c < 0;
        return std::tie(a.piece, a.index) < std::tie(b.piece, b.index);
    }
    std::vector<Order> sorted(size_t piece) const
    {
        const auto& lines = m_pieces[piece].lines;
        std::vector<Order> order(lines.size());
        for (size_t i = 0; i < lines.size(); ++i)
            order[i] = {prefixOf(lines[i].sortKey()), static_cast<quint32>(piece),
                        static_cast<quint32>(i)};
        std::sort(order.begin(), order.end(),
                  [this](const Order& a, const Order& b) { return less(a, b); });
        return order;
    }

    std::vector<Piece> m_pieces;
    std::vector<Order> m_order;
    int m_skipped = 0;
};

} // namespace

QString MInstall::setupFile()
{
    return zentrel::Folders::dataPath(QStringLiteral("SetupKWs.txt"));
}

MInstall::Result MInstall::SeedCache(const QString& cacheFile, const QString& setupFile)
{
    QFile setup(setupFile);
    if (!setup.open(QIODevice::ReadOnly))
        throw zentrel::ZError(0x800A0035u, setup.errorString(), QStringLiteral("MInstall"));
    Result result;
    const SortedLines lines(setup.readAll());
    result.skipped = lines.skipped();

    const auto connection = zentrel::SqlConnection::open(QStringLiteral(":memory:"));
    connection->attach(cacheFile, QStringLiteral("cache"));
    const zentrel::SqlDatabase cache(connection, QStringLiteral("cache"), cacheFile);
    // The whole table fits in the page cache: no page is written twice.
    connection->exec(QStringLiteral("PRAGMA cache.cache_size = -262144"));
    const double now = zentrel::SqlDate::now();
    zentrel::SqlTransaction transaction(*connection);
    // The keyword index is built again after the load, in one pass.
    zentrel::CacheIndex::drop(cache);
    auto insert = connection->prepare(
        QStringLiteral("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)"));
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        try {
            // Every binding is set again, and execute() leaves the statement reset.
            insert.bindText(1, line.utf8).bindInt64(2, line.count).bindDouble(3, now).execute();
            ++result.stored;
        } catch (const zentrel::ZError&) {
            ++result.skipped;
        }
    }
    transaction.commit();
    result.committed = true;
    return result;
}

void MInstall::BuildIndex(const QString& cacheFile, const std::shared_ptr<zentrel::CLog>& log)
{
    const auto connection = zentrel::SqlConnection::open(QStringLiteral(":memory:"));
    connection->attach(cacheFile, QStringLiteral("cache"));
    connection->exec(QStringLiteral("PRAGMA cache.cache_size = -262144"));
    zentrel::CacheIndex::ensure(
        zentrel::SqlDatabase(connection, QStringLiteral("cache"), cacheFile),
        [&](const QString& text) {
            if (log)
                log->Write(0, text, 5, QStringLiteral("Main.MMain"));
        });
}

void MInstall::Run(const std::shared_ptr<zentrel::CLog>& log)
{
    QString cacheFile = MSettings::cache().value_or(QString());
    if (cacheFile.isEmpty()) {
        zentrel::CFileUtilities::CreateFolder(MSettings::projectFolder());
        cacheFile = MSettings::defaultCacheFile();
    }
    {
        // The engine makes the cache file from its template when it is missing.
        zentrel::Scripting engine;
        engine.Init(log);
        try {
            engine.DBaser()->OpenCacheDB(cacheFile);
        } catch (...) {
            engine.Shutdown();
            throw;
        }
        engine.Shutdown();
    }
    if (!QFile::exists(setupFile()))
        return;
    const Result result = SeedCache(cacheFile, setupFile());
    if (result.committed)
        QFile::remove(setupFile());
    try {
        BuildIndex(cacheFile, log);
    } catch (const zentrel::ZError&) {
        // The engine builds the index at the cache's next open.
    }
}
