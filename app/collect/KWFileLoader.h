#pragma once

#include <optional>

#include <QString>

class QWidget;

// Reads a keyword text file for the add dialog. A file larger than the dialog can hold, or
// plainly not text, is refused with a message before it is read whole. A file of some size is
// read, decoded and normalised on a thread of its own behind a progress dialog that can cancel it.
class KWFileLoader {
public:
    explicit KWFileLoader(QWidget* owner);

    // The file's keywords as MMisc::NormalizeKWList gives them; nothing when the file is refused
    // or the user cancels. A file that cannot be read raises ZError.
    std::optional<QString> Load(const QString& path) const;

    // Whether a web page file is refused, with its message: one larger than a downloaded page
    // may be, or plainly not text. The page itself is read by the engine.
    bool RefusesPage(const QString& path) const;

private:
    bool refused(const QString& path, qint64 size, qint64 limit) const;
    std::optional<QString> loadBehindProgress(const QString& path, qint64 size) const;

    QWidget* m_owner;
};
