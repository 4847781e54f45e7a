#pragma once

#include <cstdint>
#include <memory>

#include <QString>

class QSettings;

namespace zentrel {

// Settings under registry-style keys ("Software\Maker\Product\"), kept in two settings files of
// the data folder: "user.ini" for the current user and "machine.ini" for the local machine.
// Key and value names are matched without regard to case, as the registry does. Writes are
// flushed at once, so every other instance reads them.
class CRegistry {
public:
    static constexpr std::uint32_t kCurrentUser = 0x80000001u;
    static constexpr std::uint32_t kLocalMachine = 0x80000002u;

    // True when the value exists (and, for ReadLong, is a number); value is left alone otherwise.
    bool ReadString(std::uint32_t root, const QString& key, const QString& name,
                    QString& value) const;
    bool ReadLong(std::uint32_t root, const QString& key, const QString& name, qint32& value) const;

    // Raise when the root is unknown or the settings file cannot be written.
    void WriteString(std::uint32_t root, const QString& key, const QString& name,
                     const QString& value) const;
    void WriteLong(std::uint32_t root, const QString& key, const QString& name, qint32 value) const;

    // The settings file of a root.
    static QString fileOf(std::uint32_t root);

private:
    static std::unique_ptr<QSettings> open(std::uint32_t root);
    static QString resolvedPath(QSettings& settings, const QString& key, const QString& name);
    void write(std::uint32_t root, const QString& key, const QString& name,
               const QVariant& value) const;
};

} // namespace zentrel
