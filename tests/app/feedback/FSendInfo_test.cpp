#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

#include <sqlite3.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/feedback/FSendInfo.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "tests/app/feedback/FeedbackRecordXml.h"
#include "tests/app/feedback/FeedbackServer.h"
#include "tests/app/feedback/SentRecord.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
using Values = std::vector<std::pair<QString, QString>>;

namespace {

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A database file and its journal files as a reader must leave them: which exist, their bytes,
// their modification times and their permissions.
QString stateOf(const QString& path)
{
    QStringList state;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        const QFileInfo file(path + QLatin1String(suffix));
        state << file.fileName() +
                     (file.exists() ? QStringLiteral(" %1 %2 %3")
                                          .arg(QString::fromLatin1(hashOf(file.filePath()).toHex()))
                                          .arg(file.lastModified().toMSecsSinceEpoch())
                                          .arg(static_cast<int>(file.permissions()))
                                    : QStringLiteral(" absent"));
    }
    return state.join(QLatin1Char('\n'));
}

// The journal mode byte pair of the file's header: 1 rollback journal, 2 write-ahead log.
int headerJournalMode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.at(18) == header.at(19) ? header.at(18) : -1;
}

// Leaves the file in rollback-journal mode, as the sqlite3 client and older builds do: with the
// client when it is installed, else with the library.
void toRollbackJournal(const QString& path)
{
    const QString client = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!client.isEmpty()) {
        QProcess process;
        process.start(client, {path, QStringLiteral("PRAGMA journal_mode=DELETE;")});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.readAllStandardOutput().trimmed(), QByteArray("delete"));
    } else {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    ASSERT_EQ(headerJournalMode(path), 1);
}

// Another program's write transaction on a file in rollback-journal mode, which keeps every
// reader out until release() or the deadline.
class LockHolder {
public:
    LockHolder(const QString& path, std::chrono::milliseconds deadline)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_locked = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
        m_thread = std::thread([this, deadline] {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, deadline, [this] { return m_released; });
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        });
    }
    ~LockHolder()
    {
        release();
        m_thread.join();
        sqlite3_close(m_db);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool locked() const { return m_locked; }
    void release()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
    }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    std::thread m_thread;
};

// The temporary folders of this process.
QStringList ownTempFolders()
{
    return QDir(QDir::tempPath())
        .entryList(
            {QStringLiteral("quintara-keywords-%1-*").arg(QCoreApplication::applicationPid())},
            QDir::Dirs | QDir::NoDotAndDotDot);
}

class FSendInfoTest : public ::testing::Test {
protected:
    FSendInfoTest()
    {
        log->Open(home.file(QStringLiteral("QuintaraKeywords.log")),
                  home.file(QStringLiteral("short.log")));
        log->Write(0, QStringLiteral("****"), 5, QStringLiteral("Main.MMain"));
        survey.init(log);
        survey.show();
    }

    // A project with 2 candidates, 3 kept keywords (2 of them in one group), 1 banned one, and
    // a cache of 4 counts; both files named in the settings.
    void makeProject()
    {
        {
            zentrel::DBaser db;
            db.Init(log);
            db.OpenCacheDB(cacheFile);
            db.OpenProjectDB(projectFile);
            const auto add = [&db](const QString& kw, const QVariant& relevancy) {
                return db.ProjectDB()->addRow(QStringLiteral("Keyword"),
                                              {QStringLiteral("KW"), QStringLiteral("Normalized"),
                                               QStringLiteral("Relevancy")},
                                              {kw, kw, relevancy});
            };
            add(QStringLiteral("raw one"), QVariant());
            add(QStringLiteral("raw two"), QVariant());
            zentrel::CKeyedCollection grouped;
            grouped.Add(add(QStringLiteral("kept one"), 4));
            grouped.Add(add(QStringLiteral("kept two"), 5));
            add(QStringLiteral("kept three"), 1);
            add(QStringLiteral("banned"), 0);
            db.AddToGroup(grouped, db.AddGroup(QStringLiteral("group")));
            for (int i = 0; i < 4; ++i)
                db.CacheDB()->addRow(QStringLiteral("Cache"),
                                     {QStringLiteral("KW"), QStringLiteral("Count")},
                                     {QStringLiteral("cached %1").arg(i), i * 10});
            db.Finalize();
        }
        ProgramSettings::setCache(cacheFile);
        ProgramSettings::setProject(projectFile);
    }

