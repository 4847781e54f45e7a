#pragma once

#include <memory>

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "tests/support/TestSupport.h"

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace dbasertest {

using namespace zentrel;

inline CKeyedCollection items(const QVariantList& values)
{
    CKeyedCollection collection;
    for (const QVariant& value : values)
        collection.Add(value);
    return collection;
}

inline CKeyedCollection words(const QStringList& values)
{
    CKeyedCollection collection;
    for (const QString& value : values)
        collection.Add(value);
    return collection;
}

inline QStringList textsOf(const CKeyedCollection& collection)
{
    QStringList list;
    for (const QVariant& item : collection)
        list << item.toString();
    return list;
}

// A data folder with a log, a cache and a project file name, and a database object on them.
class DBaserFixture : public ::testing::Test {
protected:
    DBaserFixture()
        : cacheFile(home.file("Default Cache.vxc"))
        , projectFile(home.file("First Project.vxp"))
        , log(std::make_shared<CLog>())
        , db(std::make_unique<DBaser>())
    {
        log->Open(home.file("full.log"), home.file("short.log"));
        db->Init(log);
    }

    void openBoth()
    {
        db->OpenCacheDB(cacheFile);
        db->OpenProjectDB(projectFile);
    }

    // A master on both files.
    void openMaster()
    {
        db->InitMaster();
        openBoth();
    }

    void addKeywords(const QStringList& keywords)
    {
        CDataNode operation;
        db->AddKWs(words(keywords), operation);
    }

    QVariant projectScalar(const QString& sql, const QVariantList& params = {}) const
    {
        return db->ProjectDB()->scalar(sql, params);
    }

    QStringList column(const QString& sql) const
    {
        QStringList values;
        auto rows = db->ProjectDB()->query(sql);
        while (rows.next())
            values << rows.value(0).toString();
        return values;
    }

    QString logText() const
    {
        QFile file(home.file("full.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // True when the log holds an entry of that level, number and source.
    bool logged(int level, std::uint32_t number, const QString& source) const
    {
        return logText().contains(QStringLiteral("\t%1\t0x%2\t%3\t")
                                      .arg(level)
                                      .arg(number, 8, 16, QLatin1Char('0'))
                                      .arg(source),
                                  Qt::CaseInsensitive);
    }

    int keywordCount() const { return projectScalar("SELECT count(*) FROM Keyword").toInt(); }

    testsupport::TempHome home;
    QString cacheFile;
    QString projectFile;
    CLogPtr log;
    std::unique_ptr<DBaser> db;
};

} // namespace dbasertest
