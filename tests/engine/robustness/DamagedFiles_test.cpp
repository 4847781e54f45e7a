#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/Folders.h"
#include "engine/platform/ZError.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;

namespace {
constexpr std::uint32_t kCannotOpenCache = 0x80040286u;
constexpr std::uint32_t kCannotOpenProject = 0x80040288u;
const char* const kChildFolder = "QUINTARA_DAMAGED_CHILD_FOLDER";
const char* const kChildWhich = "QUINTARA_DAMAGED_CHILD_WHICH";

enum class Which { Cache, Project };

// Everything in a folder but its logs folder: path -> kind, size, permissions and content hash.
std::map<QString, QString> snapshot(const QString& folder)
{
    std::map<QString, QString> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(folder).relativeFilePath(info.filePath());
        if (name.startsWith(QLatin1String("logs")))
            continue;
        QString state = QStringLiteral("%1 %2 %3")
                            .arg(info.isDir() ? "dir" : "file")
                            .arg(info.size())
                            .arg(static_cast<int>(info.permissions()), 0, 16);
        QFile file(info.filePath());
        if (info.isFile() && file.open(QIODevice::ReadOnly))
            state += QLatin1Char(' ') +
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        files[name] = state;
    }
    return files;
}

// The entries that differ, leaving out the -wal and -shm files of a sound file that was opened.
QString changes(const std::map<QString, QString>& before, const std::map<QString, QString>& after,
                const QString& opened)
{
    const QString openedName = QFileInfo(opened).fileName();
    QStringList differ;
    auto note = [&](const QString& name, const QString& was, const QString& is) {
        if (!opened.isEmpty() && (name == openedName + "-wal" || name == openedName + "-shm"))
            return;
        if (was != is)
            differ << name + ": " + was + " -> " + is;
    };
    for (const auto& [name, state] : before)
        note(name, state, after.count(name) ? after.at(name) : QStringLiteral("gone"));
    for (const auto& [name, state] : after)
        if (!before.count(name))
            note(name, QStringLiteral("absent"), state);
    return differ.join(QLatin1Char('\n'));
}

// A cache and a project with a few thousand rows each, closed again.
void makeDatabases(const QString& cacheFile, const QString& projectFile, const CLogPtr& log)
{
    DBaser db;
    db.Init(log);
    db.OpenCacheDB(cacheFile);
    db.OpenProjectDB(projectFile);
    CKeyedCollection keywords;
    for (int i = 0; i < 3000; ++i)
        keywords.Add(QStringLiteral("damaged file keyword %1").arg(i));
    CDataNode operation;
    db.AddKWs(keywords, operation);
    db.CacheDB()->execute(QStringLiteral("INSERT INTO Cache (KW, Count, dte) SELECT Normalized, "
                                         "pkKeyword, 45000 FROM Keyword"));
    db.Finalize();
}

struct Damage {
    const char* name;
    std::function<void(const QString& file)> apply;
    const char* cause; // words of the underlying description
};

void truncateToHalf(const QString& file)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_GT(f.size(), 16384);
    ASSERT_TRUE(f.resize(f.size() / 2));
}

void writeText(const QString& file)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray("These are my keywords, not a database.\n").repeated(200));
}

void makeReadOnly(const QString& file)
{
    ASSERT_TRUE(
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
}

void replaceByFolder(const QString& file)
{
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
}

void removeFile(const QString& file)
{
    ASSERT_TRUE(QFile::remove(file));
}

void PrintTo(const Damage& damage, std::ostream* os)
{
    *os << damage.name;
}

class DamagedFiles : public ::testing::TestWithParam<std::tuple<Damage, Which>> {};

// Opens the damaged file in this process; returns the error's number and description.
ZError openDamaged(const QString& folder, Which which, bool withoutTemplates)
{
    const auto log = std::make_shared<CLog>();
    log->Open(folder + "/logs/full.log", folder + "/logs/short.log");
    DBaser db;
    db.Init(log);
    if (withoutTemplates)
        db.setTemplateFolder(folder + "/no templates");
    try {
        if (which == Which::Project) {
            db.setTemplateFolder(Folders::binaryFolder());
            db.OpenCacheDB(folder + "/Default Cache.vxc");
            if (withoutTemplates)
                db.setTemplateFolder(folder + "/no templates");
            db.OpenProjectDB(folder + "/First Project.vxp");
        } else {
            db.OpenCacheDB(folder + "/Default Cache.vxc");
        }
    } catch (const ZError& error) {
        db.Finalize();
        return error;
    }
    db.Finalize();
    return ZError(0, QStringLiteral("the open succeeded"));
}

// A folder that others may enter, holding this binary with the engine beside it.
class ReachableCopy {
public:
    ReachableCopy()
    {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755));
        copy(QCoreApplication::applicationFilePath());
        const QDir engine(Folders::binaryFolder());
        for (const QString& name : engine.entryList({"libzentrel.so*", "*.tdb"}, QDir::Files))
            copy(engine.filePath(name));
    }

    QString program() const
    {
        return m_dir.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    }
    QString folder() const { return m_dir.path(); }