    Values sentValues(std::size_t request = 0) const
    {
        const auto requests = server.requests();
        if (requests.size() <= request)
            return {};
        return recordValues(decodeBody(requests[request].body).xml);
    }

    testsupport::TempHome home;
    FeedbackServer server;
    testsupport::ScopedEnv host{"QUINTARA_FEEDBACK_HOST", server.host().toUtf8()};
    std::shared_ptr<zentrel::CLog> log = std::make_shared<zentrel::CLog>();
    QString cacheFile = home.file(QStringLiteral("Cache.vxc"));
    QString projectFile = home.file(QStringLiteral("Project.vxp"));
    MsgScript script;
    FSendInfo survey;
    QSignalSpy ends{&survey, &FSendInfo::EndProgram};
};

const QStringList kCounts{QStringLiteral("fc"),  QStringLiteral("kc"), QStringLiteral("gc"),
                          QStringLiteral("gkc"), QStringLiteral("bc"), QStringLiteral("cc")};
// The counts of makeProject's files.
const std::pair<const char*, const char*> kExpected[] = {{"fc", "2"},  {"kc", "3"}, {"gc", "1"},
                                                         {"gkc", "2"}, {"bc", "1"}, {"cc", "4"}};

} // namespace

TEST_F(FSendInfoTest, AnEmptyReasonIsRefused)
{
    EXPECT_EQ(survey.windowTitle(), QStringLiteral("Quintara Keywords Uninstall"));
    survey.cmdSend_Click();
    const auto shown = script.shown(MsgService::Kind::Message);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].prompt, QStringLiteral("The reason cannot be empty. "));
    EXPECT_EQ(shown[0].style, MsgService::Exclamation);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(ends.count(), 0);
    EXPECT_TRUE(survey.isVisible());
}

TEST_F(FSendInfoTest, TheReasonCountsAndLogAreSentThenThankYouEndsTheProgram)
{
    makeProject();
    survey.txtReason()->setPlainText(QStringLiteral("Too slow & <big>\nSorry"));
    survey.cmdSend_Click();
    const Values values = sentValues();
    EXPECT_EQ(namesOf(values),
              QStringList{QStringLiteral("reason")} + kCounts + QStringList{QStringLiteral("log")});
    EXPECT_EQ(valueOf(values, QStringLiteral("reason")), QStringLiteral("Too slow & <big>\nSorry"));
    for (const auto& [name, count] : kExpected)
        EXPECT_EQ(valueOf(values, QString::fromLatin1(name)), QString::fromLatin1(count)) << name;
    EXPECT_TRUE(valueOf(values, QStringLiteral("log")).contains(u"****"));
    EXPECT_TRUE(decodeBody(server.requests()[0].body).subject.startsWith(u"VX\\Uninstall\\"));

    const auto shown = script.shown(MsgService::Kind::Message);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].prompt, QStringLiteral("Thank you. "));
    EXPECT_EQ(shown[0].style, MsgService::Information);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_FALSE(survey.isVisible());
}

TEST_F(FSendInfoTest, AReasonOfBlanksIsSentWithoutTheReason)
{
    makeProject();
    survey.txtReason()->setPlainText(QStringLiteral("  \n "));
    survey.cmdSend_Click();
    EXPECT_EQ(namesOf(sentValues()), kCounts + QStringList{QStringLiteral("log")});
    EXPECT_EQ(ends.count(), 1);
}

