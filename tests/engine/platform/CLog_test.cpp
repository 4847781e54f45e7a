#include "engine/platform/CLog.h"

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

#include "tests/support/TestSupport.h"

using zentrel::CLog;

namespace {

QStringList linesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.isEmpty() || text.endsWith(QLatin1Char('\n')));
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

} // namespace

TEST(CLog, LineHoldsTimestampLevelHexNumberSourceAndText)
{
    testsupport::TempHome home;
    CLog log;
    log.Open(home.file(QStringLiteral("logs/full.log")), home.file(QStringLiteral("short.log")));
    EXPECT_EQ(log.LogFile(), home.file(QStringLiteral("logs/full.log")));
    log.Write(static_cast<qint32>(0x80040283), QStringLiteral("Cannot open\r\nthe file"), 4,
              QStringLiteral("DBaser.OpenCacheDB"));
    log.Write(0x2A, QStringLiteral("progress"), 5, QStringLiteral("Main"));

    const QStringList lines = linesOf(log.LogFile());
    ASSERT_EQ(lines.size(), 2);
    const QStringList fields = lines.first().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 5);
    EXPECT_TRUE(
        QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).isValid())
        << fields[0].toStdString();
    EXPECT_EQ(fields[1], "4");
    EXPECT_EQ(fields[2], "0x80040283");
    EXPECT_EQ(fields[3], "DBaser.OpenCacheDB");
    EXPECT_EQ(fields[4], "Cannot open the file");
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("\t5\t0x0000002A\tMain\tprogress")));
}

TEST(CLog, ErrorsAlsoGoToTheShortLogOfTheInstanceThatHasOne)
{
    testsupport::TempHome home;
    const QString full = home.file(QStringLiteral("QuintaraKeywords.log"));
    const QString shortLog = home.file(QStringLiteral("short.log"));
    CLog log;
    log.Open(full, shortLog);
    CLog worker;
    worker.Attach(full);
    EXPECT_EQ(worker.LogFile(), full);

    log.Write(0, QStringLiteral("level zero"), 0, QStringLiteral("s"));
    log.Write(1, QStringLiteral("level four"), 4, QStringLiteral("s"));
    log.Write(2, QStringLiteral("level five"), 5, QStringLiteral("s"));
    log.Write(3, QStringLiteral("level three"), 3, QStringLiteral("s"));
    worker.Write(4, QStringLiteral("worker error"), 4, QStringLiteral("w"));

    EXPECT_EQ(linesOf(full).size(), 5);
    const QStringList shortLines = linesOf(shortLog);
    ASSERT_EQ(shortLines.size(), 2);
    EXPECT_TRUE(shortLines[0].endsWith(QStringLiteral("level zero")));
    EXPECT_TRUE(shortLines[1].endsWith(QStringLiteral("level four")));
}

TEST(CLog, WritingToAnUnwritablePlaceOrUnopenedLogDoesNotThrow)
{
    testsupport::TempHome home;
    CLog unopened;
    EXPECT_NO_THROW(unopened.Write(1, QStringLiteral("nowhere"), 4, QStringLiteral("s")));
    CLog log;
    log.Attach(home.path()); // a folder, not a file
    EXPECT_NO_THROW(log.Write(1, QStringLiteral("nowhere"), 4, QStringLiteral("s")));
}

TEST(CLog, ManyThreadsThroughAttachedInstancesWriteWholeLinesAndLoseNone)
{
    testsupport::TempHome home;
    const QString full = home.file(QStringLiteral("QuintaraKeywords.log"));
    // Some workers name the same file through a linked folder.
    ASSERT_TRUE(QFile::link(home.path(), home.file(QStringLiteral("linked"))));
    const QString linked = home.file(QStringLiteral("linked/QuintaraKeywords.log"));
    CLog main;
    main.Open(full, home.file(QStringLiteral("short.log")));

    constexpr int kThreads = 8;
    constexpr int kWrites = 400;
    const QString padding(600, QLatin1Char('x')); // longer than one buffered write
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CLog own;
            own.Attach(t % 2 == 0 ? full : linked);
            for (int i = 0; i < kWrites; ++i) {
                // Half through the thread's own instance, half through the shared main one.
                CLog& target = (i % 2 == 0) ? own : main;
                target.Write(i, QStringLiteral("t%1 n%2 %3").arg(t).arg(i).arg(padding), 5,
                             QStringLiteral("thread%1").arg(t));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();

    const QStringList lines = linesOf(full);
    ASSERT_EQ(lines.size(), kThreads * kWrites);
    std::set<std::pair<int, int>> seen;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 5) << line.left(200).toStdString();
        const QStringList words = fields[4].split(QLatin1Char(' '));
        ASSERT_EQ(words.size(), 3);
        ASSERT_EQ(words[2], padding);
        const int t = words[0].mid(1).toInt();
        const int i = words[1].mid(1).toInt();
        EXPECT_EQ(fields[3], QStringLiteral("thread%1").arg(t));
        EXPECT_EQ(fields[2], QString::asprintf("0x%08X", i));
        seen.emplace(t, i);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kWrites));
}
