#pragma once

namespace zentrel {

// The owner of the master database object (the engine root). Ranking keywords above 2 gives
// its lookup handler a turn at once.
class IDBaserOwner {
public:
    virtual void moLookupTimer_Timer() = 0;

protected:
    ~IDBaserOwner() = default;
};

} // namespace zentrel