private:
    void copy(const QString& file)
    {
        const QString target = m_dir.filePath(QFileInfo(file).fileName());
        ASSERT_TRUE(QFile::copy(file, target)) << file.toStdString();
        QFile::setPermissions(target, QFileDevice::Permissions(0x7755));
    }

    QTemporaryDir m_dir;
};
} // namespace

// Root may write to a read-only file, so the read-only case runs its open in a child process
// that gives up root first; the child is this test binary, asked for this test alone. Nobody may
// not enter the checkout (a private folder), so the child runs from a copy of the binary, the
// engine library and the templates in a folder it can reach.
TEST(DamagedFilesChild, OpenOnce)
{
    const QByteArray folder = qgetenv(kChildFolder);
    if (folder.isEmpty())
        GTEST_SKIP() << "only run as the child of the read-only case";
    const ZError error =
        openDamaged(QString::fromLocal8Bit(folder),
                    qgetenv(kChildWhich) == "project" ? Which::Project : Which::Cache, false);
    QFile out(QString::fromLocal8Bit(folder) + "/logs/result.txt");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray::number(error.number()) + '\n' + error.description().toUtf8());
}

TEST_P(DamagedFiles, OpenFailsWithTheFileAndTheCauseAndChangesNothing)
{
    const auto& [damage, which] = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    ASSERT_TRUE(QDir(folder).mkpath("logs"));
    const QString cacheFile = folder + "/Default Cache.vxc";
    const QString projectFile = folder + "/First Project.vxp";
    {
        const auto log = std::make_shared<CLog>();
        log->Open(folder + "/logs/setup.log", folder + "/logs/setup-short.log");
        makeDatabases(cacheFile, projectFile, log);
    }
    for (const QString& extra : QDir(folder).entryList({"*-wal", "*-shm"}, QDir::Files))
        QFile::remove(folder + '/' + extra);
    const QString target = which == Which::Cache ? cacheFile : projectFile;
    damage.apply(target);
    if (::testing::Test::HasFatalFailure())
        return;
    const bool withoutTemplates = QString::fromLatin1(damage.name) == "missing_template";
    const bool asNobody = QString::fromLatin1(damage.name) == "read_only" && ::geteuid() == 0;
    if (asNobody) {
        // The child runs as nobody: the folder, the logs and the sound file stay usable by it.
        const auto all = QFileDevice::Permissions(0x7777);
        QFile::setPermissions(folder, all);
        QFile::setPermissions(folder + "/logs", all);
        if (which == Which::Project)
            QFile::setPermissions(cacheFile, all & ~(QFile::ExeOwner | QFile::ExeUser |
                                                     QFile::ExeGroup | QFile::ExeOther));
    }
    const auto before = snapshot(folder);

    ZError error(0, {});
    if (asNobody) {
        const ReachableCopy copy;
        QProcess child;
        child.setProgram(copy.program());
        child.setArguments({"--gtest_filter=DamagedFilesChild.OpenOnce"});
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_LIBRARY_PATH", copy.folder());
        env.insert(kChildFolder, folder);
        env.insert(kChildWhich, which == Which::Project ? "project" : "cache");
        child.setProcessEnvironment(env);
        child.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(97);
        });
        child.start();
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
        QFile result(folder + "/logs/result.txt");
        ASSERT_TRUE(result.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = result.readAll().split('\n');
        ASSERT_GE(lines.size(), 2);
        error = ZError(lines.at(0).toUInt(), QString::fromUtf8(lines.mid(1).join('\n')));
    } else {
        error = openDamaged(folder, which, withoutTemplates);
    }
    std::printf("[figures] %s: 0x%08x %s\n", damage.name, error.number(),
                error.description().toUtf8().constData());

    const std::uint32_t expected = which == Which::Cache ? kCannotOpenCache : kCannotOpenProject;
    EXPECT_EQ(error.number(), expected) << error.description().toStdString();
    const QString message = which == Which::Cache
                                ? QStringLiteral("Cannot open keywords cache database '%1'. ")
                                : QStringLiteral("Cannot open project database '%1'. ");
    EXPECT_TRUE(error.description().startsWith(message.arg(target)))
        << error.description().toStdString();
    EXPECT_TRUE(error.description().contains(QLatin1String(damage.cause), Qt::CaseInsensitive))
        << "the cause: " << error.description().toStdString();
    EXPECT_EQ(changes(before, snapshot(folder), which == Which::Project ? cacheFile : QString()),
              QString())
        << "no file changed";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFiles,
    ::testing::Combine(::testing::Values(Damage{"truncated", truncateToHalf, "malformed"},
                                         Damage{"not_a_database", writeText, "not a database"},
                                         Damage{"read_only", makeReadOnly, "read"},
                                         Damage{"directory", replaceByFolder, "open"},
                                         Damage{"missing_template", removeFile, "tdb"}),
                       ::testing::Values(Which::Cache, Which::Project)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == Which::Cache ? "_cache" : "_project");
    });
