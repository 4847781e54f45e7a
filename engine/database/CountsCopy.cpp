#include "engine/database/CountsCopy.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QVariant>

#include "engine/database/LargeWriteCache.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlStatement.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

enum class Kind : quint8 { Null, Integer, Real, Other };

Kind kindOf(int type)
{
    switch (type) {
    case SQLITE_NULL:
        return Kind::Null;
    case SQLITE_INTEGER:
        return Kind::Integer;
    case SQLITE_FLOAT:
        return Kind::Real;
    default:
        return Kind::Other;
    }
}

// A number as a row holds it, read without a QVariant: an integer, a real's bits, or for a
// value of another kind its place among the values kept aside.
struct Number {
    qint64 bits = 0;
    Kind kind = Kind::Null;

    qint64 integer() const { return bits; }
    double real() const { return std::bit_cast<double>(bits); }

    static Number of(sqlite3_stmt* row, int column)
    {
        Number number;
        number.kind = kindOf(sqlite3_column_type(row, column));
        if (number.kind == Kind::Integer)
            number.bits = sqlite3_column_int64(row, column);
        else if (number.kind == Kind::Real)
            number.bits = std::bit_cast<qint64>(sqlite3_column_double(row, column));
        return number;
    }
};

// A keyword's two copies, kept small: a million of them are held at once.
struct KeywordCopy {
    qint64 searches = 0;
    double cacheDate = 0;
    Kind searchesKind = Kind::Null;
    Kind cacheDateKind = Kind::Null;

    // SQL's "IS NOT" against the cache's values. A value of another kind than the column's
    // counts as different, so that writing it converts or refuses it just as a plain UPDATE
    // would.
    bool differsFrom(const Number& count, const Number& dte) const
    {
        return differs(searchesKind, count.kind, Kind::Integer,
                       [&] { return searches != count.integer(); }) ||
               differs(cacheDateKind, dte.kind, Kind::Real,
                       [&] { return cacheDate != dte.real(); });
    }

    template <class Unequal>
    static bool differs(Kind copy, Kind source, Kind expected, Unequal unequal)
    {
        if (copy == Kind::Null || source == Kind::Null)
            return copy != source;
        return copy != expected || source != expected || unequal();
    }
};

// Every keyword's copies, by id, added in id order. Ids are mostly dense, so a keyword is found
// by its offset from the first id; when deletions left them sparse, by a binary search of the
// ids.
class KeywordCopies {
public:
    // A row of pkKeyword, Searches, CacheDate.
    void add(sqlite3_stmt* row)
    {
        m_ids.push_back(sqlite3_column_int64(row, 0));
        const Number searches = Number::of(row, 1);
        const Number cacheDate = Number::of(row, 2);
        m_copies.push_back({searches.integer(), cacheDate.real(), searches.kind, cacheDate.kind});
    }

    void finish()
    {
        if (!m_ids.empty())
            m_first = m_ids.front();
        if (!m_ids.empty() && m_ids.back() - m_first + 1 == static_cast<qint64>(m_ids.size()))
            std::vector<qint64>().swap(m_ids); // dense: the offset is enough
    }

    const KeywordCopy* find(qint64 keyword) const
    {
        qint64 at = keyword - m_first;
        if (!m_ids.empty()) {
            const auto it = std::lower_bound(m_ids.begin(), m_ids.end(), keyword);
            if (it == m_ids.end() || *it != keyword)
                return nullptr;
            at = it - m_ids.begin();
        }
        return at >= 0 && at < static_cast<qint64>(m_copies.size()) ? &m_copies[at] : nullptr;
    }

private:
    std::vector<KeywordCopy> m_copies;
    std::vector<qint64> m_ids; // empty when the ids are dense
    qint64 m_first = 0;
};

const char* const kCopiesById = "SELECT pkKeyword, Searches, CacheDate FROM %1.Keyword ORDER BY "
                                "pkKeyword";

KeywordCopies readCopies(const SqlDatabase& project)
{
    KeywordCopies copies;
    auto rows = project.query(QString::fromLatin1(kCopiesById).arg(project.schema()));
    while (rows.next())
        copies.add(rows.handle());
    copies.finish();
    return copies;
}

// Every keyword's copies read on a read-only connection of their own, on a thread of their own,
// while the shared connection walks the keys: SQLite serves one connection at a time, two
// connections read side by side. The reading connection's view of the file is fixed before
// started() answers.
class CopiesAside {
public:
    explicit CopiesAside(std::string file)
        : m_thread([this, file = std::move(file)] { run(file); })
    {
    }
    ~CopiesAside()
    {
        m_stop = true;
        m_thread.join();
    }
    CopiesAside(const CopiesAside&) = delete;
    CopiesAside& operator=(const CopiesAside&) = delete;

