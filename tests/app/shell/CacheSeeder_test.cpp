#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include "app/shell/CacheSeeder.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/MParser.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

namespace {

QString freshCache(const testsupport::TempHome& home)
{
    const QString path = home.file("seed.vxc");
    QFile::copy(QDir(zentrel::Folders::binaryFolder()).filePath("Cache.tdb"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void writeSetup(const QByteArray& text)
{
    QFile file(CacheSeeder::setupFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

struct Row {
    QString kw;
    int count;
    double dte;
};

QList<Row> rows(const QString& cache)
{
    QList<Row> result;
    auto connection = zentrel::SqlConnection::open(cache);
    auto select = connection->prepare("SELECT KW, Count, dte FROM Cache ORDER BY KW");
    while (select.next())
        result.append({select.text(0), select.int32(1), select.real(2)});
    return result;
}

} // namespace

TEST(CacheSeeder, StoresTheExampleLine)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    writeSetup("1200\tblue widgets\r\n");
    const double before = zentrel::SqlDate::now();
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_TRUE(result.committed);
    EXPECT_EQ(result.stored, 1);
    const QList<Row> stored = rows(cache);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored.first().kw, QStringLiteral("blue widgets"));
    EXPECT_EQ(stored.first().count, 1200);
    EXPECT_GE(stored.first().dte, before - 1e-6);
    EXPECT_LE(stored.first().dte, zentrel::SqlDate::now() + 1e-6);
}

TEST(CacheSeeder, LinesAreCleanedAndBadOnesSkipped)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    writeSetup("10\t  Widgets Blue \r\n"
               "x\tnot a count\n"
               "12.5\tfractional\n"
               "30\n"
               "40\t\n"
               "50\tblue widgets\n" // the same key again: skipped
               "60\tred-gadgets\textra field\n"
               "70\tlast line");
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_EQ(result.stored, 3);
    EXPECT_EQ(result.skipped, 5);
    const QList<Row> stored = rows(cache);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored.at(0).kw, QStringLiteral("blue widgets"));
    EXPECT_EQ(stored.at(0).count, 10);
    EXPECT_EQ(stored.at(1).kw, QStringLiteral("gadgets red"));
    EXPECT_EQ(stored.at(1).count, 60);
    EXPECT_EQ(stored.at(2).kw, QStringLiteral("last line"));
}

TEST(CacheSeeder, KeywordsAreStoredAsAReaderSeesThem)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    writeSetup("10\tblue\u200B widgets\n"
               "20\tred\x01 Gadgets\x7f\n"
               "30\t\u202Egreen tools\u202C\n"
               "40\tpink\rbags\n"
               "50\t\xef\xbb\xbfgrey\u2066 boxes\u2069\r\n"
               "60\tblue widgets\u200D\n" // an invisible twin of the first line: skipped
               "70\t\u200B\u200B\n"
               "80\t\x1b\n");
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_EQ(result.stored, 5);
    EXPECT_EQ(result.skipped, 3);
    QStringList stored;
    for (const Row& row : rows(cache))
        stored << row.kw;
    EXPECT_EQ(stored, (QStringList{"bags pink", "blue widgets", "boxes grey", "gadgets red",
                                   "green tools"}));
}

TEST(CacheSeeder, MissingSetupFileRaises)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    EXPECT_ANY_THROW(CacheSeeder::SeedCache(cache, CacheSeeder::setupFile()));
    EXPECT_TRUE(rows(cache).isEmpty());
}

TEST(CacheSeeder, EveryLineIsReadAsTheEngineNormalisesIt)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    const QStringList keywords = {
        "  Blue-Widget  ", "cheap~blue  shoes", "z a  m",   " Tab\tx", "Café Noir",
        "ÉCLAIR au",       "İSTANBUL x",        "x-ray- -", "Zebra",   "b A"};
    const QStringList counts = {"1", " 12 ",       "+5",          "-3", "007",
                                "6", "2147483647", "-2147483648", "0",  "42"};
    QByteArray text;
    for (int i = 0; i < keywords.size(); ++i)
        text += counts[i].toUtf8() + "\t" + keywords[i].toUtf8() + "\r\n";
    text += "2147483648\ttoo big\n"
            "1\téclair AU\n" // the same key as an earlier line, in other capitals: skipped
            "9\t   \n";
    writeSetup(text);
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_EQ(result.stored, keywords.size());
    EXPECT_EQ(result.skipped, 3);
    QMap<QString, int> expected;
    for (int i = 0; i < keywords.size(); ++i) {
        const QString field = i == 3 ? QStringLiteral("Tab") : keywords[i]; // a tab ends the field
        expected.insert(zentrel::MParser::NormalizeKW(zentrel::MParser::LowerCase(field.trimmed())),
                        counts[i].trimmed().toInt());
    }
    QMap<QString, int> stored;
    for (const Row& row : rows(cache))
        stored.insert(row.kw, row.count);
    EXPECT_EQ(stored, expected);
}

