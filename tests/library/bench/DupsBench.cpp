// Times the duplicate search over a large library (what `morvane-syx lib
// dups` does after listing the names) beside one plain read of the same
// file, and the memory it needs beside the file's size: the first search,
// which works out the hashes kept beside the library, and the searches after
// it, which read them.
//
//   dups_bench [RECORDS] [KEEP]      (default 1000000; KEEP: leave the
//                                     library at that path for timing the
//                                     command itself)
//
// Records are random voices; one in fifty is a copy of the record before it
// and one in fifty a renamed copy, as a library grown by imports holds them.
// Run it from an optimised build without sanitizers, file in the page cache.
#include "Duplicates.h"
#include "BenchSupport.h"
#include "RandomVoice.h"
#include "VoiceData.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace morvane;
namespace fs = std::filesystem;

namespace {

void check(const LibraryResult& result) { bench::check("dups_bench", result); }
using bench::peakMegabytes;

template <typename Work>
double seconds(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int total = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (total <= 0) {
        std::cerr << "usage: dups_bench [RECORDS] [KEEP]\n";
        return 2;
    }
    const fs::path dir = fs::temp_directory_path() / ("morvane-dups-bench-" + std::to_string(::getpid()));
    const std::string path = argc > 2 ? std::string(argv[2]) : (dir / "SOUNDS.SYL").string();
    if (argc <= 2)
        fs::create_directories(dir);
    fs::remove(path);
    VoiceLibrary library(path);

    VoiceParameters voice;
    VoiceData data(voice);
    for (int n = 0; n < total; ++n) {
        if (n % 50 == 49) {
            voice.common.name[0] = static_cast<char>('A' + n % 26);   // a renamed copy
        } else if (n % 50 != 48) {
            voice = test::RandomVoice(static_cast<unsigned>(n) + 1).make();
        }                                                            // else the same voice again
        check(library.appendRecord(0x1, data));
    }
    const double memoryBefore = peakMegabytes();
    const double fileMegabytes = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);

    std::size_t sink = 0;
    const auto plainRead = [&] {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::vector<char> block(1 << 20);
        std::size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            sink += static_cast<unsigned char>(block[got - 1]);
        std::fclose(file);
    };
    plainRead();
    double read = 1e9, search = 1e9;
    DuplicateIndex::Groups groups;
    fs::remove(DuplicateIndex::hashesPath(path));
    const double first = seconds([&] {
        DuplicateIndex index(library);
        check(index.groups(groups));
    });
    const std::size_t firstGroups = groups.exact.size() + groups.nameOnly.size();
    for (int run = 0; run < 3; ++run) {
        read = std::min(read, seconds(plainRead));
        search = std::min(search, seconds([&] {
            DuplicateIndex index(library);
            check(index.groups(groups));
        }));
    }
    const double memoryAfter = peakMegabytes();

    std::printf("Library of %d records, %.1f MB (best of 3 runs, file in the page cache)\n", total, fileMegabytes);
    std::printf("  plain read of the file          %8.3f s\n", read);
    std::printf("  first duplicate search          %8.3f s  (%.1fx the read; works out the kept hashes)\n", first,
                first / read);
    std::printf("  duplicate search                %8.3f s  (%.1fx the read)\n", search, search / read);
    if (groups.exact.size() + groups.nameOnly.size() != firstGroups) {
        std::fprintf(stderr, "dups_bench: the searches found different groups\n");
        return 1;
    }
    std::printf("  groups: %zu of the same voice, %zu the same but for the name\n", groups.exact.size(),
                groups.nameOnly.size());
    std::printf("  peak resident memory: %.1f MB before the search, %.1f MB after (%.2fx the file)\n", memoryBefore,
                memoryAfter, memoryAfter / fileMegabytes);
    if (argc <= 2)
        fs::remove_all(dir);
    return sink == 0xFFFFFFFF ? 3 : 0;   // keeps the reads from being optimised away
}
