#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QRegularExpression>

#include "app/shell/FAbout.h"
#include "app/shell/MMain.h"
#include "engine/platform/Folders.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"

// The About box and the log's version line show the one version the build sets, which is the
// engine's too.
TEST(ProgramVersion, TheAboutBoxAndTheLogShowTheBuildsVersion)
{
    const testsupport::TempHome home;
    MMain::OpenLog(QStringLiteral("started")).reset();
    QFile file(zentrel::Folders::dataPath(QStringLiteral("QuintaraKeywords.log")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch logged =
        QRegularExpression(QStringLiteral("\\.exe: (\\d+)\\.(\\d+)\\.(\\d+)")).match(log);
    ASSERT_TRUE(logged.hasMatch()) << log.toStdString();
    EXPECT_EQ(logged.captured(1) + u'.' + logged.captured(2) + u'.' + logged.captured(3),
              QStringLiteral(ZENTREL_VERSION));

    const FAbout about;
    EXPECT_EQ(about.lblName()->text().section(QStringLiteral("\r\n"), 0, 0),
              QStringLiteral("Quintara Keywords Version ") + logged.captured(1) + u'.' +
                  logged.captured(2));
}
