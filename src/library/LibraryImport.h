// Voice files and TG-33 bank backups into the library in one operation:
// every file is read first; the voices are appended in one write, all or
// none. Voices already in the library are skipped.
#pragma once

#include "VoiceLibrary.h"

#include <string>
#include <vector>

namespace morvane {

struct ImportReport {
    bool refused = false;           // nothing was added: see problems and error
    int offered = 0;                // voices read from the files
    int added = 0;
    int firstRecord = -1;           // the number of the first added record
    int exactDuplicates = 0;        // skipped: the same voice is in the library (or earlier in the import)
    int nameOnlyDuplicates = 0;     // added, but equal but for the name to a voice there
    std::vector<std::string> problems;  // "FILE: what is wrong", one per fault
    // Set when a bank is damaged and nothing else is wrong: importing again
    // with keepWhole adds the voices that are whole.
    bool wholeVoicesKept = false;   // with keepWhole, some faults were passed over
    int wholeVoicesInDamagedBanks = 0;
    std::string error;              // the library could not be read or written

    // One paragraph for the user: what was added, skipped and why.
    std::string summary(const std::string& libraryPath) const;
    // True when keep-whole would add the whole voices of damaged banks.
    bool canKeepWhole() const { return refused && error.empty() && wholeVoicesInDamagedBanks > 0 && onlyBankFaults; }
    bool onlyBankFaults = true;
};

ImportReport importVoiceFiles(VoiceLibrary& library, const std::vector<std::string>& files, std::uint32_t mask,
                              bool keepWhole);

} // namespace morvane
