// Voice files and voice banks (SY and TG-33) into the library in one operation:
// every file is read first; the voices are appended in one write, all or
// none. Voices already in the library are skipped; voices the files hold
// twice are added as the files have them (and counted).
#pragma once

#include "Duplicates.h"
#include "VoiceLibrary.h"
#include "VoiceSource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

struct ImportReport {
    bool refused = false;           // nothing was added: see problems and error
    bool cancelled = false;         // refused: asked to stop before anything was written
    int offered = 0;                // voices read from the files
    int added = 0;
    int firstRecord = -1;           // the number of the first added record
    int exactDuplicates = 0;        // skipped: the same voice is in the library
    int nameOnlyDuplicates = 0;     // added, equal but for the name to a voice there or in the import
    int repeated = 0;               // added, the same as another voice of this import
    int leftOut = 0;                // given no category, so not added
    std::vector<std::string> problems;  // "FILE: what is wrong", one per fault
    bool onlyBankFaults = true;     // no file but a damaged bank was refused
    int wholeVoicesInDamagedBanks = 0;
    bool wholeVoicesKept = false;   // with keepWhole, damaged banks gave their whole voices
    std::string error;              // the library could not be read or written

    // One paragraph for the user: what was added, skipped and why.
    std::string summary(const std::string& libraryPath) const;
    // True when importing again with keepWhole would add the whole voices of
    // damaged banks, nothing else being wrong.
    bool canKeepWhole() const { return refused && error.empty() && wholeVoicesInDamagedBanks > 0 && onlyBankFaults; }
};

ImportReport importVoiceFiles(VoiceLibrary& library, const std::vector<std::string>& files, std::uint32_t mask,
                              bool keepWhole);

// The same for voices already read (a bank window's): added in one write,
// those already in the library skipped.
ImportReport importVoices(VoiceLibrary& library, const std::vector<SourceVoice>& voices, std::uint32_t mask,
                          ReadProgress* progress = nullptr);

// The same with each voice's own categories: masks[f][v] for the v-th whole
// voice (in file order, as readVoiceSource gives them) of files[f]. A voice
// with no category, or none given, is left out.
using ImportMasks = std::vector<std::vector<std::uint32_t>>;
// With `progress` it can be run on a thread of its own: progress shows the
// reading of the library (the long part the first time a library is met) and
// its cancel stops the import before anything is written; once the voices
// are being written they are written whole.
ImportReport importVoiceFiles(VoiceLibrary& library, const std::vector<std::string>& files, const ImportMasks& masks,
                              bool keepWhole, ReadProgress* progress = nullptr);

} // namespace morvane
