#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"

namespace {
QString corpusFolder(const QString& target)
{
    return QDir::cleanPath(QStringLiteral(QUINTARA_TEST_DATA "/../../fuzz/corpus/") + target);
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
