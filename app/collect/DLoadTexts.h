#pragma once

#include <QString>

// The text rules of the downloads page.
class DLoadTexts {
public:
    // The error text status-bar panel 3 shows for a failed download: trimmed, without trailing
    // line breaks or control characters and without one final full stop; empty when nothing is
    // left.
    static QString PanelErrorText(const QString& errDescription);
    // The site whose pages are crawled for an address: scheme, host and the path before its last
    // "/"; empty for a bare host or an address that is not a web address.
    static QString SiteToCrawl(const QString& address);
    // Whether the address may go to the browser: an http or https address with a host.
    static bool IsWebAddress(const QString& address);
};
