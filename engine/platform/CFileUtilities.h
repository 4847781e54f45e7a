#pragma once

#include <QByteArray>
#include <QString>

namespace zentrel {

// File and folder helpers. Failures raise ZError with a description naming the file and the cause.
class CFileUtilities {
public:
    // Creates the folder and its parents; an existing folder is no error.
    static void CreateFolder(const QString& path);
    // True when a file (not a folder) exists at the path.
    static bool FileExists(const QString& path);
    // Copies the file, replacing the destination.
    static void CopyFile(const QString& source, const QString& destination);
    // Deletes the files in the folder whose names match the mask ("*" and "?", case-blind; "*.*"
    // is every file). A folder of "%TEMP%" (also "%TEMP%\...") is CUtilities::TempFolder(). A
    // missing folder has nothing to delete.
    static void DeleteFiles(const QString& folder, const QString& mask);
    // Writes the bytes as the whole file, replacing it; the text as UTF-8.
    static void WriteFile(const QString& path, const QByteArray& data);
    static void WriteFile(const QString& path, const QString& text);
    // The whole file, byte for byte.
    static QByteArray ReadFile(const QString& path);

    // True when the file name matches the mask as DeleteFiles matches it.
    static bool matchesMask(const QString& fileName, const QString& mask);
};

} // namespace zentrel
