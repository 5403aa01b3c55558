// What the library benchmarks share: stopping on a library error, and the
// process's peak memory.
#pragma once

#include "VoiceLibrary.h"

#include <cstdlib>
#include <iostream>

#include <sys/resource.h>

namespace morvane::bench {

// Ends the benchmark `program` when `result` is an error, saying it.
inline void check(const char* program, const LibraryResult& result)
{
    if (!result) {
        std::cerr << program << ": " << result.error() << '\n';
        std::exit(1);
    }
}

// The largest resident set so far, in MB.
inline double peakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace morvane::bench
