#include <functional>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/feedback/cZip.h"
#include "tests/app/feedback/ZipReader.h"

namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QStringList namesOf(const ZipContent& content)
{
    QStringList names;
    for (const ZipEntry& entry : content.entries)
        names << entry.name;
    return names;
}

} // namespace

TEST(cZip, NewObjectStoresNoFolderNamesNoDirectoriesAndDoesNotRecurse)
{
    const cZip zip;
    EXPECT_FALSE(zip.StoreFolderNames());
    EXPECT_FALSE(zip.StoreDirectories());
    EXPECT_FALSE(zip.RecurseSubDirs());
    ZpOptions expected;
    expected.fNoDirEntries = 1;
    expected.fJunkDir = 1;
    EXPECT_EQ(zip.options(), expected);
    EXPECT_EQ(zip.MessageLevel(), 2);
    EXPECT_EQ(zip.FileSpecCount(), 0);
}

TEST(cZip, EachPropertyStoresOnlyItsOwnField)
{
    struct Case {
        const char* name;
        std::function<void(cZip&, bool)> set;
        std::function<bool(const cZip&)> get;
        int ZpOptions::*field;
        int whenTrue;
        int whenFalse;
    };
    const Case cases[] = {
        {"Encrypt", &cZip::setEncrypt, &cZip::Encrypt, &ZpOptions::fEncrypt, 1, 0},
        {"IncludeSystemAndHiddenFiles", &cZip::setIncludeSystemAndHiddenFiles,
         &cZip::IncludeSystemAndHiddenFiles, &ZpOptions::fSystem, 1, 0},
        {"StoreVolumeLabel", &cZip::setStoreVolumeLabel, &cZip::StoreVolumeLabel,
         &ZpOptions::fVolume, 1, 0},
        {"StoreDirectories", &cZip::setStoreDirectories, &cZip::StoreDirectories,
         &ZpOptions::fNoDirEntries, 0, 1},
        {"StoreFolderNames", &cZip::setStoreFolderNames, &cZip::StoreFolderNames,
         &ZpOptions::fJunkDir, 0, 1},
        {"RecurseSubDirs", &cZip::setRecurseSubDirs, &cZip::RecurseSubDirs, &ZpOptions::fRecurse, 2,
         0},
        {"UpdateOnlyIfNewer", &cZip::setUpdateOnlyIfNewer, &cZip::UpdateOnlyIfNewer,
         &ZpOptions::fUpdate, 1, 0},
        {"FreshenFiles", &cZip::setFreshenFiles, &cZip::FreshenFiles, &ZpOptions::fFreshen, 1, 0},
        {"ConvertCRLFToLF", &cZip::setConvertCRLFToLF, &cZip::ConvertCRLFToLF, &ZpOptions::fCRLF_LF,
         1, 0},
        {"ConvertLFToCRLF", &cZip::setConvertLFToCRLF, &cZip::ConvertLFToCRLF, &ZpOptions::fLF_CRLF,
         1, 0},
        {"AllowAppend", &cZip::setAllowAppend, &cZip::AllowAppend, &ZpOptions::fGrow, 1, 0},
    };
    for (const Case& c : cases) {
        for (const bool value : {true, false, true}) {
            cZip zip;
            ZpOptions expected = zip.options();
            c.set(zip, value);
            expected.*c.field = value ? c.whenTrue : c.whenFalse;
            EXPECT_EQ(zip.options(), expected) << c.name << " = " << value;
            EXPECT_EQ(c.get(zip), value) << c.name;
        }
    }
}

TEST(cZip, MessageLevelSetsVerboseAndQuiet)
{
    struct Case {
        int level;
        int verbose;
        int quiet;
        int readBack;
    };
    const Case cases[] = {{0, 1, 0, 0}, {1, 0, 1, 1}, {2, 0, 0, 2}};
    for (const Case& c : cases) {
        cZip zip;
        zip.setMessageLevel(c.level);
        EXPECT_EQ(zip.options().fVerbose, c.verbose) << c.level;
        EXPECT_EQ(zip.options().fQuiet, c.quiet) << c.level;
        EXPECT_EQ(zip.MessageLevel(), c.readBack) << c.level;
        // Another value changes nothing.
        const ZpOptions before = zip.options();
        zip.setMessageLevel(7);
        EXPECT_EQ(zip.options(), before);
    }
}

