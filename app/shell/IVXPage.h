#pragma once

#include <memory>

#include <QString>

class FMain;

namespace zentrel {
class CLog;
class Scripting;
} // namespace zentrel

// What every page of the main window offers its host. The members do nothing unless a page
// gives them a body.
class IVXPage {
public:
    virtual ~IVXPage() = default;

    // Takes the engine, the log and the main window (dropping earlier ones) and reloads what the
    // page shows; may be called again after another project was opened.
    virtual void init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
                      FMain* ownerForm)
    {
        (void)scripting;
        (void)log;
        (void)ownerForm;
    }
    // Re-reads and shows the page's data.
    virtual void Refresh() {}
    // A menu command of the main window; identifiers the page does not know are ignored.
    virtual void MenuEvent(const QString& menuItemId, int index)
    {
        (void)menuItemId;
        (void)index;
    }
    // Stops the page's timers and drops the engine, log and window at shutdown.
    virtual void Finalize() {}
    // Switches the rank controls between the simple and the advanced mode.
    virtual void SetRankMode(bool setAdvanced) { (void)setAdvanced; }
};
