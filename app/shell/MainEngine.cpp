#include "app/shell/MainEngine.h"

#include "app/shell/DatabaseWork.h"

#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

MainEngine::MainEngine() = default;

MainEngine::~MainEngine()
{
    Shutdown();
}

void MainEngine::Start(const std::shared_ptr<zentrel::CLog>& log, int searchesCountInterval)
{
    moScripting = std::make_unique<zentrel::Scripting>();
    moScripting->Init(log);
    moScripting->setSearchesCountInterval(searchesCountInterval);
}

// Every job is told to stop; the wait for the workers is bounded and keeps pumping, because a
// worker may be waiting on this thread.
void MainEngine::Shutdown()
{
    if (!moScripting)
        return;
    moScripting->Shutdown();
    moScripting.reset();
}

zentrel::DBaser* MainEngine::database() const
{
    return moScripting ? moScripting->DBaser() : nullptr;
}

bool MainEngine::ToggleAutoResearch()
{
    if (!moScripting)
        return false;
    moScripting->setAutoResearchPaused(!moScripting->AutoResearchPaused());
    return moScripting->AutoResearchPaused();
}

void MainEngine::RecalcOverTimes(QWidget* window)
{
    zentrel::DBaser* db = database();
    if (db == nullptr)
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("The engine is not running. "),
                              QStringLiteral("FMain"));
    DatabaseWork::run(window, *db, [db] { db->RecalcOverTimes(); });
}
