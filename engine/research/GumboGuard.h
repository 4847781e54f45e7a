#pragma once

#include <cstddef>

struct GumboInternalOptions;
struct GumboInternalOutput;

namespace zentrel {

// Runs a gumbo parse so that one of gumbo's own assertions, which Debian's build keeps and
// some malformed pages fail, abandons the parse instead of aborting the program.
class GumboGuard {
public:
    // The parse's output; null when gumbo failed an assertion on the text. The parse is then
    // left where it stood: the memory it took is freed through the options' allocator's
    // owner, never by gumbo.
    static GumboInternalOutput* Parse(const GumboInternalOptions& options, const char* text,
                                      std::size_t size);
};

} // namespace zentrel
