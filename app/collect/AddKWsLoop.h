#pragma once

#include <QString>

#include "app/keywords/KWProgramServices.h"
#include "engine/platform/CLog.h"

class CollectOwner;

namespace zentrel {
class DBaser;
}

// The add-keywords dialog shown until the keyword store takes every keyword: rejected keywords
// come back into the dialog for correcting, then the pages are refreshed.
class AddKWsLoop {
public:
    // Paste ends without storing or refreshing when OK leaves no keyword.
    enum class Source { Paste, ByHand, TextFile };

    AddKWsLoop(CollectOwner& OwnerForm, zentrel::CLogPtr Log, zentrel::DBaser& DBaser);

    void Run(Source source, const QString& text);

private:
    CollectOwner& m_owner;
    KWProgramServices m_services;
    zentrel::DBaser& m_dbaser;
};
