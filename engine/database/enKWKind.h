#pragma once

namespace zentrel {

// The kinds of keyword a listing asks for. A caller may pass any number (an unknown one is
// refused), so the type holds every int.
enum enKWKind : int {
    kwk_raw = 0,    // candidates: relevancy NULL
    kwk_kws = 1,    // kept: relevancy above 0
    kwk_banned = 2, // banned: relevancy 0
};

} // namespace zentrel
