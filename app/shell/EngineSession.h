#pragma once

#include <memory>

#include <QString>

class QWidget;

namespace zentrel {
class CLog;
class DBaser;
class Scripting;
} // namespace zentrel

// The engine's life in the main window: the one engine object, made and initialised at load and
// shut down once, and the engine commands of the window's menus.
class EngineSession {
public:
    EngineSession();
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // Makes the engine, initialises it with the log and sets the search-count interval.
    void Start(const std::shared_ptr<zentrel::CLog>& log, int searchesCountInterval);
    // Tells every job to stop and finalises the engine; the engine is gone afterwards.
    void Shutdown();

    zentrel::Scripting* scripting() const { return moScripting.get(); }
    // Null while the engine is not running.
    zentrel::DBaser* database() const;

    // Pauses or resumes the automatic research; true when it is now paused.
    bool ToggleAutoResearch();
    // Asks every search count again, off the user-interface thread with its progress shown over
    // the window; raises ZError when the engine is not running.
    void RecalcOverTimes(QWidget* window);

private:
    std::unique_ptr<zentrel::Scripting> moScripting;
};
