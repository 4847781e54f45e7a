#pragma once

#include <QString>

#include "engine/platform/ZError.h"

namespace zentrel {

// The engine's message table; errors raised with a message carry objectError(id).
class EngineMessages {
public:
    enum Id {
        GotFromOverture = 108,
        UrlAlreadyDownloading = 641,
        DownloadStartFailed = 642,
        CacheFileNotFound = 643,
        CannotLinkCache = 644,
        Offline = 645,
        CannotOpenCache = 646,
        CacheNotOpened = 647,
        CannotOpenProject = 648,
        CannotParsePage = 649,
        UrlAlreadyDownloaded = 650,
        TimeoutExceeded = 651,
        LoopingInInteractiveState = 652,
        HttpStatus = 653,
        NoKeywordsOnPage = 654,
        CannotUpgradeProject = 656,
    };

    // The text of the message, "%1" left in place; empty for an unknown id.
    static QString text(int id);
    // The text with "%1" replaced by the argument.
    static QString text(int id, const QString& arg);
    // An error numbered objectError(id) whose description is the text with "%1" = arg.
    static ZError error(int id, const QString& arg = {}, const QString& source = {});
};

} // namespace zentrel
