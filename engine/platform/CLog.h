#pragma once

#include <memory>
#include <mutex>

#include <QString>
#include <QVariant>

namespace zentrel {

// The log: a full log and, on the main instance, a short log that also receives the errors
// (levels 0 and 4). Any number of instances on any threads may write to one file: each line is
// written whole under a lock shared by every instance on that file.
// Line layout: timestamp, level, number as 0x%08X, source, text, separated by tabs (the text,
// last, may hold tabs of its own).
class CLog {
public:
    CLog() = default;
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    void Open(const QString& logFile, const QString& shortLogFile);
    // A worker's own instance on the full log of another.
    void Attach(const QString& logFile);

    // Never throws; a line that cannot be written is dropped.
    void Write(qint64 number, const QString& text, int level, const QString& source) noexcept;

    QString LogFile() const;

    // The line as written (without the line end); line breaks in the parts become blanks.
    static QString formatLine(qint64 number, const QString& text, int level, const QString& source);

private:
    static bool isError(int level) { return level == 0 || level == 4; }

    mutable std::mutex m_mutex;
    QString m_logFile;
    QString m_shortLogFile;
};

using CLogPtr = std::shared_ptr<CLog>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CLogPtr)
