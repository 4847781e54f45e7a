#include "engine/platform/CFileUtilities.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CFileUtilities;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The description of the error the call raises, empty when none.
template <class F> QString errorOf(F call)
{
    try {
        call();
    } catch (const zentrel::ZError& error) {
        return error.description();
    }
    return {};
}

} // namespace

TEST(CFileUtilities, MaskMatching)
{
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"vx0001.tmp", "vx*.tmp", true},
        {"VX00A1.TMP", "vx*.tmp", true},
        {"vx.tmp", "vx*.tmp", true},
        {"jx0001.tmp", "vx*.tmp", false},
        {"vx0001.tmp.zip", "vx*.tmp", false},
        {"avx0001.tmp", "vx*.tmp", false},
        {"a.b", "?.b", true},
        {"ab.b", "?.b", false},
        {"noext", "*.*", true},
        {"a.b.c", "*.*", true},
        {"x[1].tmp", "x[1].tmp", true},
        {"x1.tmp", "x[1].tmp", false},
        {"a+b.log", "a+b.*", true},
        {"aab.log", "a+b.*", false},
        {"anything", "*", true},
        {"", "?", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFileUtilities::matchesMask(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)),
                  c.matches)
            << c.name << " ~ " << c.mask;
}

TEST(CFileUtilities, DeleteFilesRemovesOnlyMatchingFilesOfTheFolder)
{
    testsupport::TempHome home;
    const QString folder = home.file(QStringLiteral("work"));
    CFileUtilities::CreateFolder(folder + QStringLiteral("/sub"));
    for (const char* name :
         {"vx0001.tmp", "VX0002.TMP", "vx0003.tmp.zip", "jx0001.tmp", "keep.txt"})
        touch(folder + QLatin1Char('/') + QString::fromUtf8(name));
    touch(folder + QStringLiteral("/sub/vx0009.tmp"));

    CFileUtilities::DeleteFiles(folder, QStringLiteral("vx*.tmp"));
    EXPECT_EQ(filesIn(folder), QStringList({"jx0001.tmp", "keep.txt", "vx0003.tmp.zip"}));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/sub/vx0009.tmp")));

    CFileUtilities::DeleteFiles(folder + QStringLiteral("/"), QStringLiteral("*.*"));
    EXPECT_TRUE(filesIn(folder).isEmpty());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/sub")).isDir());

    EXPECT_NO_THROW(
        CFileUtilities::DeleteFiles(home.file(QStringLiteral("missing")), QStringLiteral("*")));
}

TEST(CFileUtilities, DeleteFilesInTempNamesTheProgramsTemporaryFolder)
{
    const QString a = zentrel::CUtilities::TempFileName(QStringLiteral("vx"));
    const QString b = zentrel::CUtilities::TempFileName(QStringLiteral("jx"));
    touch(a);
    touch(b);
    CFileUtilities::DeleteFiles(QStringLiteral("%TEMP%"), QStringLiteral("vx*.tmp"));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_TRUE(QFileInfo::exists(b));
    CFileUtilities::DeleteFiles(QStringLiteral("%temp%\\"), QStringLiteral("jx*.tmp"));
    EXPECT_FALSE(QFileInfo::exists(b));
    zentrel::CUtilities::RemoveTempFolder();
}

TEST(CFileUtilities, WriteAndReadAreByteExact)
{
    testsupport::TempHome home;
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 256; ++i)
            bytes.append(static_cast<char>(i));
    bytes.append("\r\n\n\r", 4);
    const QString path = home.file(QStringLiteral("bytes.bin"));
    CFileUtilities::WriteFile(path, bytes);
    EXPECT_EQ(CFileUtilities::ReadFile(path), bytes);
    EXPECT_EQ(QFileInfo(path).size(), bytes.size());

    CFileUtilities::WriteFile(path, QByteArray("short"));
    EXPECT_EQ(CFileUtilities::ReadFile(path), QByteArray("short"));
    CFileUtilities::WriteFile(path, QByteArray());
    EXPECT_EQ(CFileUtilities::ReadFile(path), QByteArray());

    CFileUtilities::WriteFile(path, QStringLiteral("Grüße\r\n"));
    EXPECT_EQ(CFileUtilities::ReadFile(path), QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                         "e\r\n"));
}

TEST(CFileUtilities, FailuresNameTheFileAndTheCause)
{
    testsupport::TempHome home;
    const QString missing = home.file(QStringLiteral("nothing.txt"));
    EXPECT_FALSE(CFileUtilities::FileExists(missing));
    EXPECT_FALSE(CFileUtilities::FileExists(home.path()));

    QString error = errorOf([&] { CFileUtilities::ReadFile(missing); });
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();

    const QString intoMissingFolder = home.file(QStringLiteral("no/such/folder/file.txt"));
    error = errorOf([&] { CFileUtilities::WriteFile(intoMissingFolder, QByteArray("x")); });
    EXPECT_TRUE(error.contains(intoMissingFolder)) << error.toStdString();

    error = errorOf([&] { CFileUtilities::CopyFile(missing, home.file(QStringLiteral("copy"))); });
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();

    const QString file = home.file(QStringLiteral("file.txt"));
    touch(file);
    error = errorOf([&] { CFileUtilities::CreateFolder(file); });
    EXPECT_TRUE(error.contains(file)) << error.toStdString();
    error = errorOf([&] { CFileUtilities::CopyFile(file, intoMissingFolder); });
    EXPECT_TRUE(error.contains(intoMissingFolder)) << error.toStdString();
}

TEST(CFileUtilities, CopyFileReplacesTheDestinationAndCreateFolderAcceptsAnExistingOne)
{
    testsupport::TempHome home;
    const QString folder = home.file(QStringLiteral("Project/deeper"));
    CFileUtilities::CreateFolder(folder);
    EXPECT_NO_THROW(CFileUtilities::CreateFolder(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const QString source = home.file(QStringLiteral("Cache.tdb"));
    const QString destination = folder + QStringLiteral("/Cache.db");
    CFileUtilities::WriteFile(source, QByteArray("template"));
    CFileUtilities::WriteFile(destination, QByteArray("an older and longer content"));
    CFileUtilities::CopyFile(source, destination);
    EXPECT_TRUE(CFileUtilities::FileExists(destination));
    EXPECT_EQ(CFileUtilities::ReadFile(destination), QByteArray("template"));
    EXPECT_EQ(CFileUtilities::ReadFile(source), QByteArray("template"));
}