TEST(cZip, FileSpecificationsAreOneBased)
{
    cZip zip;
    EXPECT_EQ(zip.AddFileSpec(QStringLiteral("a.xml")), 1);
    EXPECT_EQ(zip.AddFileSpec(QStringLiteral("*.txt")), 2);
    EXPECT_EQ(zip.FileSpecCount(), 2);
    EXPECT_EQ(zip.FileSpec(1), QStringLiteral("a.xml"));
    EXPECT_EQ(zip.FileSpec(2), QStringLiteral("*.txt"));
    EXPECT_TRUE(zip.FileSpec(3).isEmpty());
    zip.ClearFileSpecs();
    EXPECT_EQ(zip.FileSpecCount(), 0);
}

TEST(cZip, OneFileGoesInDeflatedUnderItsBareNameWithoutComment)
{
    const QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("deep/er/record.xml"));
    const QByteArray data = QByteArray("<xml>") + QByteArray(5000, 'a') + "</xml>";
    writeFile(source, data);
    cZip zip;
    const QString archive = dir.filePath(QStringLiteral("out.zip"));
    zip.setZipFile(archive);
    zip.AddFileSpec(source);
    QSignalSpy progress(&zip, &cZip::Progress);
    ASSERT_TRUE(zip.Zip()) << zip.lastError().toStdString();

    const ZipContent content = readZipFile(archive);
    ASSERT_TRUE(content.opened);
    ASSERT_EQ(content.entries.size(), 1u);
    EXPECT_EQ(content.entries[0].name, QStringLiteral("record.xml"));
    EXPECT_EQ(content.entries[0].method, ZIP_CM_DEFLATE);
    EXPECT_EQ(content.entries[0].data, data);
    EXPECT_TRUE(content.comment.isEmpty());
    EXPECT_LT(QFileInfo(archive).size(), data.size());
    ASSERT_EQ(progress.count(), 1);
    EXPECT_EQ(progress[0][1].toString(), QStringLiteral("  adding: record.xml"));
}

TEST(cZip, AnExistingArchiveIsReplacedAndLosesItsComment)
{
    const QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("old.zip"));
    writeFile(dir.filePath(QStringLiteral("new.txt")), "new");
    for (const bool append : {false, true}) {
        int error = 0;
        zip_t* old =
            zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(old, nullptr);
        zip_set_archive_comment(old, "old comment", 11);
        zip_file_add(old, "old.txt", zip_source_buffer(old, "x", 1, 0), 0);
        ASSERT_EQ(zip_close(old), 0);
        cZip zip;
        zip.setZipFile(archive);
        zip.setAllowAppend(append);
        zip.AddFileSpec(dir.filePath(QStringLiteral("new.txt")));
        ASSERT_TRUE(zip.Zip());
        const ZipContent content = readZipFile(archive);
        EXPECT_TRUE(content.comment.isEmpty());
        EXPECT_EQ(namesOf(content).contains(QStringLiteral("old.txt")), append);
        EXPECT_TRUE(namesOf(content).contains(QStringLiteral("new.txt")));
    }
}

TEST(cZip, AFailedArchiveIsReportedAndLeavesNoFile)
{
    const QTemporaryDir dir;
    struct Case {
        const char* what;
        QString archive;
        QString spec;
    };
    const Case cases[] = {
        {"missing file", dir.filePath(QStringLiteral("a.zip")),
         dir.filePath(QStringLiteral("missing.xml"))},
        {"pattern matching nothing", dir.filePath(QStringLiteral("b.zip")),
         dir.filePath(QStringLiteral("*.none"))},
        {"archive in a missing folder", dir.filePath(QStringLiteral("no/such/c.zip")), QString()},
    };
    writeFile(dir.filePath(QStringLiteral("there.xml")), "x");
    for (const Case& c : cases) {
        cZip zip;
        zip.setZipFile(c.archive);
        zip.AddFileSpec(c.spec.isEmpty() ? dir.filePath(QStringLiteral("there.xml")) : c.spec);
        EXPECT_FALSE(zip.Zip()) << c.what;
        EXPECT_FALSE(zip.lastError().isEmpty()) << c.what;
        EXPECT_FALSE(QFileInfo::exists(c.archive)) << c.what;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("there.xml")});
}

TEST(cZip, BasePathResolvesNamesWithoutChangingTheCurrentFolder)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("base/sub/a.txt")), "a");
    writeFile(dir.filePath(QStringLiteral("base/sub/inner/b.txt")), "b");
    writeFile(dir.filePath(QStringLiteral("base/sub/.hidden")), "h");
    const QString before = QDir::currentPath();
    cZip zip;
    zip.setBasePath(dir.filePath(QStringLiteral("base")));
    zip.setZipFile(QStringLiteral("out.zip"));
    zip.setStoreFolderNames(true);
    zip.setStoreDirectories(true);
    zip.setRecurseSubDirs(true);
    zip.AddFileSpec(QStringLiteral("sub"));
    ASSERT_TRUE(zip.Zip()) << zip.lastError().toStdString();
    EXPECT_EQ(QDir::currentPath(), before);

    const ZipContent content = readZipFile(dir.filePath(QStringLiteral("base/out.zip")));
    ASSERT_TRUE(content.opened);
    EXPECT_EQ(namesOf(content),
              (QStringList{QStringLiteral("sub/"), QStringLiteral("sub/inner/"),
                           QStringLiteral("sub/a.txt"), QStringLiteral("sub/inner/b.txt")}));
}

