#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/shell/CacheSeeder.h"
#include "app/shell/FMain.h"
#include "app/shell/FSplash.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/Tab.h"
#include "engine/platform/Folders.h"
#include "tests/support/TestSupport.h"

TEST(MMain, CommandLine)
{
    struct Case {
        QStringList arguments;
        QString line;
    };
    const Case cases[] = {
        {{"prog"}, ""},
        {{"prog", "/INSTALL"}, "/install"},
        {{"prog", "  /Install  "}, "/install"},
        {{"prog", "/install", "now"}, "/install now"},
        {{"prog", "/uninstall"}, "/uninstall"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MMain::commandLine(c.arguments), c.line);
}

TEST(MMain, ComponentCheckStopsAtTheFirstFailure)
{
    QString message;
    EXPECT_TRUE(MMain::CheckComponents(message));
    const char* expected[] = {
        "Component 'KESTRUNE.DLL' or one of its dependencies not correctly registered: a file is "
        "missing or invalid. Try to reinstall Quintara Keywords.",
        "Component 'OSTRIM.EXE' or one of its dependencies not correctly registered: a file is "
        "missing or invalid. Try to reinstall Quintara Keywords.",
        "Component 'DAO360.DLL' or one of its dependencies not correctly registered: a file is "
        "missing or invalid. ",
        "Component 'ZENTREL.DLL' or one of its dependencies not correctly registered: a file is "
        "missing or invalid. Try to reinstall Quintara Keywords.",
        "Component 'MSXML.DLL' or one of its dependencies not correctly registered: a file is "
        "missing or invalid. ",
    };
    for (int order = 1; order <= 5; ++order) {
        MMain::setFailingProbe(order);
        EXPECT_FALSE(MMain::CheckComponents(message));
        EXPECT_EQ(message, QString::fromLatin1(expected[order - 1])) << order;
    }
    MMain::setFailingProbe(0);
}

TEST(MMain, FailedComponentCheckShowsTheMessageAndEnds)
{
    testsupport::TempHome home;
    MsgScript script;
    MMain::setFailingProbe(4);
    ProgramWiring wiring;
    EXPECT_EQ(MMain::StartNormal(wiring.hooks()), nullptr);
    MMain::setFailingProbe(0);
    ASSERT_EQ(script.shown().size(), 1);
    EXPECT_EQ(script.shown().first().style, 16);
    EXPECT_EQ(script.shown().first().title, QStringLiteral("Quintara Keywords"));
    EXPECT_TRUE(script.shown().first().prompt.contains("ZENTREL.DLL"));
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<FSplash*>(widget), nullptr);
    QFile log(zentrel::Folders::dataPath("QuintaraKeywords.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("*** Start App ***"));
    EXPECT_TRUE(text.contains("\t4\t0x00000000\tMMain.Main\tComponent 'ZENTREL.DLL'"));
}

TEST(MMain, NormalStartShowsTheWindowOnTheHelpPage)
{
    testsupport::TempHome home;
    MsgScript script;
    MMain::DefaultSetRank = false;
    MMain::DefaultRank = 2;
    ProgramWiring wiring;
    std::unique_ptr<FMain> window = MMain::StartNormal(wiring.hooks());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentPage(), Tab::Help);
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Quintara Keywords - First Project (Default Cache)"));
    EXPECT_TRUE(MMain::DefaultSetRank);
    EXPECT_EQ(MMain::DefaultRank, 4);
    EXPECT_NE(window->Log(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<FSplash*>(widget), nullptr);
    window->close();
    EXPECT_TRUE(window->unloaded());
}

TEST(MMain, InstallSwitchWithNoSetupFileEnds)
{
    testsupport::TempHome home;
    EXPECT_EQ(MMain::Main({"prog", " /INSTALL "}, {}), 0);
    EXPECT_FALSE(ProgramSettings::cache().has_value());
    EXPECT_TRUE(QDir(ProgramSettings::projectFolder()).exists());
}

TEST(MMain, TheSplashIsPaintedAndThePointerIsBackBeforeTheLoadsBoxes)
{
    testsupport::TempHome home;
    MsgScript script;
    const QString bad = home.file("bad.vxc");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    ProgramSettings::setCache(bad);
    bool waitPointer = true;
    bool splashPainted = false;
    script.onMessage([&](const MsgService::Request&) {
        waitPointer = QApplication::overrideCursor() != nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<FSplash*>(widget))
                splashPainted = splash->painted();
    });
    script.answer(MsgService::Abort);
    ProgramWiring wiring;
    EXPECT_EQ(MMain::StartNormal(wiring.hooks()), nullptr);
    ASSERT_EQ(script.shown().size(), 1);
    EXPECT_FALSE(waitPointer);
    EXPECT_TRUE(splashPainted);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MMain, TheSplashTitleFits)
{
    FSplash splash;
    const QRect title = FSplash::titleRect();
    EXPECT_LE(QFontMetrics(FSplash::titleFont()).horizontalAdvance(FSplash::title()),
              title.width());
    EXPECT_LE(title.right(), splash.pixmap().width());
}