TEST_F(FSendInfoTest, NoCountsWithoutBothSettingsOrFilesThatOpen)
{
    makeProject();
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"no Cache setting",
         [] { QFile::remove(zentrel::CRegistry::fileOf(zentrel::CRegistry::kLocalMachine)); }},
        {"empty Project setting", [] { ProgramSettings::setProject(QString()); }},
        {"project file missing",
         [this] { ProgramSettings::setProject(home.file(QStringLiteral("Gone.vxp"))); }},
        {"cache file missing",
         [this] { ProgramSettings::setCache(home.file(QStringLiteral("Gone.vxc"))); }},
        {"project file not a database",
         [this] {
             QFile file(home.file(QStringLiteral("Text.vxp")));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("not a database");
             ProgramSettings::setProject(file.fileName());
         }},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        ProgramSettings::setCache(cacheFile);
        ProgramSettings::setProject(projectFile);
        c.arrange();
        const QByteArray before = hashOf(home.file(QStringLiteral("Text.vxp")));
        FSendInfo form;
        form.init(log);
        form.txtReason()->setPlainText(QStringLiteral("why"));
        form.cmdSend_Click();
        ASSERT_EQ(server.requests().size(), ++sent);
        EXPECT_EQ(namesOf(sentValues(sent - 1)),
                  (QStringList{QStringLiteral("reason"), QStringLiteral("log")}))
            << c.what;
        // Nothing was created or changed on the way.
        EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Gone.vxp")))) << c.what;
        EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Gone.vxc")))) << c.what;
        EXPECT_EQ(hashOf(home.file(QStringLiteral("Text.vxp"))), before) << c.what;
    }
}

TEST_F(FSendInfoTest, TheUsersFilesAreReadAsTheyAreAndLeftAsTheyWere)
{
    makeProject();
    struct Case {
        const char* what;
        bool rollbackJournal; // as the sqlite3 client and older builds leave a file
        bool readOnlyFiles;
        bool readOnlyFolder;
    };
    const Case cases[] = {
        {"write-ahead log, as this program leaves the files", false, false, false},
        {"rollback journal", true, false, false},
        {"rollback journal, read-only files", true, true, false},
        {"write-ahead log, read-only files", false, true, false},
        {"rollback journal, in a folder the user may not write", true, true, true},
        {"write-ahead log, in a folder the user may not write", false, true, true},
    };
    const QFile::Permissions readOnly =
        QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    int folderNumber = 0;
    for (const Case& c : cases) {
        const QString folder = home.file(QString::number(++folderNumber));
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString cache = QDir(folder).filePath(QStringLiteral("Cache.vxc"));
        const QString project = QDir(folder).filePath(QStringLiteral("Project.vxp"));
        ASSERT_TRUE(QFile::copy(cacheFile, cache));
        ASSERT_TRUE(QFile::copy(projectFile, project));
        for (const QString& file : {cache, project}) {
            if (c.rollbackJournal)
                toRollbackJournal(file);
            if (c.readOnlyFiles) {
                ASSERT_TRUE(QFile::setPermissions(file, readOnly));
            }
        }
        // As root the permissions stop nothing; what is compared then is that nothing was
        // written.
        const QFile::Permissions folderPermissions = QFile::permissions(folder);
        if (c.readOnlyFolder) {
            ASSERT_TRUE(QFile::setPermissions(folder, readOnly | QFile::ExeOwner | QFile::ExeUser));
        }
        const auto restore = qScopeGuard([&] { QFile::setPermissions(folder, folderPermissions); });
        const QString cacheBefore = stateOf(cache);
        const QString projectBefore = stateOf(project);
        const QStringList folderBefore = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
        ProgramSettings::setCache(cache);
        ProgramSettings::setProject(project);

        FSendInfo form;
        form.init(log);
        form.txtReason()->setPlainText(QStringLiteral("why"));
        form.cmdSend_Click();
        const Values values = sentValues(server.requests().size() - 1);
        for (const auto& [name, count] : kExpected)
            EXPECT_EQ(valueOf(values, QString::fromLatin1(name)), QString::fromLatin1(count))
                << name << ", " << c.what;
        EXPECT_EQ(stateOf(cache), cacheBefore) << c.what;
        EXPECT_EQ(stateOf(project), projectBefore) << c.what;
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), folderBefore) << c.what;
    }
}

