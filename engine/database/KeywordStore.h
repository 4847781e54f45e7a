#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "engine/database/KeywordTable.h"
#include "engine/database/enKWKind.h"

namespace zentrel {

class SqlDatabase;

// The keyword statements on the project database (whose connection also sees the cache's
// table Cache).
class KeywordStore {
public:
    // What a listing asks for.
    struct Listing {
        enKWKind kind = kwk_raw;
        int limit = 1000; // -1 for all
        bool excludeGrouped = false;
        std::optional<int> groupId; // the ranked keywords of one group; kind is ignored
    };
    // The keywords of an addition that pass the rules, and the rejected ones.
    struct Filtered {
        QStringList accepted;
        QStringList rejected;
    };

    // Lower-cases and trims each keyword; rejects those of fewer than 3 or more than 100
    // characters or holding one of ":", "+", "..", "%", "#", "/", "\", "?"; turns "-" and "~"
    // of the others into blanks and one pair of blanks into one.
    static Filtered filter(const QStringList& keywords);

    // Stores the operation row unless it is there. Raises when it cannot be stored.
    static void storeOperation(const SqlDatabase& db, const QString& id, const QString& description,
                               const QString& parameter);
    // Stores each accepted keyword (the newest spelling wins, with the relevancy when given)
    // and links it to the operation once. The caller holds the transaction.
    static void storeKeywords(const SqlDatabase& db, const QStringList& accepted,
                              std::optional<int> relevancy, const QString& operationId);

    static bool updateKW(const SqlDatabase& db, const QString& kw);
    static void setRelevancy(const SqlDatabase& db, const QVariantList& ids, int relevancy);
    static void deleteKWs(const SqlDatabase& db, const QVariantList& ids);
    static KeywordTable list(const SqlDatabase& db, const Listing& listing);
    static int count(const SqlDatabase& db, int code);
    static void normalizeAll(const SqlDatabase& project, const SqlDatabase& cache);

    // The ids in pieces of at most 50, in order.
    static std::vector<QVariantList> pieces(const QVariantList& ids);
    // "?2, ?3, ..." for a piece of n ids bound after `first` - 1 other parameters.
    static QString placeholders(int n, int first);
};

} // namespace zentrel
