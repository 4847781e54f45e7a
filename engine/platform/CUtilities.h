#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zentrel {

// Text, name, temporary-file and environment helpers. Thread-safe.
class CUtilities {
public:
    // Single quotes doubled, for a single-quoted SQL literal.
    static QString EscapeSQL(const QString& text);
    // A new GUID in braced upper-case form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
    static QString NewName();
    // "%1".."%n" replaced by args in order; the whole digit run is the number ("%10" is the
    // tenth), and a placeholder without an argument stays as it is. Arguments are not rescanned.
    static QString Format(const QString& templ, const QStringList& args);

    // The program's own temporary folder, one per process, created on first use.
    static QString TempFolder();
    // A new unique name "<prefix>XXXX.tmp" (XXXX hexadecimal) in TempFolder(); not created.
    static QString TempFileName(const QString& prefix);
    // Removes this process's temporary folder with its content (at shutdown).
    static void RemoveTempFolder();

    // QUINTARA_ONLINE "1" or "0" decides; else true when a non-loopback interface is up.
    static bool IsOnline();
    // Runs the calling thread's pending events.
    static void ProcessMessages();
    // True for an empty or missing array (a list variant with no items, or no list at all).
    static bool IsArrayEmpty(const QVariant& arr);

    static QString GetWindowsVersion();
    static void GetDataComponentsVersions(QString& mdac, QString& jet);
    // True when the SQLite library is at least 3.35.0.
    static bool CheckDataComponents();

    // Bytes as base64 text.
    static QString EncodeBinary(const QByteArray& data);
    // UTF-8 percent-encoding of all but A-Z a-z 0-9 - _ . ~; a blank becomes "+".
    static QString URLEncode(const QString& text);
};

} // namespace zentrel