    // False when the file could not be read.
    bool started() { return m_startedFuture.get(); }
    // Nothing when a read failed.
    std::optional<KeywordCopies> take() { return m_copiesFuture.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };

    void run(const std::string& file)
    {
        bool announced = false;
        std::optional<KeywordCopies> copies;
        try {
            copies = read(file, announced);
        } catch (...) {
            copies.reset();
        }
        if (!announced)
            m_started.set_value(false);
        m_copies.set_value(std::move(copies));
    }

    std::optional<KeywordCopies> read(const std::string& file, bool& announced)
    {
        sqlite3* opened = nullptr;
        const int rc = sqlite3_open_v2(file.c_str(), &opened,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        const std::unique_ptr<sqlite3, Closer> db(opened);
        if (rc != SQLITE_OK)
            return std::nullopt;
        sqlite3_stmt* prepared = nullptr;
        if (sqlite3_prepare_v2(db.get(), QByteArray(kCopiesById).replace("%1", "main").constData(),
                               -1, &prepared, nullptr) != SQLITE_OK)
            return std::nullopt;
        const std::unique_ptr<sqlite3_stmt, Closer> rows(prepared);
        // The first step opens the read transaction, which fixes the view.
        int step = sqlite3_step(rows.get());
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            return std::nullopt;
        announced = true;
        m_started.set_value(true);
        KeywordCopies copies;
        for (; step == SQLITE_ROW && !m_stop; step = sqlite3_step(rows.get()))
            copies.add(rows.get());
        if (step != SQLITE_DONE)
            return std::nullopt;
        copies.finish();
        return copies;
    }

    std::atomic<bool> m_stop{false};
    std::promise<bool> m_started;
    std::future<bool> m_startedFuture = m_started.get_future();
    std::promise<std::optional<KeywordCopies>> m_copies;
    std::future<std::optional<KeywordCopies>> m_copiesFuture = m_copies.get_future();
    std::thread m_thread; // last: it runs on the members above
};

qint64 dataVersion(const SqlDatabase& project)
{
    return project.scalar(QStringLiteral("PRAGMA %1.data_version").arg(project.schema()))
        .toLongLong();
}

// Starts reading the copies aside, when the shared connection sees just what another one would:
// no transaction of its own open on the project file (whose writes only it would see, or whose
// older view it would keep).
std::unique_ptr<CopiesAside> startCopiesAside(const SqlDatabase& project)
{
    sqlite3* db = project.connection().handle();
    const QByteArray schema = project.schema().toUtf8();
    const char* file = sqlite3_db_filename(db, schema.constData());
    if (sqlite3_get_autocommit(db) == 0 ||
        sqlite3_txn_state(db, schema.constData()) != SQLITE_TXN_NONE || file == nullptr ||
        *file == '\0')
        return nullptr;
    auto aside = std::make_unique<CopiesAside>(file);
    if (!aside->started())
        return nullptr;
    return aside;
}

struct Change {
    qint64 keyword = 0;
    QVariant searches;
    QVariant cacheDate;
};

bool isAscii(std::string_view text)
{
    unsigned char bits = 0;
    for (const char c : text)
        bits |= static_cast<unsigned char>(c);
    return bits < 0x80;
}

// One side of the walk, whose keys must come strictly ascending in the collation's order. A
// file whose index was built under another NOCASE (the sqlite3 client's own folds ASCII letters
// only) may hold keys beyond ASCII in another order, and the walk would miss keys; two keys of
// plain ASCII come in the same order under either. The key is read once per row.
class KeyWalk {
public:
    explicit KeyWalk(SqlStatement rows)
        : m_rows(std::move(rows))
    {
        if (step())
            remember();
    }

    bool valid() const { return m_valid; }
    std::string_view key() const { return m_key; }
    const SqlStatement& row() const { return m_rows; }

    // Steps on; false when the next key is out of order.
    bool next()
    {
        if (!step())
            return true;
        const bool ascii = isAscii(m_key);
        if (!(ascii && m_previousAscii) && SqlFunctions::compareNoCase(m_previous, m_key) >= 0)
            return false;
        m_previous.assign(m_key);
        m_previousAscii = ascii;
        return true;
    }

private:
    bool step()
    {
        m_valid = m_rows.next();
        m_key = m_valid ? m_rows.utf8(0) : std::string_view();
        return m_valid;
    }

    void remember()
    {
        m_previous.assign(m_key);
        m_previousAscii = isAscii(m_key);
    }

    SqlStatement m_rows;
    std::string_view m_key;
    std::string m_previous;
    bool m_previousAscii = true;
    bool m_valid = false;
};

// Holds the connection's own mutex over many calls, so that each one only enters it again.
class HeldMutex {
public:
    explicit HeldMutex(sqlite3* db)
        : m_mutex(sqlite3_db_mutex(db))
    {
        sqlite3_mutex_enter(m_mutex);
    }
    ~HeldMutex() { sqlite3_mutex_leave(m_mutex); }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

private:
    sqlite3_mutex* m_mutex;
};

// The cache's values of the keywords the walk paired with a cache row, in the walk's order.
// Values of another kind than a number are kept aside as they are.
struct Paired {
    struct Pair {
        qint64 keyword = 0;
        Number count;
        Number dte;
    };

