#pragma once

#include <memory>

#include <QVariant>

#include "app/keywords/DBaserKWStore.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"
#include "tests/support/TestSupport.h"

namespace kwtest {

// A real project and cache file in a temporary data folder, with the engine's database object
// and the keyword pages' store on it.
class Project {
public:
    Project()
        : log(std::make_shared<zentrel::CLog>())
        , db(std::make_unique<zentrel::DBaser>())
    {
        log->Open(home.file(QStringLiteral("full.log")), home.file(QStringLiteral("short.log")));
        db->Init(log);
        db->OpenCacheDB(home.file(QStringLiteral("Cache.vxc")));
        db->OpenProjectDB(home.file(QStringLiteral("Project.vxp")));
        store = std::make_unique<DBaserKWStore>(db.get());
    }

    static QVariant orNull(int value) { return value < 0 ? QVariant() : QVariant(value); }

    // Stores a keyword as it stands (-1: no count, no relevancy); its id.
    int add(const QString& kw, int searches, int relevancy) const
    {
        return static_cast<int>(db->ProjectDB()->addRow(
            QStringLiteral("Keyword"),
            {QStringLiteral("KW"), QStringLiteral("Normalized"), QStringLiteral("Relevancy"),
             QStringLiteral("Searches")},
            {kw, zentrel::MParser::NormalizeKW(kw), orNull(relevancy), orNull(searches)}));
    }
    void addMany(int count, const std::function<void(int, QString&, int&, int&)>& make) const
    {
        zentrel::SqlTransaction transaction(db->ProjectDB()->connection());
        for (int i = 0; i < count; ++i) {
            QString kw;
            int searches = -1;
            int relevancy = -1;
            make(i, kw, searches, relevancy);
            add(kw, searches, relevancy);
        }
        transaction.commit();
    }
    void setSearches(int id, int searches) const
    {
        db->ProjectDB()->execute(QStringLiteral("UPDATE Keyword SET Searches=? WHERE pkKeyword=?"),
                                 {orNull(searches), id});
    }
    int relevancyOf(int id) const
    {
        const QVariant value = db->ProjectDB()->scalar(
            QStringLiteral("SELECT Relevancy FROM Keyword WHERE pkKeyword=?"), {id});
        return value.isNull() ? -1 : value.toInt();
    }
    QString textOf(int id) const
    {
        return db->ProjectDB()
            ->scalar(QStringLiteral("SELECT KW FROM Keyword WHERE pkKeyword=?"), {id})
            .toString();
    }
    bool exists(int id) const
    {
        return db->ProjectDB()
                   ->scalar(QStringLiteral("SELECT count(*) FROM Keyword WHERE pkKeyword=?"), {id})
                   .toInt() == 1;
    }
    void group(const QList<int>& ids, int groupId) const
    {
        zentrel::CKeyedCollection collection;
        for (const int id : ids)
            collection.Add(id);
        db->AddToGroup(collection, groupId);
    }

    testsupport::TempHome home;
    zentrel::CLogPtr log;
    std::unique_ptr<zentrel::DBaser> db;
    std::unique_ptr<DBaserKWStore> store;
};

} // namespace kwtest
