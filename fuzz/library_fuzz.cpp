// The library file reader on any file content: listing, counting, names and
// loading never fault, the scan agrees with the count, and a voice appended
// to whatever is there loads back with its name and categories.
#include "FuzzFile.h"
#include "VoiceLibrary.h"
#include "VoiceData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile file;
    file.fill(data, size);
    VoiceLibrary library(file.path());
    library.setFlushEachWrite(false);
    VoiceParameters voice;
    VoiceData codec(voice);

    const int count = library.recordCount();
    std::vector<RecordSummary> records;
    if (!library.scanRecords(records) || records.size() != static_cast<std::size_t>(count))
        std::abort();
    for (int n : {-1, 0, 1, count - 1, count}) {
        if (n >= 0 && n < count && library.recordName(n) != records[static_cast<std::size_t>(n)].name)
            std::abort();
        library.recordCategories(n);
        [[maybe_unused]] const LibraryResult loaded = library.loadRecord(n, codec);
    }

    std::memcpy(voice.common.name, "Appended", 8);
    if (const LibraryResult added = library.appendRecord(0x81, codec); !added || library.recordCount() != count + 1) {
        std::fprintf(stderr, "append: %s, count %d after %d\n", added.error().c_str(), library.recordCount(), count);
        std::abort();
    }
    std::memset(&voice, 0, sizeof voice);
    if (!library.loadRecord(count, codec) || std::memcmp(voice.common.name, "Appended", 8) != 0
        || library.recordCategories(count) != 0x81 || library.recordName(count) != "Appended")
        std::abort();
    return 0;
}
