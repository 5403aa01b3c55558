// Voice files and bank backups into the library, and finding the voices that
// are there twice.
#include "Duplicates.h"
#include "LibraryFixture.h"
#include "LibraryImport.h"
#include "VoiceBank.h"

#include <functional>

#include <sys/stat.h>

using namespace morvane;
using namespace morvane::test;
namespace fs = std::filesystem;

namespace {

class LibraryImportTest : public LibraryFixture {
protected:
    static std::string bankPath() { return (fs::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string(); }
    static Bytes realBank()
    {
        Bytes bank = read(bankPath());
        EXPECT_EQ(bankSize(kTg33BankFormat), bank.size()) << "missing test data: " << MORVANE_FIXTURES;
        return bank;
    }
    static std::string join(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }
};

} // namespace

TEST_F(LibraryImportTest, TheRealBankImportsAs64VoicesAndASecondTimeAsNone)
{
    const Bytes bank = realBank();
    const std::string path = pathOf("SOUNDS.SYL");
    VoiceLibrary lib(path);
    const ImportReport first = importVoiceFiles(lib, {bankPath()}, 0x0020, false);
    ASSERT_FALSE(first.refused) << join(first.problems) << first.error;
    EXPECT_EQ(64, first.added);
    EXPECT_EQ(0, first.firstRecord);
    EXPECT_EQ(1, first.repeated) << "the bank holds \"SC*Decay\" twice";
    ASSERT_EQ(64, lib.recordCount());

    // Each record is the voice decoded on its own from the bank.
    const BankRead contents = readVoiceBank(bank.data(), bank.size());
    ASSERT_EQ(64, contents.wholeVoices());
    for (int n = 0; n < 64; ++n) {
        VoiceParameters single;
        VoiceData singleData(single);
        const Bytes message = contents.bank.voiceDump(n, 0);
        ASSERT_TRUE(singleData.decodeDump(message.data(), message.size()));
        VoiceParameters stored;
        VoiceData storedData(stored);
        ASSERT_TRUE(lib.loadRecord(n, storedData));
        EXPECT_EQ(dumpOf(single), dumpOf(stored)) << "voice " << n + 1;
        EXPECT_EQ(std::string(single.common.name, 8), lib.recordName(n));
        EXPECT_EQ(0x0020u, lib.recordCategories(n));
    }

    const Bytes before = read(path);
    const ImportReport again = importVoiceFiles(lib, {bankPath()}, 0x0001, false);
    EXPECT_FALSE(again.refused);
    EXPECT_EQ(0, again.added);
    EXPECT_EQ(64, again.exactDuplicates);
    EXPECT_NE(std::string::npos, again.summary(path).find("64 voices were already there"));
    EXPECT_EQ(before, read(path));
}

TEST_F(LibraryImportTest, ADamagedBankAddsNothingUnlessTheWholeVoicesAreKept)
{
    const Bytes bank = realBank();
    const std::size_t block3 = bankBlockStart(kTg33BankFormat, 2);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* said;
        int whole;
    };
    const Case cases[] = {
        {"cut short in block 3", [&](Bytes& b) { b.resize(block3 + 500); }, "cut short", 8},
        {"a wrong count in block 3", [&](Bytes& b) { b[block3] ^= 0x01; }, "count", 60},
        {"a wrong checksum in block 3", [&](Bytes& b) { b[block3 + 2 + 2348] ^= 0x01; }, "checksum", 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = bank;
        c.damage(damaged);
        const std::string file = write("damaged.syx", damaged);
        const Bytes start = library(2);
        const std::string path = write("SOUNDS.SYL", start);
        VoiceLibrary lib(path);

        const ImportReport refused = importVoiceFiles(lib, {file}, 0x1, false);
        EXPECT_TRUE(refused.refused);
        EXPECT_TRUE(refused.canKeepWhole());
        EXPECT_EQ(c.whole, refused.wholeVoicesInDamagedBanks);
        EXPECT_NE(std::string::npos, join(refused.problems).find("block 3")) << join(refused.problems);
        EXPECT_NE(std::string::npos, join(refused.problems).find(c.said)) << join(refused.problems);
        EXPECT_NE(std::string::npos, join(refused.problems).find(file));
        EXPECT_EQ(start, read(path));

        const ImportReport kept = importVoiceFiles(lib, {file}, 0x1, true);
        EXPECT_FALSE(kept.refused);
        EXPECT_EQ(c.whole, kept.added);
        EXPECT_EQ(2 + c.whole, lib.recordCount());
        EXPECT_NE(std::string::npos, kept.summary(path).find("only their whole voices"));
    }

    // A file that is no voice at all stops everything, keep-whole or not.
    const std::string path = write("SOUNDS.SYL", library(1));
    VoiceLibrary lib(path);
    const std::string junk = write("junk.syx", {0xF0, 0x01, 0xF7});
    const ImportReport report = importVoiceFiles(lib, {bankPath(), junk}, 0x1, true);
    EXPECT_TRUE(report.refused);
    EXPECT_FALSE(report.canKeepWhole());
    EXPECT_EQ(1, lib.recordCount());
}

TEST_F(LibraryImportTest, VoicesEqualButForTheNameAreAddedAndListedAsGroups)
{
    const VoiceParameters pad = namedVoice("Pad 1   ", 7);
    const Bytes start = [&] {
        Bytes bytes(kLibraryMagic.begin(), kLibraryMagic.end());
        for (const Bytes& r : {record(1, pad), record(2, namedVoice("Other   ", 8)), record(4, pad)})
            bytes.insert(bytes.end(), r.begin(), r.end());
        return bytes;
    }();
    const std::string path = write("SOUNDS.SYL", start);
    VoiceLibrary lib(path);
    VoiceParameters renamed = pad;
    std::memcpy(renamed.common.name, "Pad 2   ", 8);
    VoiceParameters effect = pad;  // the effect byte comes before the name, and is part of the voice
    effect.common.effectType = static_cast<std::uint8_t>((effect.common.effectType + 1) % 16);

    const ImportReport report = importVoiceFiles(
        lib, {write("same.syx", dumpOf(pad)), write("renamed.syx", dumpOf(renamed)), write("effect.syx", dumpOf(effect))},
        0x8, false);
    ASSERT_FALSE(report.refused) << join(report.problems);
    EXPECT_EQ(1, report.exactDuplicates);
    EXPECT_EQ(2, report.added);
    EXPECT_EQ(1, report.nameOnlyDuplicates);
    EXPECT_EQ("Pad 2   ", lib.recordName(3));

    DuplicateIndex index(lib);
    DuplicateIndex::Groups groups;
    ASSERT_TRUE(index.groups(groups));
    EXPECT_EQ((std::vector<std::vector<int>>{{0, 2}}), groups.exact);
    EXPECT_EQ((std::vector<std::vector<int>>{{0, 2, 3}}), groups.nameOnly);
}

TEST_F(LibraryImportTest, AnSyBankImportsItsVoicesAsTheyAreInTheBank)
{
    VoiceBank bank(DumpLayout::Sy);
    RandomVoice random(42);
    for (int slot = 0; slot < kBankVoices; ++slot)
        bank.putVoice(slot, random.make());
    bank.setMulti(Bytes(kSyBankFormat.multiSize, 0));
    const std::string file = write("sy-bank.syx", bank.encode(0));
    VoiceLibrary lib(pathOf("SOUNDS.SYL"));
    const ImportReport report = importVoiceFiles(lib, {file}, 0x2, false);
    ASSERT_FALSE(report.refused) << join(report.problems) << report.error;
    EXPECT_EQ(64, report.added);
    for (int n : {0, 63}) {
        LibraryRecord record;
        ASSERT_TRUE(lib.readRecord(n, record));
        const Bytes single = bank.voiceDump(n, 0);
        EXPECT_TRUE(std::equal(single.begin(), single.end(), record.begin() + kRecordMaskSize)) << "voice " << n + 1;
    }
}

// Each voice of a bank can carry its own categories; a voice given none is
// left out (and said so), and the others keep their order.
TEST_F(LibraryImportTest, EachVoiceOfABankTakesItsOwnCategoriesAndOnesWithoutAreLeftOut)
{
    realBank();
    const std::string path = pathOf("SOUNDS.SYL");
    VoiceLibrary lib(path);
    std::vector<std::uint32_t> bankMasks(64, 0x0020);
    bankMasks[0] = 0x0001;
    bankMasks[1] = 0;  // left out
    bankMasks[63] = 0x00010000;  // no category among the sixteen: left out too
    bankMasks[2] = 0x0003;
    const ImportReport report = importVoiceFiles(lib, {bankPath()}, ImportMasks{bankMasks}, false);
    ASSERT_FALSE(report.refused) << join(report.problems) << report.error;
    EXPECT_EQ(62, report.added);
    EXPECT_EQ(2, report.leftOut);
    EXPECT_EQ(64, report.offered);
    EXPECT_NE(std::string::npos, report.summary(path).find("2 voices without a category were left out"))
        << report.summary(path);
    ASSERT_EQ(62, lib.recordCount());
    EXPECT_EQ(0x0001u, lib.recordCategories(0));
    EXPECT_EQ(0x0003u, lib.recordCategories(1));  // the bank's third voice
    EXPECT_EQ(0x0020u, lib.recordCategories(61));
    const VoiceSource source = readVoiceSource(bankPath());
    ASSERT_EQ(64u, source.voices.size());
    EXPECT_EQ(std::string(source.voices[2].voice.common.name, 8), lib.recordName(1));
}

// Only regular files are read, and a pipe is not waited on; a bank must
// carry the whole header of a voice dump (F0 43 0n 7E), not only the
// identifier. Each such file keeps the whole import out and is named.
TEST_F(LibraryImportTest, FoldersPipesAndForeignBanksAreRefused)
{
    const std::string folder = pathOf("a folder");
    fs::create_directory(folder);
    const std::string pipe = pathOf("a pipe");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    Bytes otherMaker = realBank();
    otherMaker[1] = 0x41;
    Bytes otherFormat = realBank();
    otherFormat[3] = 0x7F;
    Bytes badDevice = realBank();
    badDevice[2] = 0x10;
    const std::pair<std::string, std::string> files[] = {
        {folder, "not a regular file"},
        {pipe, "not a regular file"},
        {write("maker.syx", otherMaker), "no System Exclusive voice dump"},
        {write("format.syx", otherFormat), "no System Exclusive voice dump"},
        {write("device.syx", badDevice), "no System Exclusive voice dump"},
    };
    const std::string path = pathOf("SOUNDS.SYL");
    VoiceLibrary lib(path);
    for (const auto& [file, fault] : files) {
        const ImportReport report = importVoiceFiles(lib, {bankPath(), file}, 1, true);
        EXPECT_TRUE(report.refused) << file;
        ASSERT_EQ(1u, report.problems.size()) << file << "\n" << join(report.problems);
        EXPECT_EQ(file + ": ", report.problems[0].substr(0, file.size() + 2));
        EXPECT_NE(std::string::npos, report.problems[0].find(fault)) << report.problems[0];
        EXPECT_EQ(0, lib.recordCount()) << file;
    }
}

// Over more records than one read block, with groups whose records lie in
// different blocks, the groups are the classes a comparison of every pair
// finds.
TEST_F(LibraryImportTest, DuplicateGroupsOverManyBlocksAreThoseEveryPairGives)
{
    constexpr int kRecords = 2100;
    std::vector<VoiceParameters> voices;
    for (int n = 0; n < kRecords; ++n) {
        if (n % 7 == 6) {
            voices.push_back(voices[static_cast<std::size_t>(n >= 1100 ? n - 1100 : n / 2)]);  // the same voice, far back
        } else if (n % 11 == 10) {
            VoiceParameters renamed = voices.back();
            renamed.common.name[7] = static_cast<char>('a' + n % 26);
            voices.push_back(renamed);                                                // the last voice, renamed
        } else {
            voices.push_back(namedVoice("Voice   ", static_cast<unsigned>(n % 1500)));  // repeats past 1500
        }
    }
    Bytes bytes(kLibraryMagic.begin(), kLibraryMagic.end());
    for (int n = 0; n < kRecords; ++n) {
        Bytes r = record(1, voices[static_cast<std::size_t>(n)]);
        // Some copies stored as an older program may have written them: bits
        // the encoder leaves 0 (element A's envelope type) set. They are still
        // the same voice.
        if (n % 21 == 20)
            r[kRecordMaskSize + kSyMap.elements[0] + rowOf(kAwmHeaderFields, "envType").sy.at] |= 0x30;
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    VoiceLibrary lib(write("SOUNDS.SYL", bytes));
    ASSERT_EQ(kRecords, lib.recordCount());

    std::vector<VoiceDump> dumps;
    ASSERT_TRUE(lib.forEachRecord([&](int, const LibraryRecord& r) { dumps.push_back(canonicalDump(r)); }));
    const auto classes = [&](bool (*same)(const VoiceDump&, const VoiceDump&)) {
        std::vector<std::vector<int>> all;
        for (int n = 0; n < kRecords; ++n) {
            auto it = std::find_if(all.begin(), all.end(), [&](const std::vector<int>& c) {
                return same(dumps[static_cast<std::size_t>(c.front())], dumps[static_cast<std::size_t>(n)]);
            });
            if (it == all.end())
                all.push_back({n});
            else
                it->push_back(n);
        }
        std::erase_if(all, [](const std::vector<int>& c) { return c.size() < 2; });
        std::sort(all.begin(), all.end());
        return all;
    };
    const std::vector<std::vector<int>> exact = classes(sameVoice);
    std::vector<std::vector<int>> nameOnly = classes(sameButName);
    std::erase_if(nameOnly, [&](const std::vector<int>& c) { return std::binary_search(exact.begin(), exact.end(), c); });
    ASSERT_GT(exact.size(), 100u);
    ASSERT_GT(nameOnly.size(), 100u);

    DuplicateIndex index(lib);
    DuplicateIndex::Groups groups;
    ASSERT_TRUE(index.groups(groups));
    EXPECT_EQ(exact, groups.exact);
    EXPECT_EQ(nameOnly, groups.nameOnly);

    // The search after it reads the hashes the first kept beside the library.
    ASSERT_TRUE(std::filesystem::exists(DuplicateIndex::hashesPath(lib.targetPath())));
    DuplicateIndex again(lib);
    ASSERT_TRUE(again.groups(groups));
    EXPECT_EQ(exact, groups.exact);
    EXPECT_EQ(nameOnly, groups.nameOnly);
}

// An import keeps the library's hashes beside it and then reads only what was
// appended since. Whatever happened to the library or to the kept file in
// between, the next import must answer as one that reads every record.
TEST_F(LibraryImportTest, KeptHashesAnswerAsAFreshReadAfterAnyChange)
{
    const std::vector<SourceVoice> bank = readVoiceSource(bankPath()).voices;
    ASSERT_EQ(64u, bank.size());
    const std::vector<SourceVoice> firstHalf(bank.begin(), bank.begin() + 32);
    // The last import offers the bank and voice 6 as renamed below.
    std::vector<SourceVoice> offered = bank;
    offered.push_back(bank[5]);
    std::memcpy(offered.back().voice.common.name, "Other   ", 8);
    struct Case {
        const char* what;
        std::function<void(VoiceLibrary& other, const std::string& hashes)> change;
    };
    // Record-making of bank voice n (a VoiceData starts its voice afresh).
    VoiceParameters voice;
    const VoiceData data(voice);
    const auto voiceOf = [&](std::size_t n) -> const VoiceData& {
        voice = bank[n].voice;
        return data;
    };
    const Case cases[] = {
        {"nothing", [](VoiceLibrary&, const std::string&) {}},
        {"another program appended",
         [&](VoiceLibrary& other, const std::string&) {
             ASSERT_TRUE(other.appendRecord(1, voiceOf(40)));
         }},
        {"a record replaced in place, then one appended",
         [&](VoiceLibrary& other, const std::string&) {
             ASSERT_TRUE(other.overwriteRecord(3, 1, voiceOf(50)));
             ASSERT_TRUE(other.appendRecord(1, voiceOf(60)));
         }},
        {"records removed, then one appended",
         [&](VoiceLibrary& other, const std::string&) {
             ASSERT_TRUE(other.removeRecords({0, 1, 2}));
             ASSERT_TRUE(other.appendRecord(1, voiceOf(45)));
         }},
        {"a record renamed", [](VoiceLibrary& other, const std::string&) { ASSERT_TRUE(other.renameRecord(5, "Other")); }},
        {"the kept file damaged",
         [](VoiceLibrary&, const std::string& hashes) {
             std::fstream file(hashes, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(60);
             file.write("\xFF\xFF\xFF\xFF", 4);
         }},
        {"the kept file cut short",
         [](VoiceLibrary&, const std::string& hashes) { fs::resize_file(hashes, fs::file_size(hashes) - 8); }},
        {"the kept file of another library",
         [&](VoiceLibrary&, const std::string& hashes) {
             const std::string otherPath = pathOf("OTHER.SYL");
             VoiceLibrary otherLibrary(otherPath);
             ASSERT_FALSE(importVoices(otherLibrary, {bank.begin() + 32, bank.end()}, 1).refused);
             fs::copy_file(otherPath + ".hashes", hashes, fs::copy_options::overwrite_existing);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The same history in two libraries; the second's kept hashes are
        // removed before the last import, so it reads every record.
        ImportReport reports[2];
        Bytes contents[2];
        for (int kept = 0; kept < 2; ++kept) {
            const std::string path = pathOf(std::string(kept == 0 ? "KEPT-" : "FRESH-") + c.what + ".SYL");
            VoiceLibrary lib(path);
            ASSERT_FALSE(importVoices(lib, firstHalf, 1).refused);
            const std::string hashes = DuplicateIndex::hashesPath(path);
            ASSERT_TRUE(fs::exists(hashes));
            VoiceLibrary other(path);
            c.change(other, hashes);
            EXPECT_TRUE(fs::exists(hashes)) << "every change of the library carries them over";
            if (kept == 1)
                fs::remove(hashes);
            reports[kept] = importVoices(lib, offered, 1);
            ASSERT_FALSE(reports[kept].refused) << reports[kept].error;
            contents[kept] = read(path);

        }
        EXPECT_EQ(reports[0].added, reports[1].added);
        EXPECT_EQ(reports[0].exactDuplicates, reports[1].exactDuplicates);
        EXPECT_EQ(reports[0].nameOnlyDuplicates, reports[1].nameOnlyDuplicates);
        EXPECT_EQ(reports[0].repeated, reports[1].repeated);
        EXPECT_EQ(contents[0], contents[1]);
    }
}
