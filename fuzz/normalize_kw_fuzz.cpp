#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzEntries::require(FuzzEntries::normalizeKW(FuzzEntries::bytes(data, size)));
}
