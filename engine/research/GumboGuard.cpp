#include "engine/research/GumboGuard.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <gumbo.h>

namespace {
// Where a failed assertion on this thread jumps to; null outside a guarded parse.
thread_local std::jmp_buf* assertionTarget = nullptr;
} // namespace

// Takes the place of the C library's handler for every assert() in the process: inside a
// guarded parse it jumps back to the parse's caller, elsewhere it reports and aborts as the
// library does.
extern "C" [[noreturn]] void __assert_fail(const char* assertion, const char* file,
                                           unsigned int line, const char* function) noexcept
{
    if (std::jmp_buf* const target = assertionTarget) {
        assertionTarget = nullptr;
        std::longjmp(*target, 1);
    }
    std::fprintf(stderr, "%s:%u: %s: Assertion `%s' failed.\n", file, line,
                 function ? function : "?", assertion);
    std::abort();
}

namespace zentrel {

// Nothing with a destructor lives in this frame, so the jump back into it skips no clean-up;
// gumbo's own frames are C.
GumboInternalOutput* GumboGuard::Parse(const GumboInternalOptions& options, const char* text,
                                       std::size_t size)
{
    std::jmp_buf target;
    if (setjmp(target) != 0)
        return nullptr;
    assertionTarget = &target;
    GumboInternalOutput* const output = gumbo_parse_with_options(&options, text, size);
    assertionTarget = nullptr;
    return output;
}

} // namespace zentrel
