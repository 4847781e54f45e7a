#include <memory>

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/feedback/FSendInfo.h"
#include "app/shell/MMain.h"
#include "app/shell/MSettings.h"
#include "app/shell/MsgScript.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/Folders.h"
#include "tests/app/feedback/FeedbackRecordXml.h"
#include "tests/app/feedback/FeedbackServer.h"
#include "tests/app/feedback/SentRecord.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;
using Values = std::vector<std::pair<QString, QString>>;

namespace {

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
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
        MSettings::setCache(cacheFile);
        MSettings::setProject(projectFile);
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
    const std::pair<const char*, const char*> counts[] = {{"fc", "2"},  {"kc", "3"}, {"gc", "1"},
                                                          {"gkc", "2"}, {"bc", "1"}, {"cc", "4"}};
    for (const auto& [name, count] : counts)
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
        {"empty Project setting", [] { MSettings::setProject(QString()); }},
        {"project file missing",
         [this] { MSettings::setProject(home.file(QStringLiteral("Gone.vxp"))); }},
        {"cache file missing",
         [this] { MSettings::setCache(home.file(QStringLiteral("Gone.vxc"))); }},
        {"project file not a database",
         [this] {
             QFile file(home.file(QStringLiteral("Text.vxp")));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("not a database");
             MSettings::setProject(file.fileName());
         }},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        MSettings::setCache(cacheFile);
        MSettings::setProject(projectFile);
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

TEST_F(FSendInfoTest, TheUsersFilesAreLeftAsTheyWere)
{
    makeProject();
    const QByteArray project = hashOf(projectFile);
    const QByteArray cache = hashOf(cacheFile);
    survey.txtReason()->setPlainText(QStringLiteral("why"));
    survey.cmdSend_Click();
    ASSERT_EQ(namesOf(sentValues()).size(), 8);
    EXPECT_EQ(hashOf(projectFile), project);
    EXPECT_EQ(hashOf(cacheFile), cache);
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
    EXPECT_EQ(MMain::Main({QStringLiteral("prog"), QStringLiteral(" /UNINSTALL ")}), 0);
    EXPECT_TRUE(found);
    QFile logFile(zentrel::Folders::dataPath(QStringLiteral("QuintaraKeywords.log")));
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(logFile.readAll().contains("****"));
}
