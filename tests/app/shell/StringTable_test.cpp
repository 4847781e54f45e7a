#include <gtest/gtest.h>

#include "app/shell/StringTable.h"
#include "engine/EngineMessages.h"

TEST(StringTable, HoldsTheProgramsMessagesExactly)
{
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {110, "Quintara Keywords"},
        {121, " Press 'Retry' to retry, 'Ignore' to open the default database, 'Abort' to exit "
              "Quintara Keywords. "},
        {122, " Press 'Retry' to retry, 'Cancel' to exit Quintara Keywords. "},
        {123, "First Project"},
        {124, "Default Cache"},
        {126, "File '%1' already exists. Are you sure you want overwrite it? "},
        {127, "File '%1' not found. "},
        {128, "File '%1' not found. Do you want to create a new keywords database? "},
        {138, "Do not show this message again. "},
        {188, "&Pause Auto Keyword Research"},
        {189, "&Resume Auto Keyword Research"},
        {190, "Are you sure you want to refresh searches counts?"},
        {191, "Searches counts are cleaned up sucessfully."},
        {1025, "Cannot contact. "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringTable::text(c.id), QString::fromUtf8(c.text)) << c.id;
}

// A message's line break is a real one: no text of the program's or the engine's table shows an
// escape sequence as its two characters.
TEST(StringTable, NoMessageShowsAnEscapeAsText)
{
    const auto expectNoEscape = [](const char* table, int id, const QString& text) {
        for (const char* escape : {"\\n", "\\r", "\\t"})
            EXPECT_FALSE(text.contains(QLatin1String(escape))) << table << " " << id;
    };
    // Both tables number their messages below 2000.
    for (int id = 0; id < 2000; ++id) {
        expectNoEscape("program", id, StringTable::text(id));
        expectNoEscape("engine", id, zentrel::EngineMessages::text(id));
    }
    EXPECT_TRUE(StringTable::text(117).contains(QStringLiteral("found with it.\nIf you want")));
}

TEST(StringTable, UnknownNumbersGiveEmptyText)
{
    EXPECT_TRUE(StringTable::text(99).isEmpty());
    EXPECT_FALSE(StringTable::contains(99));
    EXPECT_TRUE(StringTable::contains(110));
}

TEST(StringTable, FormatFillsPlaceholders)
{
    EXPECT_EQ(StringTable::format(125, {StringTable::text(123)}),
              QStringLiteral(" Press 'Retry' to retry, 'Ignore' to open 'First Project' database, "
                             "'Abort' to exit Quintara Keywords. "));
}
