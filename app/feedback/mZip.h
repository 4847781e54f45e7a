#pragma once

#include <QString>
#include <QStringList>

#include "app/feedback/ZpOptions.h"

class cZip;

// The zip library behind cZip (libzip): adds the files named by the specifications to the
// archive, or removes the entries they name, following the option record. Relative names are
// taken from the base folder when one is set; the process's current folder is never changed.
class mZip {
public:
    // False with the reason in error when the archive could not be written or nothing matched.
    static bool VBZip(cZip& zip, const ZpOptions& options, const QString& zipFile,
                      const QStringList& specs, QString& error);
};
