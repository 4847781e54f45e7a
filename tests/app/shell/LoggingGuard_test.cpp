#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <QFile>
#include <gtest/gtest.h>

#include "app/shell/LoggingGuard.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

namespace {

struct Entry {
    std::int32_t number;
    QString text;
    int level;
    QString source;

    bool operator==(const Entry&) const = default;
};

// A log reached through a pointer, as the keyword pages reach theirs.
class RecordingLog {
public:
    void Write(std::int32_t number, const QString& text, int level, const QString& source)
    {
        entries.push_back({number, text, level, source});
    }

    std::vector<Entry> entries;
};

enum class Form { Run, RunCatchingAll, Write };

void throwZError()
{
    throw zentrel::ZError(zentrel::objectError(12), QStringLiteral("No such group. "),
                          QStringLiteral("engine"));
}

void throwStandard()
{
    throw std::runtime_error("disk full");
}

void throwUnknown()
{
    throw 7;
}

// The handled-error form writes what the caller caught.
void handle(const LoggingGuard& guard, void (*raise)())
{
    try {
        raise();
    } catch (const std::exception& error) {
        guard.write(error);
    } catch (...) {
        guard.writeUnknown();
    }
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(LoggingGuard, OneEntryPerError)
{
    const std::int32_t zerrorNumber = static_cast<std::int32_t>(zentrel::objectError(12));
    const struct {
        const char* name;
        Form form;
        void (*raise)();
        std::int32_t otherNumber;
        std::optional<Entry> entry;
    } cases[] = {
        {"zerror", Form::Run, throwZError, 0, Entry{zerrorNumber, "No such group. ", 3, "src"}},
        {"zerror, all", Form::RunCatchingAll, throwZError, 0,
         Entry{zerrorNumber, "No such group. ", 3, "src"}},
        {"zerror, handled", Form::Write, throwZError, LoggingGuard::kUnexpected,
         Entry{zerrorNumber, "No such group. ", 3, "src"}},
        {"standard", Form::Run, throwStandard, 0, Entry{0, "disk full", 3, "src"}},
        {"standard, unexpected", Form::Run, throwStandard, LoggingGuard::kUnexpected,
         Entry{LoggingGuard::kUnexpected, "disk full", 3, "src"}},
        {"standard, handled", Form::Write, throwStandard, LoggingGuard::kUnexpected,
         Entry{LoggingGuard::kUnexpected, "disk full", 3, "src"}},
        {"unknown, all", Form::RunCatchingAll, throwUnknown, LoggingGuard::kUnexpected,
         Entry{0, "Unknown error", 3, "src"}},
        {"unknown, handled", Form::Write, throwUnknown, 0, Entry{0, "Unknown error", 3, "src"}},
        {"no error", Form::RunCatchingAll, [] {}, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingLog log;
        const LoggingGuard guard(LoggingGuard::writerOf(&log), 3, QStringLiteral("src"),
                                 c.otherNumber);
        switch (c.form) {
        case Form::Run:
            EXPECT_NO_THROW(guard.run(c.raise));
            break;
        case Form::RunCatchingAll:
            EXPECT_NO_THROW(guard.runCatchingAll(c.raise));
            break;
        case Form::Write:
            handle(guard, c.raise);
            break;
        }
        const std::vector<Entry> expected =
            c.entry ? std::vector<Entry>{*c.entry} : std::vector<Entry>{};
        EXPECT_EQ(log.entries, expected);
    }
}

TEST(LoggingGuard, RunPassesOnWhatIsNoStandardException)
{
    RecordingLog log;
    const LoggingGuard guard(LoggingGuard::writerOf(&log), 4, QStringLiteral("src"));
    EXPECT_THROW(guard.run(throwUnknown), int);
    EXPECT_TRUE(log.entries.empty());
}

TEST(LoggingGuard, WritesToTheProgramLog)
{
    const testsupport::TempHome home;
    const auto log = std::make_shared<zentrel::CLog>();
    log->Open(home.file("full.log"), home.file("short.log"));
    LoggingGuard(LoggingGuard::writerOf(zentrel::CLogPtr(log)), 4, QStringLiteral("MMisc.Paste"),
                 LoggingGuard::kUnexpected)
        .run(throwStandard);
    const QString line = readText(home.file("short.log"));
    EXPECT_TRUE(line.endsWith(QStringLiteral("\t4\t0x8000FFFF\tMMisc.Paste\tdisk full\n")))
        << line.toStdString();
}

TEST(LoggingGuard, NoLogWritesNothing)
{
    for (void (*raise)() : {throwZError, throwStandard, throwUnknown}) {
        const LoggingGuard guard(LoggingGuard::writerOf(zentrel::CLogPtr()), 4,
                                 QStringLiteral("src"));
        EXPECT_NO_THROW(guard.runCatchingAll(raise));
        EXPECT_NO_THROW(handle(guard, raise));
        const LoggingGuard withoutWriter({}, 4, QStringLiteral("src"));
        EXPECT_NO_THROW(withoutWriter.runCatchingAll(raise));
    }
}
