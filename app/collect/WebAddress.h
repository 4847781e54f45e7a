#pragma once

#include <QString>

// Addresses as the user types them for the web commands: with or without a scheme (in any
// case), with backslashes read as slashes.
class WebAddress {
public:
    // The page's address, given "http://" when it names no scheme.
    static QString PageURL(const QString& typed);
    // The site's host with its port, if one was typed; empty when there is none.
    static QString SiteName(const QString& typed);
};
