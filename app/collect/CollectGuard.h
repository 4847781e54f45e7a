#pragma once

#include <exception>

#include <QString>

#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"

// The one handler of a collection command: any error ends the command and becomes one log entry
// at level 4 under the command's source; the user is not told.
class CollectGuard {
public:
    template <class Work>
    static void Run(const zentrel::CLogPtr& log, const QString& source, Work&& work) noexcept
    {
        try {
            work();
        } catch (const zentrel::ZError& error) {
            Write(log, error, source);
        } catch (const std::exception& error) {
            write(log, static_cast<std::int32_t>(zentrel::kUnexpected),
                  QString::fromLocal8Bit(error.what()), source);
        }
    }

    // The entry of an error that a command handles itself.
    static void Write(const zentrel::CLogPtr& log, const zentrel::ZError& error,
                      const QString& source) noexcept
    {
        write(log, error.signedNumber(), error.description(), source);
    }

private:
    static void write(const zentrel::CLogPtr& log, std::int32_t number, const QString& text,
                      const QString& source) noexcept
    {
        if (log)
            log->Write(number, text, 4, source);
    }
};
