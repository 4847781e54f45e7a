#pragma once

#include <optional>

#include <QString>

// The program's settings under its registry key: each value with its name, root and default.
class ProgramSettings {
public:
    static QString programKey();

    // Local machine.
    static std::optional<QString> cache();
    static void setCache(const QString& path);
    // Current user.
    static std::optional<QString> project();
    static void setProject(const QString& path);
    // Seconds; 40 when absent.
    static int searchesCountInterval();
    // "Advanced" or "Simple"; empty when absent.
    static QString rankMode();
    static void setRankMode(bool advanced);
    static void setFirstStart(const QString& when);
    // The window placement in twips; absent values are nullopt.
    static std::optional<int> window(const QString& which);
    static void setWindow(const QString& which, int twips);

    // The default files in the data folder's Project folder.
    static QString projectFolder();
    static QString defaultCacheFile();
    static QString defaultProjectFile();

    static constexpr int kDefaultSearchesCountInterval = 40;
};