TEST(cZip, WildcardsPickMatchingFilesAndHiddenOnesOnlyWhenAsked)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("one.txt")), "1");
    writeFile(dir.filePath(QStringLiteral("two.txt")), "2");
    writeFile(dir.filePath(QStringLiteral(".three.txt")), "3");
    writeFile(dir.filePath(QStringLiteral("four.xml")), "4");
    for (const bool hidden : {false, true}) {
        cZip zip;
        zip.setZipFile(dir.filePath(QStringLiteral("out.zip")));
        zip.setIncludeSystemAndHiddenFiles(hidden);
        zip.AddFileSpec(dir.filePath(QStringLiteral("*.txt")));
        ASSERT_TRUE(zip.Zip());
        QStringList expected{QStringLiteral("one.txt"), QStringLiteral("two.txt")};
        if (hidden)
            expected.prepend(QStringLiteral(".three.txt"));
        EXPECT_EQ(namesOf(readZipFile(dir.filePath(QStringLiteral("out.zip")))), expected);
    }
}

TEST(cZip, LineEndsAreConvertedWhenAsked)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("t.txt")), "a\r\nb\nc");
    struct Case {
        bool toLF;
        bool toCRLF;
        QByteArray expected;
    };
    const Case cases[] = {
        {false, false, "a\r\nb\nc"}, {true, false, "a\nb\nc"}, {false, true, "a\r\nb\r\nc"}};
    for (const Case& c : cases) {
        cZip zip;
        zip.setZipFile(dir.filePath(QStringLiteral("out.zip")));
        zip.setConvertCRLFToLF(c.toLF);
        zip.setConvertLFToCRLF(c.toCRLF);
        zip.AddFileSpec(dir.filePath(QStringLiteral("t.txt")));
        ASSERT_TRUE(zip.Zip());
        EXPECT_EQ(readZipFile(dir.filePath(QStringLiteral("out.zip"))).entries.at(0).data,
                  c.expected);
    }
}

TEST(cZip, DeleteRemovesTheNamedEntriesOnly)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("a.txt")), "a");
    writeFile(dir.filePath(QStringLiteral("b.xml")), "b");
    cZip zip;
    zip.setZipFile(dir.filePath(QStringLiteral("out.zip")));
    zip.AddFileSpec(dir.filePath(QStringLiteral("a.txt")));
    zip.AddFileSpec(dir.filePath(QStringLiteral("b.xml")));
    ASSERT_TRUE(zip.Zip());
    zip.ClearFileSpecs();
    zip.AddFileSpec(QStringLiteral("*.txt"));
    ASSERT_TRUE(zip.Delete());
    EXPECT_EQ(zip.options().fDeleteEntries, 0);
    EXPECT_EQ(namesOf(readZipFile(dir.filePath(QStringLiteral("out.zip")))),
              QStringList{QStringLiteral("b.xml")});
    EXPECT_FALSE(zip.Delete()); // nothing left to match
}

TEST(cZip, QuietLevelReportsNothing)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("a.txt")), "a");
    cZip zip;
    zip.setMessageLevel(1);
    zip.setZipFile(dir.filePath(QStringLiteral("out.zip")));
    zip.AddFileSpec(dir.filePath(QStringLiteral("a.txt")));
    QSignalSpy progress(&zip, &cZip::Progress);
    ASSERT_TRUE(zip.Zip());
    EXPECT_EQ(progress.count(), 0);
}

TEST(cZip, EncryptionAsksForThePasswordAndCancelsWithoutOne)
{
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("a.txt")), "secret");
    for (const QString& answer : {QStringLiteral("  "), QStringLiteral("pw")}) {
        cZip zip;
        zip.setEncrypt(true);
        zip.setZipFile(dir.filePath(QStringLiteral("enc.zip")));
        zip.AddFileSpec(dir.filePath(QStringLiteral("a.txt")));
        int asked = 0;
        QObject::connect(&zip, &cZip::PasswordRequest, &zip, [&](QString& password, bool&) {
            ++asked;
            password = answer;
        });
        EXPECT_EQ(zip.Zip(), !answer.trimmed().isEmpty());
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(QFileInfo::exists(dir.filePath(QStringLiteral("enc.zip"))),
                  !answer.trimmed().isEmpty());
    }
}
