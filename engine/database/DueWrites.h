#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/database/DueKeys.h"

namespace zentrel {

// The writes that may add a keyword to one research timer's due keywords, counted, with the
// place in the timer's order of the latest of them where it is known: what a pick needs to read
// on from where it got, from the first place written on.
class DueWrites {
public:
    // One write more, at a place in the order, or at a place not known.
    void add(const std::optional<DueKey>& place);
    std::uint64_t count() const;
    // The writes after the count given: the first place among them, when they are all known.
    DueSince since(std::uint64_t count) const;

private:
    static constexpr std::size_t kKept = 1024;

    mutable std::mutex m_mutex;
    std::uint64_t m_count = 0;
    std::uint64_t m_unknownAt = 0; // the count after the latest write not placed or forgotten
    std::deque<std::pair<std::uint64_t, DueKey>> m_placed; // the latest placed, the oldest first
};

} // namespace zentrel
