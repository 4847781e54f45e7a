#pragma once

#include <exception>

#include <QString>

class KWServices;

// Runs a command of the keyword page under one handler: an error ends the command and is logged
// with its number, the level and the source; the user sees nothing.
class KWGuard {
public:
    template <class F>
    static void Run(KWServices* log, int level, const QString& source, F&& command)
    {
        try {
            command();
        } catch (const std::exception& error) {
            LogError(log, &error, level, source);
        } catch (...) {
            LogError(log, nullptr, level, source);
        }
    }

private:
    // error null: not a standard exception.
    static void LogError(KWServices* log, const std::exception* error, int level,
                         const QString& source);
};
