#include "app/shell/MMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "app/shell/CacheSeeder.h"
#include "app/shell/DesktopBrowser.h"
#include "app/shell/FMain.h"
#include "app/shell/FSplash.h"
#include "app/shell/MsgService.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/ProgramVersion.h"
#include "app/shell/ShutdownSignals.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

bool MMain::DefaultSetRank = true;
int MMain::DefaultRank = 4;

namespace {

int& failingProbe()
{
    static int order = 0;
    return order;
}

QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

// How many dialogs an end by signal dismisses before it closes the main window regardless, and
// how long it lets each one's event loop end first.
constexpr int kDialogsDismissed = 10;
constexpr int kDialogEndMs = 50;

// Ends the run as File > Exit does. A dialog open on top is dismissed first, as with Esc, and
// the main window is closed once its event loop has ended, so that no code waiting on it runs
// on an unloaded window.
void endRun(const QPointer<FMain>& window, int dialogsLeft = kDialogsDismissed)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && dialogsLeft > 0) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QTimer::singleShot(kDialogEndMs, qApp,
                           [window, dialogsLeft] { endRun(window, dialogsLeft - 1); });
        return;
    }
    if (window) {
        window->close();
        QCoreApplication::quit();
    }
}

} // namespace

void MMain::setFailingProbe(int order)
{
    failingProbe() = order;
}

QString MMain::commandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(u' ').trimmed().toLower();
}

QString MMain::versionLine()
{
    return zentrel::CUtilities::Format(QStringLiteral("%1.exe: %2.%3.%4"),
                                       {programName(), QString::number(ProgramVersion::kMajor),
                                        QString::number(ProgramVersion::kMinor),
                                        QString::number(ProgramVersion::kRevision)});
}

std::shared_ptr<zentrel::CLog> MMain::OpenLog(const QString& firstLine)
{
    auto log = std::make_shared<zentrel::CLog>();
    log->Open(zentrel::Folders::dataPath(QStringLiteral("QuintaraKeywords.log")),
              zentrel::Folders::dataPath(QStringLiteral("short.log")));
    log->Write(0, firstLine, 5, QStringLiteral("Main.MMain"));
    log->Write(0, versionLine(), 5, QStringLiteral("MMain.Main"));
    log->Write(0, QStringLiteral("Windows: ") + zentrel::CUtilities::GetWindowsVersion(), 5,
               QStringLiteral("MMain.Main"));
    return log;
}

bool MMain::CheckComponents(QString& message)
{
    struct Probe {
        const char* file;
        bool reinstall;
    };
    static constexpr Probe probes[] = {{"Kestrune.dll", true},
                                       {"Ostrim.exe", true},
                                       {"dao360.dll", false},
                                       {"Zentrel.dll", true},
                                       {"msxml.dll", false}};
    for (int order = 1; order <= 5; ++order) {
        bool created = false;
        try {
            created = failingProbe() != order && createProbe(order);
        } catch (const std::exception&) {
            created = false;
        }
        if (!created) {
            const Probe& probe = probes[order - 1];
            message = QStringLiteral("Component '") + QString::fromLatin1(probe.file).toUpper() +
                      QStringLiteral("' or one of its dependencies not correctly registered: a "
                                     "file is missing or invalid. ");
            if (probe.reinstall)
                message += QStringLiteral("Try to reinstall Quintara Keywords.");
            return false;
        }
    }
    return true;
}

bool MMain::createProbe(int order)
{
    switch (order) {
    case 1:
        return std::make_unique<zentrel::CKeyedCollection>() != nullptr;
    case 2:
        return std::make_unique<zentrel::CThreadLauncher>() != nullptr;
    case 3:
        return zentrel::SqlConnection::open(QStringLiteral(":memory:")) != nullptr;
    case 4:
        return std::make_unique<zentrel::Scripting>() != nullptr;
    default: {
        QString text;
        QXmlStreamWriter writer(&text);
        writer.writeStartDocument();
        writer.writeEmptyElement(QStringLiteral("probe"));
        writer.writeEndDocument();
        QXmlStreamReader reader(text);
        while (!reader.atEnd())
            reader.readNext();
        return !reader.hasError();
    }
    }
}

std::unique_ptr<FMain> MMain::StartNormal(const Hooks& hooks)
{
    auto splash = std::make_unique<FSplash>();
    splash->showPainted();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] {
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
    });
    try {
        if (!zentrel::CUtilities::CheckDataComponents()) {
            splash.reset();
            DesktopBrowser::openOwnPage(QStringLiteral("update-data-components.htm"));
            return nullptr;
        }
        std::shared_ptr<zentrel::CLog> log;
        try {
            log = OpenLog(QStringLiteral("*** Start App ***"));
        } catch (const std::exception&) {
            // The start goes on without the start lines.
        }
        QString message;
        if (!CheckComponents(message)) {
            splash.reset();
            MsgService::showMsg(nullptr, message, MsgService::Critical);
            if (log)
                log->Write(0, message, 4, QStringLiteral("MMain.Main"));
            return nullptr;
        }
        DefaultSetRank = true;
        DefaultRank = 4;
        zentrel::CFileUtilities::CreateFolder(ProgramSettings::projectFolder());
        // The pointer is back before the load, whose database boxes wait for the user.
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
        auto window = std::make_unique<FMain>();
        if (hooks.wireWindow)
            hooks.wireWindow(*window);
        window->setLog(log);
        if (!window->Form_Load()) {
            window->FinalizeEngine();
            return nullptr;
        }
        splash.reset();
        window->show();
        return window;
    } catch (const std::exception&) {
        return nullptr;
    }
}

int MMain::Main(const QStringList& arguments, const Hooks& hooks)
{
    const QString command = commandLine(arguments);
    if (command == u"/install" || command == u"/uninstall") {
        std::shared_ptr<zentrel::CLog> log;
        try {
            log = OpenLog(QStringLiteral("****"));
        } catch (const std::exception&) {
            return 0;
        }
        if (command == u"/install") {
            try {
                CacheSeeder::Run(log);
            } catch (const std::exception&) {
                // The program ends without a message.
            }
            return 0;
        }
        return hooks.runSurvey ? hooks.runSurvey(log) : 0;
    }
    return RunNormal(hooks);
}

int MMain::RunNormal(const Hooks& hooks)
{
    std::unique_ptr<FMain> window;
    bool endAsked = false;
    std::unique_ptr<ShutdownSignals> endSignals;
    try {
        endSignals = std::make_unique<ShutdownSignals>();
        QObject::connect(endSignals.get(), &ShutdownSignals::received, endSignals.get(), [&](int) {
            endAsked = true;
            endRun(window.get());
        });
    } catch (const std::exception&) {
        // Without them the signals end the program at once, as the system does by default.
    }
    window = StartNormal(hooks);
    if (!window)
        return 0;
    if (endAsked) {
        // Asked while the start ran: the window goes as soon as it is there.
        endRun(window.get());
        return 0;
    }
    return QApplication::exec();
}
