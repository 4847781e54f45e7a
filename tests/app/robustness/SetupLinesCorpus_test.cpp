#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "fuzz/AppFuzzEntries.h"

// Every kept fuzz input of the SetupKWs.txt reader goes through "/install"'s seeding again.
TEST(SetupLinesCorpus, EveryInputIsSeededCleanly)
{
    const QDir corpus(
        QDir::cleanPath(QStringLiteral(QUINTARA_TEST_DATA "/../../fuzz/corpus/setup_lines")));
    const QFileInfoList files = corpus.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << corpus.path().toStdString();
    const QTemporaryDir folder;
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(AppFuzzEntries::setupLines(folder.path(), file.readAll()).toStdString(), "")
            << info.fileName().toStdString();
    }
}
