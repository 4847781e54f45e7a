#pragma once

#include <QString>

// Opens web addresses and the program's own pages in the desktop's browser: the command in
// QUINTARA_BROWSER when set (started with the address as an argument, never through a shell),
// else the desktop's opener. Failures are reported by the result only.
class MBrowser {
public:
    static bool open(const QString& address);
    // Writes the program's page (and the pictures beside it) into the program's temporary folder
    // and opens it from there.
    static bool openOwnPage(const QString& page);
    // The file the page was written to; empty when it is not among the resources.
    static QString writeOwnPage(const QString& page);
    // The resource path of one of the program's pages.
    static QString resourcePath(const QString& page);
};
