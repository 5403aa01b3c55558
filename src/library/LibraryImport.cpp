#include "LibraryImport.h"

#include "Duplicates.h"
#include "VoiceData.h"
#include "VoiceSource.h"

namespace morvane {

namespace {

std::string voices(int n)
{
    return std::to_string(n) + (n == 1 ? " voice" : " voices");
}

} // namespace

static ImportReport addVoices(VoiceLibrary& library, const std::vector<SourceVoice>& offered,
                              const std::vector<std::uint32_t>& offeredMasks, ImportReport report,
                              ReadProgress* progress = nullptr);

ImportReport importVoiceFiles(VoiceLibrary& library, const std::vector<std::string>& files, std::uint32_t mask,
                              bool keepWhole)
{
    ImportMasks masks;
    for (const std::string& file : files)
        masks.emplace_back(readVoiceSource(file).voices.size(), mask);
    return importVoiceFiles(library, files, masks, keepWhole);
}

ImportReport importVoiceFiles(VoiceLibrary& library, const std::vector<std::string>& files, const ImportMasks& masks,
                              bool keepWhole, ReadProgress* progress)
{
    ImportReport report;
    std::vector<SourceVoice> offered;
    std::vector<std::uint32_t> offeredMasks;
    for (std::size_t f = 0; f < files.size(); ++f) {
        const std::string& file = files[f];
        VoiceSource source = readVoiceSource(file);
        for (const std::string& fault : source.faults)
            report.problems.push_back(file + ": " + fault);
        if (!source.faults.empty()) {
            if (!source.bank)
                report.onlyBankFaults = false;
            else
                report.wholeVoicesInDamagedBanks += static_cast<int>(source.voices.size());
            if (!source.bank || !keepWhole) {
                report.refused = true;
                continue;
            }
            report.wholeVoicesKept = true;
        }
        for (std::size_t v = 0; v < source.voices.size(); ++v) {
            const std::uint32_t mask = f < masks.size() && v < masks[f].size() ? masks[f][v] : 0;
            if ((mask & kCategoryBits) == 0) {
                ++report.leftOut;
                continue;
            }
            offered.push_back(source.voices[v]);
            offeredMasks.push_back(mask);
        }
    }
    report.offered = static_cast<int>(offered.size()) + report.leftOut;
    if (report.refused)
        return report;
    return addVoices(library, offered, offeredMasks, std::move(report), progress);
}

ImportReport importVoices(VoiceLibrary& library, const std::vector<SourceVoice>& voices, std::uint32_t mask,
                          ReadProgress* progress)
{
    ImportReport report;
    report.offered = static_cast<int>(voices.size());
    return addVoices(library, voices, std::vector<std::uint32_t>(voices.size(), mask), std::move(report), progress);
}

static ImportReport addVoices(VoiceLibrary& library, const std::vector<SourceVoice>& offered,
                              const std::vector<std::uint32_t>& offeredMasks, ImportReport report,
                              ReadProgress* progress)
{
    // Held from looking for voices already there to the append: another
    // program's change in between would make the numbers and the skipped
    // voices wrong.
    const LibraryLock lock(library);
    if (!lock) {
        report.refused = true;
        report.error = lock.result().error();
        return report;
    }
    std::vector<LibraryRecord> made(offered.size());
    std::vector<VoiceDump> dumps(offered.size());
    VoiceParameters voice;
    VoiceData data(voice);
    for (std::size_t n = 0; n < offered.size(); ++n) {
        voice = offered[n].voice;
        if (LibraryResult madeOne = makeRecord(offeredMasks[n], data, made[n]); !madeOne) {
            report.refused = true;
            report.error = madeOne.error();
            return report;
        }
        std::copy(made[n].begin() + kRecordMaskSize, made[n].end(), dumps[n].begin());
    }
    // The library's voices are hashed once and kept beside it; an import
    // reads only what was appended since.
    DuplicateIndex index(library);
    if (LibraryResult prepared = index.prepare(dumps, progress); !prepared) {
        report.refused = true;
        report.error = prepared.error();
        return report;
    }
    const auto stopped = [&] {
        if (progress == nullptr || !progress->cancel)
            return false;
        report.refused = report.cancelled = true;
        return true;
    };
    if (stopped())
        return report;  // index.cancelled() too
    const int count = library.recordCount();
    std::vector<LibraryRecord> records;
    std::vector<VoiceDump> added;
    for (std::size_t n = 0; n < offered.size(); ++n) {
        const VoiceDump& dump = dumps[n];
        const DuplicateIndex::Match match = index.find(dump);
        if (match.exact >= 0 && match.exact < count) {
            ++report.exactDuplicates;
            continue;
        }
        if (match.exact >= 0)
            ++report.repeated;  // the files hold it twice: both are added, as the files have them
        else if (match.nameOnly >= 0)
            ++report.nameOnlyDuplicates;
        index.addPending(dump, count + static_cast<int>(records.size()));
        records.push_back(made[n]);
        added.push_back(canonicalDump(made[n]));
    }
    if (stopped())
        return report;  // the last moment a cancel leaves the library untouched
    if (!records.empty()) {
        if (LibraryResult appended = library.appendRecords(records); !appended) {
            report.refused = true;
            report.error = appended.error();
            return report;
        }
        report.firstRecord = count;
        index.appended(count, added);
    }
    report.added = static_cast<int>(records.size());
    return report;
}

std::string ImportReport::summary(const std::string& libraryPath) const
{
    std::string text;
    if (cancelled)
        return "The import was cancelled. Nothing was added to " + libraryPath + ".";
    if (refused) {
        text = "Nothing was added to " + libraryPath + ".";
        if (!error.empty())
            text += " " + error;
        if (canKeepWhole())
            text += " The damaged " + std::string(wholeVoicesInDamagedBanks == 1 ? "bank holds " : "banks hold ")
                    + voices(wholeVoicesInDamagedBanks) + " that are whole; they can be kept on their own.";
        return text;
    }
    if (added == 0)
        text = "No voice was added to " + libraryPath + ".";
    else
        text = "Added " + voices(added) + " to " + libraryPath + " as record"
               + (added == 1 ? " " + std::to_string(firstRecord)
                             : "s " + std::to_string(firstRecord) + " to " + std::to_string(firstRecord + added - 1))
               + ".";
    if (exactDuplicates > 0)
        text += " " + voices(exactDuplicates) + (exactDuplicates == 1 ? " was" : " were")
                + " already there and skipped.";
    if (nameOnlyDuplicates > 0)
        text += " " + voices(nameOnlyDuplicates) + " added " + (nameOnlyDuplicates == 1 ? "differs" : "differ")
                + " only in name from another.";
    if (leftOut > 0)
        text += " " + voices(leftOut) + " without a category " + (leftOut == 1 ? "was" : "were") + " left out.";
    if (repeated > 0)
        text += " " + voices(repeated) + " added " + (repeated == 1 ? "is" : "are")
                + " the same as another voice of the same import.";
    if (wholeVoicesKept)
        text += " Damaged banks gave only their whole voices.";
    return text;
}

} // namespace morvane
