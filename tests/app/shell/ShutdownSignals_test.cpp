// SIGTERM, SIGINT and SIGHUP end the program as File > Exit does: its settings are written and
// the files of the run (the run lock, the temporary files, the databases' logs) are gone.
#include <csignal>
#include <ostream>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/shell/FMain.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "engine/platform/CUtilities.h"
#include "tests/app/shell/ProgramRun.h"
#include "tests/support/TestSupport.h"

namespace {

struct EndSignal {
    const char* name;
    int number;
};

void PrintTo(const EndSignal& endSignal, std::ostream* os)
{
    *os << endSignal.name;
}

const EndSignal kEndSignals[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};

bool placementWritten(const testsupport::TempHome& home)
{
    QFile settings(home.file(QStringLiteral("user.ini")));
    return settings.open(QIODevice::ReadOnly) && settings.readAll().contains("Window.Top=");
}

// What a clean end leaves no trace of in the data folder.
void expectNoRunFiles(const testsupport::TempHome& home)
{
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("VXWorking"))));
    const QStringList left =
        QDir(home.file(QStringLiteral("Project")))
            .entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm")}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
}

class EndBySignal : public ::testing::TestWithParam<EndSignal> {};

TEST_P(EndBySignal, TheProgramEndsAsFileExitDoes)
{
    testsupport::TempHome home;
    QTemporaryDir temp;
    ProgramRun program(home.path(), temp.path());
    ASSERT_TRUE(program.start());
    EXPECT_FALSE(placementWritten(home)) << "only the end writes it";

    ASSERT_EQ(::kill(static_cast<pid_t>(program.process().processId()), GetParam().number), 0);
    ASSERT_TRUE(program.process().waitForFinished(30000));
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 0);
    EXPECT_TRUE(program.logHas("Form_Unload() complete."));
    EXPECT_TRUE(placementWritten(home));
    expectNoRunFiles(home);
    EXPECT_TRUE(
        QDir(temp.path()).entryList({QStringLiteral("quintara-keywords-*")}, QDir::Dirs).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Signals, EndBySignal, ::testing::ValuesIn(kEndSignals),
                         [](const auto& info) { return std::string(info.param.name); });

FMain* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<FMain*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// In this process, with temporary files made and a dialog open when the signal comes: the
// dialog is dismissed, and the window closes only once the dialog's loop has ended.
TEST(EndBySignal, ADialogOnTopIsDismissedFirstAndTheTemporaryFilesGo)
{
    testsupport::TempHome home;
    MsgScript script;
    QString tempFolder;
    bool dialogEnded = false;
    bool unloadedInDialog = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        FMain* window = mainWindow();
        if (window == nullptr)
            return;
        poll.stop();
        tempFolder = zentrel::CUtilities::TempFolder();
        QFile side(zentrel::CUtilities::TempFileName(QStringLiteral("vx")));
        EXPECT_TRUE(side.open(QIODevice::WriteOnly));
        side.close();
        QDialog dialog(window);
        QTimer::singleShot(100, &dialog, [] { ::raise(SIGTERM); });
        dialog.exec();
        dialogEnded = true;
        unloadedInDialog = window->unloaded();
    });
    poll.start(20);
    ProgramWiring wiring;
    EXPECT_EQ(MMain::RunNormal(wiring.hooks()), 0);
    EXPECT_TRUE(dialogEnded);
    EXPECT_FALSE(unloadedInDialog);
    EXPECT_FALSE(tempFolder.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(tempFolder));
    EXPECT_TRUE(placementWritten(home));
    expectNoRunFiles(home);
}

} // namespace
