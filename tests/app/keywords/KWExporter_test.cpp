#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/keywords/FExportParams.h"
#include "app/keywords/KWExporter.h"
#include "app/keywords/KWProgramServices.h"
#include "engine/platform/CLog.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/OnModal.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

namespace {

// The export's Save dialog opens in the user's documents folder when there is one, else in the
// home folder, with no file name proposed: Enter alone saves nothing.
TEST(KWExporter, TheSaveStartsWithoutANameInTheDocumentsOrTheHomeFolder)
{
    const struct {
        const char* name;
        const char* userDirs; // the documents line of user-dirs.dirs; null for no file
        const char* made;     // the folder made under the home folder; null for none
        const char* startsIn; // under the home folder; empty for the home folder itself
    } cases[] = {
        {"no documents folder", nullptr, nullptr, ""},
        {"a documents folder", nullptr, "Documents", "Documents"},
        {"a named documents folder", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", "Papers", "Papers"},
        {"a named documents folder that is missing", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n",
         nullptr, ""},
    };
    const testsupport::TempHome data;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QTemporaryDir homeDir;
        const QString home = QDir(homeDir.path()).canonicalPath();
        const testsupport::ScopedEnv homeEnv("HOME", home.toUtf8());
        const testsupport::ScopedEnv configEnv("XDG_CONFIG_HOME", QByteArray());
        if (c.userDirs != nullptr) {
            QDir(home).mkpath(QStringLiteral(".config"));
            QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
            ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
            dirs.write(c.userDirs);
        }
        if (c.made != nullptr)
            QDir(home).mkpath(QString::fromUtf8(c.made));
        const QString startsIn =
            *c.startsIn == '\0' ? home : home + u'/' + QString::fromUtf8(c.startsIn);

        QString folder;
        QString proposed = QStringLiteral("(no dialog)");
        bool openAfterEnter = false;
        testsupport::onModal<FExportParams>(
            [](FExportParams* dialog) { dialog->cmdOK()->click(); });
        testsupport::onModal<QFileDialog>([&](QFileDialog* dialog) {
            folder = dialog->directory().absolutePath();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            proposed = name != nullptr ? name->text() : QStringLiteral("(no name field)");
            if (name != nullptr)
                QTest::keyClick(name, Qt::Key_Return);
            openAfterEnter = dialog->isVisible();
            if (openAfterEnter)
                dialog->reject();
        });
        KWProgramServices services(std::make_shared<zentrel::CLog>());
        KWExporter::ExportWords({{QStringLiteral("blue widgets"), QStringLiteral("4.1"),
                                  QStringLiteral("It's Mine!"), QStringLiteral("  2.3")}},
                                services, nullptr, QStringLiteral("Project.vxp"));
        EXPECT_EQ(folder, startsIn);
        EXPECT_EQ(proposed, QString());
        EXPECT_TRUE(openAfterEnter);
        const QStringList written = QDir(home).entryList({QStringLiteral("*.txt")}, QDir::Files);
        EXPECT_TRUE(written.isEmpty()) << written.join(u' ').toStdString();
    }
}

} // namespace
