#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

class FMain;

namespace zentrel {
class CLog;
} // namespace zentrel

// The program's entry: the "/install" and "/uninstall" switches and the normal start.
class MMain {
public:
    // What the program's top gives the start: the pages and commands of a new main window, and
    // the "/uninstall" survey, which runs until it ends the program. Either may be empty.
    struct Hooks {
        std::function<void(FMain& window)> wireWindow;
        std::function<int(const std::shared_ptr<zentrel::CLog>& log)> runSurvey;
    };

    // The add-keywords dialog's last rank choice for this run.
    static bool DefaultSetRank;
    static int DefaultRank;

    // Runs the program; returns the process's exit code.
    static int Main(const QStringList& arguments, const Hooks& hooks);

    // The arguments after the program's name, joined, trimmed and lower-cased.
    static QString commandLine(const QStringList& arguments);

    // The normal start up to the shown main window; null when the program is to end.
    static std::unique_ptr<FMain> StartNormal(const Hooks& hooks);
    // The normal start and the run until the main window is closed: by the user, or by
    // SIGTERM, SIGINT or SIGHUP, which end it as File > Exit does.
    static int RunNormal(const Hooks& hooks);

    // Creates each required component in turn; false with the message at the first failure.
    static bool CheckComponents(QString& message);
    // Test hook: the probe of this order (1 to 5) fails; 0 for none.
    static void setFailingProbe(int order);

    // The log on the two files in the data folder, with the start lines written.
    static std::shared_ptr<zentrel::CLog> OpenLog(const QString& firstLine);
    static QString versionLine();

private:
    static bool createProbe(int order);
};
