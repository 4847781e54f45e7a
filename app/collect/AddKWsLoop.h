#pragma once

#include <optional>

#include <QString>

#include "app/keywords/KWProgramServices.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"

class CollectOwner;
class FAddKWs;

namespace zentrel {
class DBaser;
}

// The add-keywords dialog shown until the keyword store takes every keyword: rejected keywords
// come back into the dialog for correcting, then the pages are refreshed. A store that fails is
// logged and shown, and the dialog comes back with its text. The loop ends with its window.
class AddKWsLoop {
public:
    // Paste ends without storing or refreshing when OK leaves no keyword.
    enum class Source { Paste, ByHand, TextFile };

    AddKWsLoop(CollectOwner& OwnerForm, zentrel::CLogPtr Log, zentrel::DBaser& DBaser);

    void Run(Source source, const QString& text);

private:
    // The rejected keywords; nothing when the store failed (logged and shown).
    std::optional<zentrel::CKeyedCollection>
    store(const FAddKWs& dialog, const zentrel::CKeyedCollection& kws, Source source);

    CollectOwner& m_owner;
    KWProgramServices m_services;
    zentrel::DBaser& m_dbaser;
};
