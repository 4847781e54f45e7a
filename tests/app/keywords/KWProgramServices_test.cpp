#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QUrl>

#include "app/keywords/FExportParams.h"
#include "app/keywords/KWProgramServices.h"
#include "app/keywords/KWReport.h"
#include "app/shell/FAbout.h"
#include "app/shell/MsgScript.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(KWProgramServices, BoxesGoThroughTheShellsScript)
{
    const testsupport::TempHome home;
    MsgScript script;
    script.answer(MsgService::Retry);
    script.input(QStringLiteral("typed"));
    script.file(home.file(QStringLiteral("out.txt")));
    script.singleTime(true);
    KWProgramServices services(std::make_shared<zentrel::CLog>());
    EXPECT_EQ(services.ShowMsg(QStringLiteral("Disk full"), 53), KWServices::Retry);
    EXPECT_EQ(services.AskInput(QStringLiteral("Used words: "), {}, QStringLiteral("a, b")),
              QStringLiteral("typed"));
    EXPECT_EQ(services.SaveFileName(nullptr, QStringLiteral("Text Document (*.txt)|*.txt")),
              home.file(QStringLiteral("out.txt")));
    EXPECT_TRUE(services.ShowSingleTimeMsg(nullptr, QStringLiteral("moved")));
    ASSERT_EQ(script.shown().size(), 4);
    EXPECT_EQ(script.shown()[0].style, 53);
    EXPECT_EQ(script.shown()[1].defaultText, QStringLiteral("a, b"));
}

TEST(KWProgramServices, FilesNamesAndSettings)
{
    const testsupport::TempHome home;
    KWProgramServices services(nullptr);
    const QString report = services.TempFileName(QStringLiteral("vx"), QStringLiteral("html"));
    EXPECT_TRUE(QFileInfo(report).fileName().startsWith(QStringLiteral("vx")));
    EXPECT_TRUE(report.endsWith(QStringLiteral(".html")));
    EXPECT_NE(report, services.TempFileName(QStringLiteral("vx"), QStringLiteral("html")));

    const QString path = home.file(QStringLiteral("kws.txt"));
    services.WriteFile(path, QStringLiteral("ünï\r\nкириллица\r\n"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QStringLiteral("ünï\r\nкириллица\r\n").toUtf8());
    EXPECT_THROW(services.WriteFile(home.file(QStringLiteral("missing/folder/x.txt")), "x"),
                 zentrel::ZError);

    // The export dialog's settings land under "Export Keywords\" of the current user.
    {
        FExportParams dialog(&services);
        dialog.chkScore()->setChecked(true);
        dialog.optDel(1)->setChecked(true);
    }
    QString value;
    const zentrel::CRegistry registry;
    ASSERT_TRUE(registry.ReadString(zentrel::CRegistry::kCurrentUser,
                                    QStringLiteral("Software\\Brovant Software\\Quintara "
                                                   "Keywords\\Current Version\\Export Keywords\\"),
                                    QStringLiteral("Delimiter"), value));
    EXPECT_EQ(value, QStringLiteral(";"));
    FExportParams again(&services);
    EXPECT_TRUE(again.chkScore()->isChecked());
    EXPECT_TRUE(again.optDel(1)->isChecked());

    std::int32_t number = 0;
    EXPECT_FALSE(services.ReadLong(KWServices::ProgramKey(), QStringLiteral("Nothing"), number));
    services.WriteLong(KWServices::ProgramKey(),
                       QStringLiteral("Do not show Keywords Moved message"), -1);
    EXPECT_TRUE(services.ReadLong(KWServices::ProgramKey(),
                                  QStringLiteral("Do not show Keywords Moved message"), number));
    EXPECT_EQ(number, -1);
}

} // namespace

namespace {

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(KWProgramServices, TheReportOpensThroughTheProgramsBrowserCommand)
{
    const testsupport::TempHome home;
    auto log = std::make_shared<zentrel::CLog>();
    log->Open(home.file(QStringLiteral("full.log")), home.file(QStringLiteral("short.log")));
    KWProgramServices services(log);
    const QString report = home.file(QStringLiteral("vx1.html"));

    // A browser command with arguments of its own.
    const QString recorder = home.file(QStringLiteral("browser.sh"));
    const QString opened = home.file(QStringLiteral("opened.txt"));
    {
        QFile script(recorder);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" + opened.toUtf8() + "\"\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    {
        const testsupport::ScopedEnv browser("QUINTARA_BROWSER",
                                             (recorder + QStringLiteral(" --new-window")).toUtf8());
        services.OpenInBrowser(report, QStringLiteral("FExportParams.cmdReport_Click"));
        ASSERT_TRUE(testsupport::waitUntil([&] { return readAll(opened).count(u'\n') == 2; }));
        EXPECT_EQ(readAll(opened), QStringLiteral("--new-window\n") +
                                       QUrl::fromLocalFile(report).toString() +
                                       QStringLiteral("\n"));
    }
    // A browser that does not start is logged with the caller's source.
    {
        const testsupport::ScopedEnv browser("QUINTARA_BROWSER",
                                             home.file(QStringLiteral("no-browser")).toUtf8());
        services.OpenInBrowser(report, QStringLiteral("FExportParams.cmdReport_Click"));
    }
    const QString errors = readAll(home.file(QStringLiteral("short.log")));
    EXPECT_TRUE(errors.contains(QStringLiteral("\t4\t")));
    EXPECT_TRUE(errors.contains(QStringLiteral("\tFExportParams.cmdReport_Click\t")));
    EXPECT_TRUE(errors.contains(report));
}

TEST(KWProgramServices, TheReportLinksTheMakersOneAddress)
{
    EXPECT_TRUE(KWReport::builtInTemplates().head.contains(QStringLiteral("href=\"") +
                                                           FAbout::homePage() + u'"'));
}

} // namespace