TEST_F(FSendInfoTest, AFileInUseIsReadWithWhatItsLogHoldsAndLeftAsItWas)
{
    makeProject();
    // Another program has the project open with a change not yet copied into the file.
    const auto other = zentrel::SqlConnection::open(projectFile);
    other->exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0; INSERT INTO Keyword (KW, "
                               "Normalized) VALUES ('raw three', 'raw three')"));
    ASSERT_TRUE(QFileInfo::exists(projectFile + QStringLiteral("-wal")));
    const QByteArray file = hashOf(projectFile);
    const QByteArray wal = hashOf(projectFile + QStringLiteral("-wal"));
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    survey.cmdSend_Click();
    EXPECT_EQ(valueOf(sentValues(), QStringLiteral("fc")), QStringLiteral("3"));
    EXPECT_EQ(hashOf(projectFile), file);
    EXPECT_EQ(hashOf(projectFile + QStringLiteral("-wal")), wal);
}

TEST_F(FSendInfoTest, ALockedFileIsGivenUpWithinABoundAndOnlyItsCountsAreLeftOut)
{
    makeProject();
    for (const QString& file : {cacheFile, projectFile})
        toRollbackJournal(file);
    struct Case {
        const char* what;
        QString locked;
        QStringList sent;
    };
    const Case cases[] = {
        {"project locked",
         projectFile,
         {QStringLiteral("reason"), QStringLiteral("cc"), QStringLiteral("log")}},
        {"cache locked", cacheFile,
         QStringList{QStringLiteral("reason")} + kCounts.mid(0, 5) +
             QStringList{QStringLiteral("log")}},
    };
    for (const Case& c : cases) {
        const QString before = stateOf(c.locked);
        // Held longer than the survey may wait, not for ever.
        LockHolder holder(c.locked, 20s);
        ASSERT_TRUE(holder.locked()) << c.what;
        FSendInfo form;
        form.init(log);
        form.txtReason()->setPlainText(QStringLiteral("why"));
        QElapsedTimer elapsed;
        elapsed.start();
        form.cmdSend_Click();
        // The survey waits about a second.
        EXPECT_LT(elapsed.elapsed(), 8000) << c.what;
        holder.release();
        EXPECT_EQ(namesOf(sentValues(server.requests().size() - 1)), c.sent) << c.what;
        EXPECT_TRUE(form.ended()) << c.what;
        EXPECT_EQ(stateOf(c.locked), before) << c.what;
    }
}

TEST_F(FSendInfoTest, TheEndOfTheSurveyTakesItsTemporaryFolderAway)
{
    struct Case {
        const char* what;
        int status;
    };
    const Case cases[] = {{"sent", 200}, {"failed, then cancelled", 503}};
    for (const Case& c : cases) {
        server.answer(c.status, c.status == 200 ? "OK" : "Busy");
        script.answer(MsgService::Cancel); // the retry box after a failure
        FSendInfo form;
        form.init(log);
        form.show();
        form.txtReason()->setPlainText(QStringLiteral("why"));
        form.cmdSend_Click();
        if (!form.ended()) {
            EXPECT_EQ(ownTempFolders().size(), 1) << c.what; // kept for the next try
            form.cmdCancel()->click();
        }
        ASSERT_TRUE(form.ended()) << c.what;
        EXPECT_EQ(ownTempFolders(), QStringList()) << c.what;
    }
}

