#include "app/keywords/KWGuard.h"

#include "app/keywords/KWServices.h"
#include "engine/platform/ZError.h"

void KWGuard::LogError(KWServices* log, const std::exception* error, int level,
                       const QString& source)
{
    if (!log)
        return;
    if (!error)
        log->Write(0, QStringLiteral("Unknown error"), level, source);
    else if (const auto* z = dynamic_cast<const zentrel::ZError*>(error))
        log->Write(z->signedNumber(), z->description(), level, source);
    else
        log->Write(0, QString::fromLocal8Bit(error->what()), level, source);
}
