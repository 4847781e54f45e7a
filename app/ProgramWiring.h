#pragma once

#include <memory>

#include "app/shell/MMain.h"
#include "app/shell/Tab.h"

class FMain;
class MainWindowKWOwner;
class QString;
class QWidget;

namespace zentrel {
class CLog;
} // namespace zentrel

// Puts the program together above the shell: gives the main window its pages and the commands
// of the collection and contact parts, owns the one owner of the keyword pages, and runs the
// uninstall survey. It wires one window at a time and outlives it.
class ProgramWiring final {
public:
    ProgramWiring();
    ~ProgramWiring();
    ProgramWiring(const ProgramWiring&) = delete;
    ProgramWiring& operator=(const ProgramWiring&) = delete;

    // The hooks of the program's start.
    MMain::Hooks hooks();
    // Gives the window the program's pages and commands; the owner is then the window's.
    void wire(FMain& window);
    // The keyword pages' owner of the wired window; null before the first wiring.
    MainWindowKWOwner* owner() const { return m_owner.get(); }
    // The program's page (1 to 6) of the wired window.
    QWidget* createPage(Tab::Number number, QWidget* parent) const;

    // "/uninstall": the survey alone, until it ends the program.
    static int RunSurvey(const std::shared_ptr<zentrel::CLog>& log);

private:
    static void runCommand(FMain& window, const QString& menu);

    std::unique_ptr<MainWindowKWOwner> m_owner;
};
