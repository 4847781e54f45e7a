#include <memory>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "engine/platform/CLog.h"
#include "fuzz/FuzzEntries.h"
#include "tests/support/TestSupport.h"

namespace {
QString corpusFolder(const QString& target)
{
    return QDir::cleanPath(QStringLiteral(QUINTARA_TEST_DATA "/../../fuzz/corpus/") + target);
}

QByteArrayList corpus(const QString& target)
{
    QByteArrayList inputs;
    const QDir folder(corpusFolder(target));
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            inputs << file.readAll();
    }
    return inputs;
}

class CorpusReplay : public ::testing::TestWithParam<QString> {};
} // namespace

// Every kept fuzz input goes through the target's entry point again, so a regression on one of
// them fails the ordinary suite.
TEST_P(CorpusReplay, EveryInputIsReadCleanly)
{
    const QDir folder(corpusFolder(GetParam()));
    const QFileInfoList files = folder.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus in " << folder.path().toStdString();
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << info.filePath().toStdString();
        const QString problem = FuzzEntries::run(GetParam(), file.readAll());
        EXPECT_TRUE(problem.isEmpty())
            << info.fileName().toStdString() << ": " << problem.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(FuzzEntries::targets()),
                         [](const auto& info) { return info.param.toStdString(); });

// The filter's corpus stored through AddKWs on real files, as the fuzz target does.
TEST(CorpusReplayStore, EveryKeywordInputIsStoredCleanly)
{
    const testsupport::TempHome home;
    const auto log = std::make_shared<zentrel::CLog>();
    log->Open(home.file("full.log"), home.file("short.log"));
    zentrel::DBaser db;
    db.Init(log);
    db.OpenCacheDB(home.file("Default Cache.vxc"));
    db.OpenProjectDB(home.file("First Project.vxp"));
    const QByteArrayList inputs = corpus(QStringLiteral("keyword_filter"));
    ASSERT_FALSE(inputs.isEmpty());
    for (const QByteArray& input : inputs)
        EXPECT_EQ(FuzzEntries::addKeywords(db, input).toStdString(), "");
    db.Finalize();
}
