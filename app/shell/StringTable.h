#pragma once

#include <QString>
#include <QStringList>

// The program's string table: user messages read by number.
class StringTable {
public:
    // The message's text; empty for a number the table does not hold.
    static QString text(int id);
    // The message with "%1".."%n" filled from args by the engine's one formatter.
    static QString format(int id, const QStringList& args);
    // Whether the table holds the number.
    static bool contains(int id);

    static constexpr int kProductName = 110;
};
