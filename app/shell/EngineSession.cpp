#include "app/shell/EngineSession.h"

#include "app/shell/DatabaseWork.h"

#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

EngineSession::EngineSession() = default;

EngineSession::~EngineSession()
{
    Shutdown();
}

void EngineSession::Start(const std::shared_ptr<zentrel::CLog>& log, int searchesCountInterval)
{
    moScripting = std::make_unique<zentrel::Scripting>();
    moScripting->Init(log);
    moScripting->setSearchesCountInterval(searchesCountInterval);
}

// Every job is told to stop; the wait for the workers is bounded and keeps pumping, because a
// worker may be waiting on this thread.
void EngineSession::Shutdown()
{
    if (!moScripting)
        return;
    moScripting->Shutdown();
    moScripting.reset();
}

zentrel::DBaser* EngineSession::database() const
{
    return moScripting ? moScripting->DBaser() : nullptr;
}

bool EngineSession::ToggleAutoResearch()
{
    if (!moScripting)
        return false;
    moScripting->setAutoResearchPaused(!moScripting->AutoResearchPaused());
    return moScripting->AutoResearchPaused();
}

void EngineSession::RecalcOverTimes(QWidget* window)
{
    zentrel::DBaser* db = database();
    if (db == nullptr)
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("The engine is not running. "),
                              QStringLiteral("FMain"));
    DatabaseWork::run(window, *db, [db] { db->RecalcOverTimes(); });
}