    void add(qint64 keyword, const SqlStatement& row)
    {
        pairs.push_back({keyword, kept(row, 1), kept(row, 2)});
    }

    Number kept(const SqlStatement& row, int column)
    {
        Number number = Number::of(row.handle(), column);
        if (number.kind == Kind::Other) {
            number.bits = static_cast<qint64>(others.size());
            others.push_back(row.value(column));
        }
        return number;
    }

    QVariant valueOf(const Number& number) const
    {
        switch (number.kind) {
        case Kind::Integer:
            return QVariant(static_cast<qlonglong>(number.integer()));
        case Kind::Real:
            return QVariant(number.real());
        case Kind::Other:
            return others[static_cast<size_t>(number.bits)];
        case Kind::Null:
            break;
        }
        return {};
    }

    std::vector<Pair> pairs;
    std::vector<QVariant> others;
};

// The keys of both sides are read in their indexes' order, so a walk side by side pairs them;
// false when either side is out of order.
bool walk(KeyWalk& keys, KeyWalk& counts, Paired& paired)
{
    while (keys.valid() && counts.valid()) {
        const int order = SqlFunctions::compareNoCase(keys.key(), counts.key());
        if (order == 0)
            paired.add(sqlite3_column_int64(keys.row().handle(), 1), counts.row());
        if (order <= 0 && !keys.next())
            return false;
        if (order >= 0 && !counts.next())
            return false;
    }
    return true;
}

// The copies are read on a connection of their own while the walk runs, when that connection's
// view is the walk's: no other connection committed to the project file from before it began
// until the walk began. Otherwise, they are read on the shared connection inside the walk's view.
std::optional<std::vector<Change>> changedCopies(const SqlDatabase& project)
{
    const HeldMutex held(project.connection().handle());
    const qint64 version = dataVersion(project);
    std::unique_ptr<CopiesAside> aside = startCopiesAside(project);
    KeyWalk keys(project.query(QStringLiteral(
        "SELECT Normalized, pkKeyword FROM project.Keyword ORDER BY Normalized COLLATE NOCASE")));
    KeyWalk counts(project.query(
        QStringLiteral("SELECT KW, Count, dte FROM cache.Cache ORDER BY KW COLLATE NOCASE")));
    if (aside && dataVersion(project) != version)
        aside.reset();
    std::optional<KeywordCopies> copies;
    if (!aside)
        copies = readCopies(project);
    Paired paired;
    if (!walk(keys, counts, paired))
        return std::nullopt;
    if (aside)
        copies = aside->take();
    if (!copies)
        return std::nullopt;
    std::vector<Change> changes;
    for (const Paired::Pair& pair : paired.pairs) {
        const KeywordCopy* copy = copies->find(pair.keyword);
        if (copy == nullptr || copy->differsFrom(pair.count, pair.dte))
            changes.push_back({pair.keyword, paired.valueOf(pair.count), paired.valueOf(pair.dte)});
    }
    return changes;
}

} // namespace

void CountsCopy::copyWhere(const SqlDatabase& project, const QString& where,
                           const QVariantList& params)
{
    project.execute(
        QStringLiteral("UPDATE project.Keyword SET (Searches, CacheDate) = (SELECT c.Count, "
                       "c.dte FROM cache.Cache AS c WHERE c.KW = Keyword.Normalized) WHERE ") +
            where +
            QStringLiteral("EXISTS (SELECT 1 FROM cache.Cache AS c WHERE c.KW = "
                           "Keyword.Normalized AND (c.Count IS NOT Keyword.Searches OR c.dte IS "
                           "NOT Keyword.CacheDate))"),
        params);
}

void CountsCopy::copyAll(const SqlDatabase& project)
{
    auto guard = project.lock();
    const std::optional<std::vector<Change>> found = changedCopies(project);
    if (!found) {
        copyWhere(project, {});
        return;
    }
    const std::vector<Change>& changes = *found;
    if (changes.empty())
        return;
    const LargeWriteCache largeWrite(project, static_cast<qsizetype>(changes.size()));
    SqlTransaction transaction(project.connection());
    auto update = project.query(QStringLiteral(
        "UPDATE project.Keyword SET Searches = ?1, CacheDate = ?2 WHERE pkKeyword = ?3"));
    for (const Change& change : changes) {
        update.bind(1, change.searches).bind(2, change.cacheDate).bind(3, change.keyword);
        update.execute();
    }
    transaction.commit();
}

} // namespace zentrel
