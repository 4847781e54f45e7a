// One program per data folder: a second start is told and ends, leaving the first alone; a lock
// left by a run that died does not count.
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/DBaser.h"
#include "engine/platform/Folders.h"
#include "engine/research/Scripting.h"
#include "tests/app/shell/ProgramRun.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kAlreadyRunning = QStringLiteral("Quintara Keywords is already running.");

QString lockFile()
{
    return zentrel::Folders::dataPath(QStringLiteral("VXWorking"));
}

// A second start: refused with the message, having started nothing.
void expectRefused()
{
    MsgScript script;
    ProgramWiring wiring;
    FMain second;
    wiring.wire(second);
    EXPECT_FALSE(second.Form_Load());
    ASSERT_EQ(script.shown().size(), 1);
    EXPECT_EQ(script.shown().first().prompt, kAlreadyRunning);
    EXPECT_EQ(script.shown().first().style, MsgService::Exclamation);
    EXPECT_EQ(second.scripting(), nullptr) << "no engine, no database opened";
}

} // namespace

TEST(RunLock, ASecondStartIsToldAndEndsAndTheFirstRunsOn)
{
    testsupport::TempHome home;
    MsgScript script;
    {
        ProgramWiring wiring;
        FMain first;
        wiring.wire(first);
        ASSERT_TRUE(first.Form_Load());
        const QString project = ProgramSettings::project().value_or(QString());
        expectRefused();
        {
            // A run that has held its lock for a long time still holds it.
            QFile lock(lockFile());
            ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
            ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                         QFileDevice::FileModificationTime));
        }
        expectRefused();
        EXPECT_TRUE(QFile::exists(lockFile()));
        ASSERT_NE(first.database(), nullptr);
        EXPECT_TRUE(first.database()->ProjectDBOpened());
        EXPECT_EQ(first.database()->GetCount(123), 0);
        EXPECT_EQ(ProgramSettings::project().value_or(QString()), project);
        first.close();
        EXPECT_FALSE(QFile::exists(lockFile())) << "the end lets the lock go";
    }
    ProgramWiring wiring;
    FMain next;
    wiring.wire(next);
    EXPECT_TRUE(next.Form_Load()) << "a start after the first ended";
    EXPECT_TRUE(script.shown().isEmpty());
}

// The program running in a process of its own holds the lock; killed, it leaves its lock file
// behind, which the next start takes over.
TEST(RunLock, TheLockOfARunningProgramHoldsAndThatOfAKilledOneDoesNot)
{
    testsupport::TempHome home;
    QTemporaryDir temp;
    ProgramRun program(home.path(), temp.path());
    ASSERT_TRUE(program.start());
    expectRefused();
    EXPECT_EQ(program.process().state(), QProcess::Running) << "the first runs on";

    program.process().kill();
    ASSERT_TRUE(program.process().waitForFinished());
    ASSERT_TRUE(QFile::exists(lockFile())) << "a killed run leaves its lock file";
    MsgScript script;
    ProgramWiring wiring;
    FMain next;
    wiring.wire(next);
    EXPECT_TRUE(next.Form_Load());
    EXPECT_TRUE(script.shown().isEmpty());
}
