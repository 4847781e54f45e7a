#pragma once

#include <QString>

// What the group pickers remember for the program's run: the key of the last picked node and
// the last picked rank (0: none). Not saved.
struct GroupPickMemory {
    QString lastKey;
    int lastRank = 0;
};
