#include "app/shell/SetupLines.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

using Row = SetupLineParser::Row;

constexpr size_t kRanges = 32;
constexpr size_t kSampleLines = 4096;

size_t threadCount()
{
    return static_cast<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

// The pieces' bounds: equal parts of the text, each ending after a line's end.
std::vector<qsizetype> pieceBounds(QByteArrayView text, size_t pieces)
{
    std::vector<qsizetype> bounds{0};
    for (size_t t = 1; t < pieces; ++t) {
        const qsizetype at = text.indexOf('\n', text.size() * static_cast<qsizetype>(t) /
                                                    static_cast<qsizetype>(pieces));
        bounds.push_back(at < 0 ? text.size() : std::max(bounds.back(), at + 1));
    }
    bounds.push_back(text.size());
    return bounds;
}

// Prefixes that split the keys of lines spread evenly over the text into ranges of about
// the same number of rows; equal prefixes always fall into one range.
std::vector<quint64> splittersOf(QByteArrayView text)
{
    SetupLineParser sample;
    const qsizetype step = std::max<qsizetype>(1, text.size() / qsizetype(kSampleLines));
    for (qsizetype at = 0; at < text.size(); at += step) {
        const qsizetype start = at == 0 ? 0 : text.indexOf('\n', at - 1) + 1;
        if (start <= 0 && at != 0)
            break;
        const qsizetype end = text.indexOf('\n', start);
        sample.parseLine(text.sliced(start, (end < 0 ? text.size() : end) - start));
    }
    std::vector<quint64> prefixes;
    for (const Row& row : sample.rows())
        prefixes.push_back(row.prefix);
    std::sort(prefixes.begin(), prefixes.end());
    std::vector<quint64> splitters;
    for (size_t r = 1; r < kRanges && !prefixes.empty(); ++r) {
        const quint64 splitter = prefixes[r * prefixes.size() / kRanges];
        if (splitters.empty() || splitter > splitters.back())
            splitters.push_back(splitter);
    }
    return splitters;
}

// One range's rows in key order, their texts laid out in that order, so that the store reads
// memory from front to back.
struct Run {
    std::string text;
    std::vector<Row> rows;
};

Run sortedRange(const std::vector<SetupLineParser>& pieces,
                const std::vector<std::vector<std::vector<quint32>>>& ranges, size_t range)
{
    struct Ref {
        quint64 prefix;
        quint32 piece;
        quint32 index;
    };
    std::vector<Ref> refs;
    size_t bytes = 0;
    for (size_t p = 0; p < pieces.size(); ++p) {
        for (const quint32 index : ranges[p][range]) {
            const Row& row = pieces[p].rows()[index];
            refs.push_back({row.prefix, static_cast<quint32>(p), index});
            bytes += row.keyLength + row.sortKeyLength;
        }
    }
    const auto sortKey = [&](const Ref& ref) {
        return pieces[ref.piece].sortKey(pieces[ref.piece].rows()[ref.index]);
    };
    // Equal keys in file order: by piece, then by line.
    std::sort(refs.begin(), refs.end(), [&](const Ref& a, const Ref& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int c = sortKey(a).compare(sortKey(b));
        if (c != 0)
            return c < 0;
        return a.piece != b.piece ? a.piece < b.piece : a.index < b.index;
    });
    Run run;
    run.text.reserve(bytes);
    run.rows.reserve(refs.size());
    for (const Ref& ref : refs) {
        const SetupLineParser& piece = pieces[ref.piece];
        Row row = piece.rows()[ref.index];
        const size_t from = row.offset;
        row.offset = run.text.size();
        run.text.append(piece.text(), from, row.keyLength + row.sortKeyLength);
        run.rows.push_back(row);
    }
    return run;
}

// Sorted ranges, handed from the sorting threads to the storing one in key order.
class RunQueue {
public:
    explicit RunQueue(size_t runs)
        : m_runs(runs)
    {
    }
    void put(size_t index, Run run)
    {
        {
            const std::lock_guard guard(m_mutex);
            m_runs[index] = std::move(run);
        }
        m_ready.notify_all();
    }
    Run take(size_t index)
    {
        std::unique_lock guard(m_mutex);
        m_ready.wait(guard, [&] { return m_runs[index].has_value(); });
        Run run = std::move(*m_runs[index]);
        m_runs[index].reset();
        return run;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::optional<Run>> m_runs;
};

} // namespace

SetupLines::SetupLines(const QByteArray& text)
    : m_splitters(splittersOf(text))
{
    const size_t threads = threadCount();
    const std::vector<qsizetype> bounds = pieceBounds(text, threads);
    m_pieces.resize(threads);
    m_ranges.assign(threads, std::vector<std::vector<quint32>>(m_splitters.size() + 1));
    {
        std::vector<std::jthread> workers;
        for (size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                SetupLineParser& piece = m_pieces[t];
                piece.parse(QByteArrayView(text).sliced(bounds[t], bounds[t + 1] - bounds[t]));
                for (size_t i = 0; i < piece.rows().size(); ++i)
                    m_ranges[t][rangeOf(piece.rows()[i].prefix)].push_back(static_cast<quint32>(i));
            });
        }
    }
    for (const SetupLineParser& piece : m_pieces)
        m_skipped += piece.skipped();
}

size_t SetupLines::rangeOf(quint64 prefix) const
{
    return static_cast<size_t>(std::upper_bound(m_splitters.begin(), m_splitters.end(), prefix) -
                               m_splitters.begin());
}

void SetupLines::forEachInKeyOrder(
    const std::function<void(QByteArrayView keyword, int count)>& store) const
{
    const size_t ranges = m_splitters.size() + 1;
    RunQueue queue(ranges);
    std::atomic<size_t> nextRange{0};
    // The sorters leave a core to the storing thread, and stop after their current range when
    // store raises.
    const size_t sorterCount = std::min(std::max<size_t>(1, threadCount() - 1), ranges);
    std::vector<std::jthread> sorters;
    for (size_t t = 0; t < sorterCount; ++t) {
        sorters.emplace_back([&](std::stop_token stop) {
            for (size_t range = nextRange++; range < ranges && !stop.stop_requested();
                 range = nextRange++)
                queue.put(range, sortedRange(m_pieces, m_ranges, range));
        });
    }
    for (size_t range = 0; range < ranges; ++range) {
        const Run run = queue.take(range);
        for (const Row& row : run.rows)
            store(QByteArrayView(run.text.data() + row.offset, row.keyLength), row.count);
    }
}
