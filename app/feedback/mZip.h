#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "app/feedback/ZpOptions.h"

// The zip library behind cZip (libzip): adds the files named by the specifications to the
// archive, or removes the entries they name, following the option record. Relative names are
// taken from the base folder when one is set; the process's current folder is never changed.
class mZip {
public:
    // Where the library's messages and its password question go.
    struct Callbacks {
        std::function<void(int lCount, const QString& sMsg)> progress;
        // An empty answer or bCancel cancels.
        std::function<void(QString& sPassword, bool& bCancel)> passwordRequest;
    };

    // False with the reason in error when the archive could not be written or nothing matched.
    static bool VBZip(const Callbacks& callbacks, const ZpOptions& options, const QString& zipFile,
                      const QStringList& specs, QString& error);
};
