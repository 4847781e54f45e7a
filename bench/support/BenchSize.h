#pragma once

#include <cstdlib>
#include <cstring>

namespace benchsupport {

// The project size of a run: "--keywords=N" on the command line (taken out of argv before
// Google Benchmark reads it), else the environment variable QUINTARA_BENCH_KEYWORDS, else the
// default.
inline int projectSize(int& argc, char** argv, int fallback)
{
    constexpr const char* kFlag = "--keywords=";
    int size = fallback;
    if (const char* env = std::getenv("QUINTARA_BENCH_KEYWORDS"); env && std::atoi(env) > 0)
        size = std::atoi(env);
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, std::strlen(kFlag)) == 0)
            size = std::atoi(argv[i] + std::strlen(kFlag));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return size > 0 ? size : fallback;
}

} // namespace benchsupport
