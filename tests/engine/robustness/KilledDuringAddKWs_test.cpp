#include <cstdio>
#include <memory>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;

namespace {
const char* const kChildFolder = "QUINTARA_KILL_CHILD_FOLDER";
constexpr int kBatch = 5000;

QString keywordOf(int batch, int i)
{
    return QStringLiteral("killed b%1 k%2").arg(batch).arg(i);
}

QString descriptionOf(int batch)
{
    return QStringLiteral("Batch %1").arg(batch);
}

QStringList progressOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// What SQLite's integrity check says of a file, opened on its own.
QString integrityOf(const QString& file)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("cannot open");
    }
    QString result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            result +=
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    } else {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}
} // namespace

// The child: adds batch after batch, each under its own operation, noting each call before it
// starts and once it has returned, until it is killed.
TEST(KilledDuringAddKWsChild, AddUntilKilled)
{
    const QString folder = QString::fromLocal8Bit(qgetenv(kChildFolder));
    if (folder.isEmpty())
        GTEST_SKIP() << "only run as the child of the kill test";
    const auto log = std::make_shared<CLog>();
    log->Open(folder + "/full.log", folder + "/short.log");
    DBaser db;
    db.Init(log);
    db.OpenCacheDB(folder + "/Default Cache.vxc");
    db.OpenProjectDB(folder + "/First Project.vxp");
    db.InitMaster();
    QFile progress(folder + "/progress.txt");
    ASSERT_TRUE(progress.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    for (int batch = 0; batch < 100000; ++batch) {
        CKeyedCollection keywords;
        for (int i = 0; i < kBatch; ++i)
            keywords.Add(keywordOf(batch, i));
        CDataNode operation;
        operation.Attributes().Add(QStringLiteral("Description"), descriptionOf(batch));
        progress.write("begin " + QByteArray::number(batch) + '\n');
        db.AddKWs(keywords, operation);
        progress.write("done " + QByteArray::number(batch) + '\n');
    }
}

// A process killed in the middle of a bulk addition leaves both files sound, and every batch
// whose AddKWs had returned is there after reopening, linked to its operation.
TEST(KilledDuringAddKWs, BothFilesPassTheIntegrityCheckAndEveryReturnedBatchIsThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({"--gtest_filter=KilledDuringAddKWsChild.AddUntilKilled"});
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildFolder, folder);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    ASSERT_TRUE(child.waitForStarted());
    const QString progressFile = folder + "/progress.txt";
    const int wanted = 3 + QRandomGenerator::global()->bounded(5);
    // Killed once a few batches have returned, while the next call runs.
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            const QStringList lines = progressOf(progressFile);
            return lines.size() >= 2 * wanted && lines.last().startsWith("begin");
        },
        std::chrono::seconds(120)))
        << child.readAllStandardOutput().toStdString();
    child.kill();
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    QStringList done = progressOf(progressFile).filter(QRegularExpression("^done "));
    done.replaceInStrings("done ", QString());

    EXPECT_EQ(integrityOf(folder + "/Default Cache.vxc"), "ok");
    EXPECT_EQ(integrityOf(folder + "/First Project.vxp"), "ok");

    const auto log = std::make_shared<CLog>();
    log->Open(folder + "/full.log", folder + "/short.log");
    DBaser db;
    db.Init(log);
    db.OpenCacheDB(folder + "/Default Cache.vxc");
    db.OpenProjectDB(folder + "/First Project.vxp");
    const SqlDatabasePtr project = db.ProjectDB();
    for (const QString& line : done) {
        const int batch = line.toInt();
        EXPECT_EQ(
            project
                ->scalar(QStringLiteral("SELECT count(*) FROM Keyword INNER JOIN KeywordOperation "
                                        "ON pkKeyword = fkKeyword INNER JOIN Operation ON "
                                        "fkOperation = pkOperation WHERE Description = ?1"),
                         {descriptionOf(batch)})
                .toInt(),
            kBatch)
            << "batch " << batch;
    }
    const int keywords = project->scalar(QStringLiteral("SELECT count(*) FROM Keyword")).toInt();
    std::printf("[figures] killed after %lld returned calls of %d keywords; %d keywords stored\n",
                static_cast<long long>(done.size()), kBatch, keywords);
    EXPECT_TRUE(keywords == done.size() * kBatch || keywords == (done.size() + 1) * kBatch)
        << "whole batches only: " << keywords;
    db.Finalize();
}
