#pragma once

#include <limits>
#include <optional>
#include <vector>

#include <QString>
#include <QVariant>

namespace zentrel {

// A keyword's place in a research timer's order: relevancy first, highest first and none last,
// then the shortest spelling, then the oldest row.
struct DueKey {
    QVariant relevancy;
    qint64 length = 0;
    qint64 pk = 0;

    // The first place after this one.
    DueKey next() const { return {relevancy, length, pk + 1}; }

    // Whether this place comes before the other in the order.
    bool before(const DueKey& other) const
    {
        if (relevancy.isNull() != other.relevancy.isNull())
            return other.relevancy.isNull();
        if (!relevancy.isNull() && relevancy.toLongLong() != other.relevancy.toLongLong())
            return relevancy.toLongLong() > other.relevancy.toLongLong();
        if (length != other.length)
            return length < other.length;
        return pk < other.pk;
    }
};

struct DueRow {
    QString kw;
    DueKey key;
};

// What decides which keywords a timer has due and in what order, as it stood when read. Between
// two stamps with the same writes no keyword came due and none moved in the order (some may have
// gone), as long as the clock has not passed what the rows read said (DuePage::keptUntil).
struct DueStamp {
    quint64 files = 0;        // which open of the files
    quint64 changes = 0;      // writes on this connection that may add a due keyword
    qint64 projectWrites = 0; // data_version: writes by other connections
    qint64 cacheWrites = 0;
    double clock = 0; // the time the timer's ages are taken at (days)

    bool sameWrites(const DueStamp& other) const
    {
        return changes == other.changes && sameOthers(other);
    }
    // The same files, and no other connection wrote to them.
    bool sameOthers(const DueStamp& other) const
    {
        return files == other.files && projectWrites == other.projectWrites &&
               cacheWrites == other.cacheWrites;
    }
};

// What was written since a stamp that may add a due keyword: whether every place written is known,
// and then the first of them (none when nothing was written).
struct DueSince {
    bool known = false;
    std::optional<DueKey> first;
};

// The due keywords from a place on, first first. A keyword that was passed as not due stays so
// until the stamp's clock passes keptUntil.
struct DuePage {
    std::vector<DueRow> rows;
    double keptUntil = std::numeric_limits<double>::infinity();
};

// Whether one keyword is due, and until when its not being due holds.
struct DueCheck {
    bool due = false;
    double keptUntil = std::numeric_limits<double>::infinity();
};

} // namespace zentrel
