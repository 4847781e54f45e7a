#include "engine/EngineMessages.h"

#include <gtest/gtest.h>

using zentrel::EngineMessages;

TEST(EngineMessages, TextsAndNumbersAreTheEnginesOwn)
{
    struct Case {
        int id;
        std::uint32_t number;
        const char* text;
    };
    const Case cases[] = {
        {641, 0x80040281u, "URL 'x' is already downloading. "},
        {642, 0x80040282u, "Failed to start download URL 'x'. "},
        {643, 0x80040283u, "Could not found Overture cache file 'x'. "},
        {644, 0x80040284u,
         "Cannot create the table link from Overture cache database to Project database. "},
        {645, 0x80040285u, "Connection status is offline. "},
        {646, 0x80040286u, "Cannot open keywords cache database 'x'. "},
        {647, 0x80040287u,
         "Keywords cache database is not opened. Open keywords cache database first. "},
        {648, 0x80040288u, "Cannot open project database 'x'. "},
        {649, 0x80040289u, "Cannot parse page. "},
        {650, 0x8004028Au, "URL is already downloaded. "},
        {651, 0x8004028Bu, "Timeout exceeded. "},
        {652, 0x8004028Cu, "Looping in interactive state. "},
        {653, 0x8004028Du, ""},
        {654, 0x8004028Eu, "Cannot get keywords from web page."},
        {656, 0x80040290u, "Cannot upgrade project database. "},
        {108, 0x8004006Cu, "Got from Overture for kw 'x'."},
    };
    for (const auto& c : cases) {
        const auto error = EngineMessages::error(c.id, "x", "Source.Name");
        EXPECT_EQ(error.number(), c.number) << c.id;
        EXPECT_EQ(error.description(), QString(c.text)) << c.id;
        EXPECT_EQ(error.source(), QString("Source.Name"));
    }
    EXPECT_EQ(EngineMessages::text(643), QString("Could not found Overture cache file '%1'. "));
    EXPECT_TRUE(EngineMessages::text(1).isEmpty());
}