TEST_F(FSendInfoTest, ACountThatCannotBeTakenIsLeftOut)
{
    makeProject();
    {
        zentrel::DBaser db;
        db.Init(log);
        db.OpenCacheDB(cacheFile);
        db.OpenProjectDB(projectFile);
        db.ProjectDB()->execute(QStringLiteral("DROP TABLE project.\"Group\""));
        db.Finalize();
    }
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    survey.cmdSend_Click();
    const Values values = sentValues();
    EXPECT_FALSE(namesOf(values).contains(QStringLiteral("gc")));
    EXPECT_EQ(valueOf(values, QStringLiteral("kc")), QStringLiteral("3"));
    EXPECT_EQ(valueOf(values, QStringLiteral("cc")), QStringLiteral("4"));
}

TEST_F(FSendInfoTest, RetrySendsTheSameRecordAndCancelLeavesTheFormOpenAndEnabled)
{
    makeProject();
    server.answer(503, "Busy");
    script.answer(MsgService::Retry);
    script.answer(MsgService::Retry);
    script.answer(MsgService::Cancel);
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    survey.cmdSend_Click();

    ASSERT_EQ(server.requests().size(), 3u);
    // Gathered once: the failure lines logged between the tries are not in the later records.
    EXPECT_EQ(sentValues(1), sentValues(0));
    EXPECT_EQ(sentValues(2), sentValues(0));
    EXPECT_FALSE(valueOf(sentValues(2), QStringLiteral("log")).contains(u"Cannot contact."));
    const auto shown = script.shown(MsgService::Kind::Message);
    ASSERT_EQ(shown.size(), 3);
    for (const auto& box : shown) {
        EXPECT_EQ(box.prompt, QStringLiteral("The operation could not be completed. Ensure that "
                                             "you are online now. "));
        EXPECT_EQ(box.style, 53);
    }
    QFile logFile(log->LogFile());
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(logFile.readAll())
                  .count(QStringLiteral("\t4\t0x80040401\tFSendInfo.cmdSend_Click\tCannot "
                                        "contact. Busy")),
              3);
    EXPECT_EQ(ends.count(), 0);
    EXPECT_TRUE(survey.isVisible());
    EXPECT_TRUE(survey.cmdSend()->isEnabled());
    EXPECT_TRUE(survey.cmdCancel()->isEnabled());
    EXPECT_TRUE(survey.txtReason()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FSendInfoTest, CancelAndTheCloseBoxEndTheProgramWithoutSending)
{
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    survey.cmdCancel()->click();
    EXPECT_EQ(ends.count(), 1);
    FSendInfo other;
    QSignalSpy otherEnds(&other, &FSendInfo::EndProgram);
    other.show();
    other.close();
    EXPECT_EQ(otherEnds.count(), 1);
    EXPECT_FALSE(other.isVisible());
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FSendInfoTest, ClosingDuringTheWaitCancelsTheSendAndEnds)
{
    server.answer(200, "OK", 30s);
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    QTimer::singleShot(100ms, &survey, [this] { survey.close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    survey.cmdSend_Click();
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_TRUE(script.shown().isEmpty());
    EXPECT_FALSE(survey.isVisible());
}

TEST(MMainUninstall, TheSurveyRunsAloneUntilItEndsTheProgram)
{
    const testsupport::TempHome home;
    const MsgScript script;
    bool found = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* survey = qobject_cast<FSendInfo*>(widget);
            if (survey && survey->isVisible() && !found) {
                found = true;
                survey->cmdCancel()->click();
            }
        }
    });
    poll.start();
    QTimer::singleShot(20s, qApp, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(MMain::Main({QStringLiteral("prog"), QStringLiteral(" /UNINSTALL ")},
                          ProgramWiring().hooks()),
              0);
    EXPECT_TRUE(found);
    QFile logFile(zentrel::Folders::dataPath(QStringLiteral("QuintaraKeywords.log")));
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(logFile.readAll().contains("****"));
}
