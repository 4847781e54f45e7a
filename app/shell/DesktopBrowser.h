#pragma once

#include <memory>

#include <QString>

namespace zentrel {
class CLog;
}

// Opens web addresses and the program's own pages in the desktop's browser: the command in
// QUINTARA_BROWSER when set (started with the address as an argument, never through a shell),
// else the desktop's opener. The one way the program starts the browser.
class DesktopBrowser {
public:
    static bool open(const QString& address);
    // As open; a browser that does not start is logged at level 4 with the caller's source.
    static bool open(const QString& address, const std::shared_ptr<zentrel::CLog>& log,
                     const QString& source);
    // Writes the program's page (and the pictures beside it) into the program's temporary folder
    // and opens it from there.
    static bool openOwnPage(const QString& page);
    static bool openOwnPage(const QString& page, const std::shared_ptr<zentrel::CLog>& log,
                            const QString& source);
    // The file the page was written to; empty when it is not among the resources.
    static QString writeOwnPage(const QString& page);
    // The resource path of one of the program's pages.
    static QString resourcePath(const QString& page);
};
