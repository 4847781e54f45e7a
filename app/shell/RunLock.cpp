#include "app/shell/RunLock.h"

#include <QLockFile>

#include "app/shell/MsgService.h"
#include "engine/platform/CLog.h"
#include "engine/platform/Folders.h"

std::unique_ptr<QLockFile> RunLock::take(QWidget* window, const QString& productName,
                                         const std::shared_ptr<zentrel::CLog>& log)
{
    auto lock =
        std::make_unique<QLockFile>(zentrel::Folders::dataPath(QStringLiteral("VXWorking")));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    const QString text = productName + QStringLiteral(" is already running.");
    if (log)
        log->Write(0, text, 4, QStringLiteral("FMain.Form_Load"));
    MsgService::showMsg(window, text, MsgService::Exclamation);
    return nullptr;
}
