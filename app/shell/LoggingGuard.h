#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

#include <QString>

#include "engine/platform/ZError.h"

// Runs a piece of work under one handler: an error ends the work and becomes one log entry at the
// caller's level and source. A ZError is logged with its signed number and description, any other
// standard exception with the caller's number and its text. The log is reached through a writer,
// so any log will do.
class LoggingGuard {
public:
    using Writer = std::function<void(std::int32_t number, const QString& text, int level,
                                      const QString& source)>;

    // The number some callers log a standard exception with that is not a ZError.
    static constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(zentrel::kUnexpected);

    LoggingGuard(Writer writer, int level, QString source, std::int32_t otherNumber = 0);

    // The writer of a log held by pointer (a CLogPtr, a KWServices*); a null one writes nothing.
    template <class Log> static Writer writerOf(Log log)
    {
        return [log = std::move(log)](std::int32_t number, const QString& text, int level,
                                      const QString& source) {
            if (log)
                log->Write(number, text, level, source);
        };
    }

    // A ZError or a standard exception ends the work as one entry; anything else passes on.
    template <class Work> void run(Work&& work) const
    {
        try {
            std::forward<Work>(work)();
        } catch (const std::exception& error) {
            write(error);
        }
    }

    // As run; anything else is logged too, as "Unknown error" with number 0.
    template <class Work> void runCatchingAll(Work&& work) const
    {
        try {
            std::forward<Work>(work)();
        } catch (const std::exception& error) {
            write(error);
        } catch (...) {
            writeUnknown();
        }
    }

    // The entries of errors the caller handles itself.
    void write(const zentrel::ZError& error) const;
    // A ZError keeps its own entry.
    void write(const std::exception& error) const;
    void writeUnknown() const;

private:
    Writer m_writer;
    int m_level;
    QString m_source;
    std::int32_t m_otherNumber;
};