TEST(CacheSeeder, TheFirstOfEqualKeysAnywhereInTheFileIsStored)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    // Equal keys in every part of a long file, in other capitals and word orders.
    constexpr int kKeys = 97;
    constexpr int kLines = 3000;
    QByteArray text;
    for (int i = 0; i < kLines; ++i) {
        const int key = i % kKeys;
        QString kw = key % 3 == 0 ? QStringLiteral("été %1 Zug").arg(key)
                                  : QStringLiteral("word %1 blue").arg(key);
        if (i % 2 == 1)
            kw = kw.toUpper();
        if (i % 5 == 4)
            kw = kw.section(' ', 1) + ' ' + kw.section(' ', 0, 0);
        text += QByteArray::number(i) + '\t' + kw.toUtf8() + "\r\n";
    }
    writeSetup(text);
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_TRUE(result.committed);
    EXPECT_EQ(result.stored, kKeys);
    EXPECT_EQ(result.skipped, kLines - kKeys);
    const QList<Row> stored = rows(cache);
    ASSERT_EQ(stored.size(), kKeys);
    for (const Row& row : stored) {
        const int key = row.count;
        ASSERT_LT(key, kKeys) << row.kw.toStdString();
        const QString first = key % 3 == 0 ? QStringLiteral("été %1 Zug").arg(key)
                                           : QStringLiteral("word %1 blue").arg(key);
        EXPECT_EQ(row.kw, zentrel::MParser::NormalizeKW(zentrel::MParser::LowerCase(first)));
    }
}

TEST(CacheSeeder, ALoadThatSQLiteRollsBackLeavesTheCacheAsItWas)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    {
        auto connection = zentrel::SqlConnection::open(cache);
        connection->exec("INSERT INTO Cache (KW, Count, dte) VALUES ('kept', 1, 0);"
                         "CREATE TRIGGER Refuse BEFORE INSERT ON Cache WHEN new.KW = 'boom' "
                         "BEGIN SELECT RAISE(ROLLBACK, 'refused'); END");
    }
    writeSetup("1\taaa\n2\tboom\n3\tzzz\n");
    EXPECT_ANY_THROW(CacheSeeder::SeedCache(cache, CacheSeeder::setupFile()));
    const QList<Row> stored = rows(cache);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored.first().kw, QStringLiteral("kept"));
    EXPECT_TRUE(QFile::exists(CacheSeeder::setupFile()));
}

TEST(CacheSeeder, AnEmptySetupFileStoresNothing)
{
    testsupport::TempHome home;
    const QString cache = freshCache(home);
    writeSetup(QByteArray());
    const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    EXPECT_TRUE(result.committed);
    EXPECT_EQ(result.stored, 0);
    EXPECT_EQ(result.skipped, 0);
    EXPECT_TRUE(rows(cache).isEmpty());
}

// Another program cuts the file between the size taken and the bytes read: a failed read that
// leaves the file and the cache alone, not a crash.
TEST(CacheSeeder, ASetupFileCutWhileItIsReadIsAFailedRead)
{
    testsupport::TempHome home;
    QByteArray text;
    while (text.size() < 1 << 20)
        text += QByteArray::number(text.size()) + "\tcut keyword " +
                QByteArray::number(text.size()) + "\r\n";
    writeSetup(text);
    const auto cut = [] { QFile::resize(CacheSeeder::setupFile(), 100); };
    EXPECT_THROW(CacheSeeder::ReadSetupFile(CacheSeeder::setupFile(), cut), zentrel::ZError);
    EXPECT_EQ(CacheSeeder::ReadSetupFile(CacheSeeder::setupFile()), text.left(100))
        << "a file that stays as it is is read whole";
}
