#include "LibraryFixture.h"
#include "SyncLog.h"

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>

#include <sys/resource.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

using namespace morvane;
using namespace morvane::test;
namespace fs = std::filesystem;

namespace {

class VoiceLibraryTest : public LibraryFixture {
protected:
    // Whether a new file of a rewrite is left in the folder.
    bool anyPartFile() const
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().ends_with(".part"))
                return true;
        return false;
    }
    static bool sameVoice(const VoiceParameters& a, const VoiceParameters& b) { return dumpOf(a) == dumpOf(b); }
};

// Permission bits do not stop root, so under root the body runs in a child
// process that has given up the capabilities that override them. Giving up
// a capability needs no privilege, so this works wherever the tests run.
bool withPermissionBitsEnforced(const std::function<bool()>& body)
{
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2] = {};
        if (::syscall(SYS_capget, &header, caps) != 0)
            ::_exit(2);
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
            caps[0].effective &= ~(1u << cap);
            caps[0].permitted &= ~(1u << cap);
        }
        if (::syscall(SYS_capset, &header, caps) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    const bool ended = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
    EXPECT_TRUE(ended && WEXITSTATUS(status) != 2) << "could not give up the permission override";
    return ended && WEXITSTATUS(status) == 0;
}

// Lets writes beyond `bytes` fail with "file too large" while it lives; works
// for root as for anyone.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

TEST_F(VoiceLibraryTest, MissingFileIsCreatedHoldingOnlyTheMagic)
{
    const std::string path = pathOf("SOUNDS.SYL");
    VoiceLibrary library(path);
    EXPECT_EQ(0, library.recordCount());
    std::vector<RecordSummary> records{{"x", 1}};
    ASSERT_TRUE(library.scanRecords(records));
    EXPECT_TRUE(records.empty());
    VoiceParameters voice;
    VoiceData data(voice);
    EXPECT_FALSE(library.loadRecord(0, data));
    EXPECT_FALSE(fs::exists(path)) << "only opening the library creates it";

    ASSERT_TRUE(library.openLibrary());
    EXPECT_TRUE(library.isOpen());
    library.closeLibrary();
    EXPECT_EQ(Bytes({'S', 'Y', 'Q', 'V', 'D'}), read(path));
    EXPECT_EQ(0, library.recordCount());
}

TEST_F(VoiceLibraryTest, CountIsWholeRecordsAfterTheHeader)
{
    const Bytes two = library(2);
    ASSERT_EQ(1197u, two.size());
    struct Case {
        std::size_t size;
        int count;
    };
    for (const Case c : {Case{0, 0}, {4, 0}, {5, 0}, {600, 0}, {601, 1}, {1196, 1}, {1197, 2}}) {
        VoiceLibrary lib(write("SOUNDS.SYL", {two.begin(), two.begin() + static_cast<std::ptrdiff_t>(c.size)}));
        EXPECT_EQ(c.count, lib.recordCount()) << c.size << " bytes";
        std::vector<RecordSummary> records;
        ASSERT_TRUE(lib.scanRecords(records));
        EXPECT_EQ(static_cast<std::size_t>(c.count), records.size()) << c.size << " bytes";
    }
}

TEST_F(VoiceLibraryTest, ForeignHeaderIsUsedUnchanged)
{
    const Bytes foreign = library(2, "ABCDE");
    const std::string path = write("SOUNDS.SYL", foreign);
    VoiceLibrary lib(path);
    ASSERT_TRUE(lib.openLibrary());
    lib.closeLibrary();
    EXPECT_EQ(foreign, read(path));
    EXPECT_EQ(2, lib.recordCount());

    VoiceParameters voice = namedVoice("FOREIGN!");
    VoiceData data(voice);
    voice = namedVoice("FOREIGN!");
    ASSERT_TRUE(lib.appendRecord(0x1, data));
    const Bytes after = read(path);
    EXPECT_EQ(Bytes(foreign.begin(), foreign.begin() + 5), Bytes(after.begin(), after.begin() + 5));
    EXPECT_EQ("FOREIGN!", lib.recordName(2));
}

TEST_F(VoiceLibraryTest, AppendAddsOneWholeRecordWithItsMaskLeastSignificantByteFirst)
{
    const Bytes before = library(3);
    const std::string path = write("SOUNDS.SYL", before);
    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("APPENDED");
    VoiceData data(voice);
    voice = namedVoice("APPENDED");

    ASSERT_TRUE(lib.appendRecord(0x0401, data));
    const Bytes after = read(path);
    ASSERT_EQ(before.size() + 596, after.size());
    EXPECT_EQ(4, lib.recordCount());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << "earlier bytes untouched";
    EXPECT_EQ(record(0x0401, voice), Bytes(after.begin() + static_cast<std::ptrdiff_t>(before.size()), after.end()));
    EXPECT_EQ((Bytes{0x01, 0x04, 0x00, 0x00}), Bytes(after.end() - 596, after.end() - 592));
    EXPECT_EQ(0x0401u, lib.recordCategories(3));

    // The upper bits are stored as given.
    ASSERT_TRUE(lib.appendRecord(0x80010020, data));
    EXPECT_EQ(0x80010020u, lib.recordCategories(4));
}

TEST_F(VoiceLibraryTest, AppendKeepsRecordsOnTheirBoundaries)
{
    VoiceParameters voice = namedVoice("NEWVOICE");
    VoiceData data(voice);
    voice = namedVoice("NEWVOICE");
    const Bytes one = library(1);
    const Bytes two = library(2);
    const Bytes magic(kLibraryMagic.begin(), kLibraryMagic.end());
    struct Case {
        const char* what;
        bool exists;
        Bytes start;
        Bytes head;    // what the file starts with afterwards
    };
    const Case cases[] = {
        {"missing file", false, {}, magic},
        {"empty file", true, {}, magic},
        {"header cut short", true, {'S', 'Y', 'Q'}, magic},
        {"cut-off tail", true, {two.begin(), two.end() - 100}, one},
        {"whole records", true, one, one},
    };
    for (const Case& c : cases) {
        const std::string path = pathOf("SOUNDS.SYL");
        fs::remove(path);
        if (c.exists)
            write("SOUNDS.SYL", c.start);
        VoiceLibrary lib(path);
        const int count = lib.recordCount();
        ASSERT_TRUE(lib.appendRecord(0x20, data)) << c.what;
        EXPECT_EQ(count + 1, lib.recordCount()) << c.what;
        EXPECT_EQ("NEWVOICE", lib.recordName(count)) << c.what;
        const Bytes after = read(path);
        EXPECT_EQ(5u + 596u * static_cast<unsigned>(count + 1), after.size()) << c.what;
        EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), after.begin())) << c.what;
    }
}

TEST_F(VoiceLibraryTest, OverwriteChangesOnlyItsOwnRecord)
{
    const Bytes before = library(4);
    const std::string path = write("SOUNDS.SYL", before);
    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("REPLACED", 77);
    VoiceData data(voice);
    voice = namedVoice("REPLACED", 77);

    ASSERT_TRUE(lib.overwriteRecord(2, 0x0401, data));
    const Bytes after = read(path);
    ASSERT_EQ(before.size(), after.size());
    const std::size_t first = 5 + 596 * 2, end = 5 + 596 * 3;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < first || i >= end) {
            ASSERT_EQ(before[i], after[i]) << "byte " << i << " outside record 2 changed";
        }
    }
    EXPECT_EQ(record(0x0401, voice), Bytes(after.begin() + first, after.begin() + end));

    for (int n : {-1, 4, 100}) {
        const LibraryResult result = lib.overwriteRecord(n, 1, data);
        EXPECT_FALSE(result) << n;
        EXPECT_FALSE(result.error().empty());
    }
    EXPECT_EQ(after, read(path)) << "a record that does not exist is not written";
}

TEST_F(VoiceLibraryTest, NamesListControlBytesAndHighBytesAsSpaces)
{
    // The dump carries 7-bit name bytes only; other programs may store any byte.
    Bytes odd = record(0, namedVoice("A?B?C~ z"));
    odd[kRecordNameOffset + 1] = 0x1F;
    odd[kRecordNameOffset + 3] = 0xE9;
    odd[kRecordNameOffset + 5] = 0x80;
    Bytes bytes = library(0);
    bytes.insert(bytes.end(), odd.begin(), odd.end());
    const Bytes letters = record(0, namedVoice("Abcdefgh"));
    bytes.insert(bytes.end(), letters.begin(), letters.end());
    // Half of a third record: its name lies partly past the end of the file.
    const Bytes cut = record(0x7, namedVoice("LOSTNAME"));
    bytes.insert(bytes.end(), cut.begin(), cut.begin() + 27);
    VoiceLibrary lib(write("SOUNDS.SYL", bytes));

    std::vector<RecordSummary> records;
    ASSERT_TRUE(lib.scanRecords(records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("A B C  z", records[0].name);
    EXPECT_EQ("Abcdefgh", records[1].name);

    // The open span and the one-off reads list the same.
    for (bool open : {true, false}) {
        if (open) {
            ASSERT_TRUE(lib.openLibrary());
        }
        EXPECT_EQ("A B C  z", lib.recordName(0));
        EXPECT_EQ("Abcdefgh", lib.recordName(1));
        EXPECT_EQ("LOST    ", lib.recordName(2)) << "bytes past the end show as spaces";
        EXPECT_EQ("        ", lib.recordName(9));
        EXPECT_EQ(0x7u, lib.recordCategories(2));
        EXPECT_EQ(0u, lib.recordCategories(9));
        lib.closeLibrary();
    }
}

TEST_F(VoiceLibraryTest, LoadedRecordIsTheStoredVoice)
{
    const std::string path = pathOf("SOUNDS.SYL");
    VoiceLibrary lib(path);
    VoiceParameters current;
    VoiceData data(current);
    std::vector<VoiceParameters> stored;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        stored.push_back(RandomVoice(seed).make());
        current = stored.back();
        ASSERT_TRUE(lib.appendRecord(categoryBit(seed), data));
    }
    current = VoiceParameters{};
    ASSERT_TRUE(lib.loadRecord(1, data));
    EXPECT_TRUE(sameVoice(stored[1], current));
    const Bytes file = read(path);
    EXPECT_EQ(dumpOf(current), Bytes(file.begin() + 5 + 596 + 4, file.begin() + 5 + 596 * 2));

    std::vector<RecordSummary> records;
    ASSERT_TRUE(lib.scanRecords(records));
    ASSERT_EQ(3u, records.size());
    for (std::size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(std::string(stored[n].common.name, 8), records[n].name);
        EXPECT_EQ(categoryBit(n + 1), records[n].categories);
    }
}

TEST_F(VoiceLibraryTest, RecordThatCannotBeReadWholeIsNotLoaded)
{
    Bytes bytes = library(1);
    // Record 1 holds a dump that claims the longer TG-33 layout, record 2
    // random bytes, record 3 another maker's message; record 4 is cut short.
    Bytes tg33 = record(0, RandomVoice(5).make());
    std::copy(kTg33FormatId.begin(), kTg33FormatId.end(), tg33.begin() + 4 + kFormatIdOffset);
    bytes.insert(bytes.end(), tg33.begin(), tg33.end());
    Bytes noise(kLibraryRecordSize);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 167 + 13);
    bytes.insert(bytes.end(), noise.begin(), noise.end());
    Bytes otherMaker = record(0, RandomVoice(7).make());
    otherMaker[4 + 1] = 0x41;
    bytes.insert(bytes.end(), otherMaker.begin(), otherMaker.end());
    const Bytes last = record(0, RandomVoice(6).make());
    bytes.insert(bytes.end(), last.begin(), last.begin() + 400);
    VoiceLibrary lib(write("SOUNDS.SYL", bytes));
    ASSERT_EQ(4, lib.recordCount());

    const VoiceParameters before = RandomVoice(9).make();
    VoiceParameters current;
    VoiceData data(current);
    for (int n : {1, 2, 3, 4, 5, -1}) {
        current = before;
        const LibraryResult result = lib.loadRecord(n, data);
        EXPECT_FALSE(result) << n;
        EXPECT_FALSE(result.error().empty());
        EXPECT_TRUE(sameVoice(before, current)) << "record " << n << " changed the voice";
    }
    EXPECT_TRUE(lib.loadRecord(0, data));
}

TEST_F(VoiceLibraryTest, OpenSpanSeeksAndWritesInPlace)
{
    const Bytes before = library(3);
    const std::string path = write("SOUNDS.SYL", before);
    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("INPLACE!");
    VoiceData data(voice);
    voice = namedVoice("INPLACE!");
    EXPECT_FALSE(lib.seekRecord(0)) << "no stream before openLibrary";
    EXPECT_FALSE(lib.writeRecord(1, data));

    ASSERT_TRUE(lib.openLibrary());
    EXPECT_EQ(0x2u, lib.recordCategories(1));
    ASSERT_TRUE(lib.seekRecord(1));
    ASSERT_TRUE(lib.writeRecord(0x0401, data));
    EXPECT_EQ("INPLACE!", lib.recordName(1));
    lib.closeLibrary();

    Bytes expected = before;
    const Bytes r = record(0x0401, voice);
    std::copy(r.begin(), r.end(), expected.begin() + 5 + 596);
    EXPECT_EQ(expected, read(path));
}

TEST_F(VoiceLibraryTest, LibraryThatCannotBeOpenedIsLeftIntactAndReported)
{
    VoiceParameters voice;
    VoiceData data(voice);

    // A folder by the library's name.
    const std::string folder = pathOf("SOUNDS.SYL");
    fs::create_directory(folder);
    VoiceLibrary inFolder(folder);
    const LibraryResult opened = inFolder.openLibrary();
    EXPECT_FALSE(opened);
    EXPECT_NE(std::string::npos, opened.error().find(folder));
    EXPECT_FALSE(inFolder.isOpen());
    EXPECT_FALSE(inFolder.appendRecord(1, data));
    EXPECT_FALSE(inFolder.overwriteRecord(0, 1, data));
    std::vector<RecordSummary> records;
    EXPECT_FALSE(inFolder.scanRecords(records));
    EXPECT_TRUE(fs::is_directory(folder));

    // A folder that does not exist: nothing can be created.
    VoiceLibrary nowhere(pathOf("no-such-folder/SOUNDS.SYL"));
    EXPECT_FALSE(nowhere.openLibrary());
    EXPECT_FALSE(nowhere.appendRecord(1, data));
    EXPECT_FALSE(fs::exists(pathOf("no-such-folder")));

    // A library that may be written but not read: opening it for writing
    // alone would succeed and cut it to nothing.
    const Bytes contents = library(2);
    const std::string writeOnly = write("WRITEONLY.SYL", contents);
    fs::permissions(writeOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write);
    const bool refused = withPermissionBitsEnforced([&] {
        VoiceLibrary lib(writeOnly);
        VoiceParameters v;
        VoiceData d(v);
        const LibraryResult open = lib.openLibrary();
        return !open && !open.error().empty() && !lib.appendRecord(1, d) && !lib.overwriteRecord(0, 1, d);
    });
    fs::permissions(writeOnly, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(contents, read(writeOnly));
    EXPECT_TRUE(refused);
}

TEST_F(VoiceLibraryTest, FailedAppendLeavesTheFileAsItWas)
{
    VoiceParameters voice = namedVoice("TOOLARGE");
    VoiceData data(voice);
    const Bytes whole = library(2);
    const Bytes cutTail(whole.begin(), whole.end() - 200);
    for (const Bytes& start : {whole, cutTail}) {
        const std::string path = write("SOUNDS.SYL", start);
        VoiceLibrary lib(path);
        LibraryResult result;
        {
            // The first part of the record fits, the rest does not.
            const FileSizeLimit limit(start.size() + 100);
            result = lib.appendRecord(0x1, data);
        }
        EXPECT_FALSE(result);
        EXPECT_NE(std::string::npos, result.error().find(path));
        EXPECT_EQ(start, read(path)) << "no partial record left behind";
        EXPECT_EQ(recordCountForSize(start.size()), lib.recordCount());
    }
}

// Removing rewrites the file, renaming and recategorising write one record
// in place; each acts on its own records only.
TEST_F(VoiceLibraryTest, RewritesActOnTheirRecordsOnly)
{
    const Bytes start = library(5);
    const auto recordBytes = [&](int n) {
        return Bytes(start.begin() + 5 + 596 * n, start.begin() + 5 + 596 * (n + 1));
    };
    const std::string path = write("SOUNDS.SYL", start);
    VoiceLibrary lib(path);

    ASSERT_TRUE(lib.removeRecords({3, 1, 3}));
    Bytes expected(start.begin(), start.begin() + 5);
    for (int n : {0, 2, 4}) {
        const Bytes r = recordBytes(n);
        expected.insert(expected.end(), r.begin(), r.end());
    }
    EXPECT_EQ(expected, read(path));

    ASSERT_TRUE(lib.setRecordCategories(1, 0x00030022));
    EXPECT_EQ(0x00030022u, lib.recordCategories(1));
    const Bytes recategorised = read(path);
    expected[5 + 596] = 0x22;
    expected[5 + 596 + 2] = 0x03;
    EXPECT_EQ(expected, recategorised) << "only the mask changed";

    ASSERT_TRUE(lib.renameRecord(2, "New"));
    EXPECT_EQ("New     ", lib.recordName(2));
    VoiceParameters renamed;
    VoiceData data(renamed);
    ASSERT_TRUE(lib.loadRecord(2, data));
    VoiceParameters original = RandomVoice(104).make();
    std::memcpy(original.common.name, "New     ", 8);
    EXPECT_EQ(dumpOf(original), dumpOf(renamed)) << "only the name changed, checksum made anew";
    const Bytes afterRename = read(path);
    EXPECT_EQ(Bytes(expected.begin(), expected.begin() + 5 + 2 * 596),
              Bytes(afterRename.begin(), afterRename.begin() + 5 + 2 * 596));

    const Bytes before = read(path);
    const std::string bad[] = {"", "NineChars", "Tab\there"};
    for (const std::string& name : bad)
        EXPECT_FALSE(lib.renameRecord(0, name)) << name;
    EXPECT_FALSE(lib.removeRecords({0, 3}));
    EXPECT_FALSE(lib.setRecordCategories(3, 1));
    EXPECT_EQ(before, read(path));
    EXPECT_FALSE(anyPartFile());
}

// A removal that cannot write its new file whole, and a rename or change of
// categories that cannot write its journal or its record, leave the library
// as it was; what a cut-off in-place write left is cleared by the next writer.
TEST_F(VoiceLibraryTest, FailedChangesLeaveTheFileAsItWas)
{
    const Bytes start = library(4);
    const std::string path = write("SOUNDS.SYL", start);
    const std::string journal = path + ".journal";
    VoiceLibrary lib(path);
    const rlim_t recordThree = 5 + 3 * 596;
    struct Case {
        const char* what;
        rlim_t limit;
        std::function<LibraryResult()> change;
    };
    const Case cases[] = {
        {"remove", start.size() - 700, [&] { return lib.removeRecords({0}); }},  // the new file cannot be written whole
        {"rename, no journal", 600, [&] { return lib.renameRecord(3, "Other"); }},
        {"categories, no journal", 600, [&] { return lib.setRecordCategories(3, 0x10); }},
        {"rename, record cut off", recordThree + 300, [&] { return lib.renameRecord(3, "Other"); }},
        {"categories, record not written", recordThree, [&] { return lib.setRecordCategories(3, 0x10); }},
    };
    for (const Case& c : cases) {
        LibraryResult result;
        {
            const FileSizeLimit limit(c.limit);
            result = c.change();
        }
        EXPECT_FALSE(result) << c.what;
        const bool leftAsItWas = result.error().find("left as it was") != std::string::npos;
        EXPECT_TRUE(leftAsItWas || result.error().find("put back") != std::string::npos) << result.error();
        EXPECT_EQ(start, read(path)) << c.what;
        EXPECT_FALSE(anyPartFile()) << c.what;
        EXPECT_EQ(!leftAsItWas, fs::exists(journal)) << c.what;
        {
            VoiceLibrary next(path);
            const LibraryLock lock(next);
            ASSERT_TRUE(lock);
        }
        EXPECT_FALSE(fs::exists(journal)) << c.what;
        EXPECT_EQ(start, read(path)) << c.what;
    }
}

// A rename stopped half way (the program killed, the power gone) leaves its
// journal, which the next writer finds: the old record comes back, whatever
// part of the new one reached the file. A journal cut short means the
// library was not touched yet; one that does not fit the record (the
// library changed otherwise since) changes nothing. Either way it goes.
TEST_F(VoiceLibraryTest, AnInPlaceWriteStoppedHalfWayIsUndoneByTheNextWriter)
{
    const Bytes start = library(3);
    const std::string path = write("SOUNDS.SYL", start);
    const std::string journal = path + ".journal";
    const std::string canonical = fs::canonical(path).string();
    // The journal as it is while the renamed record goes to the disk.
    Bytes kept;
    setBeforeSync([&](const std::string& synced) {
        if (synced == canonical && fs::exists(journal))
            kept = read(journal);
    });
    ASSERT_TRUE(VoiceLibrary(path).renameRecord(1, "Renamed"));
    setBeforeSync({});
    ASSERT_FALSE(kept.empty());
    EXPECT_FALSE(fs::exists(journal));
    const Bytes renamed = read(path);
    ASSERT_NE(start, renamed);

    const auto spliced = [&](const Bytes& base, const Bytes& from, std::size_t begin, std::size_t end) {
        Bytes out = base;
        std::copy(from.begin() + static_cast<std::ptrdiff_t>(begin), from.begin() + static_cast<std::ptrdiff_t>(end),
                  out.begin() + static_cast<std::ptrdiff_t>(begin));
        return out;
    };
    const std::size_t one = 5 + 596;
    Bytes otherwise = start;
    const Bytes other = record(0x2, namedVoice("Other   ", 9));
    std::copy(other.begin(), other.end(), otherwise.begin() + static_cast<std::ptrdiff_t>(one));
    struct Case {
        const char* what;
        Bytes library;
        Bytes journal;
        Bytes after;
    };
    const Case cases[] = {
        {"first half written", spliced(start, renamed, one, one + 300), kept, start},
        {"all written", renamed, kept, start},
        {"journal cut short", start, Bytes(kept.begin(), kept.end() - 9), start},
        {"changed otherwise since", otherwise, kept, otherwise},
    };
    for (const Case& c : cases) {
        write("SOUNDS.SYL", c.library);
        write("SOUNDS.SYL.journal", c.journal);
        VoiceParameters voice = namedVoice("Appended");
        VoiceData data(voice);
        ASSERT_TRUE(VoiceLibrary(path).appendRecord(0x1, data)) << c.what;
        const Bytes now = read(path);
        EXPECT_EQ(c.after, Bytes(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(c.after.size()))) << c.what;
        EXPECT_EQ(c.after.size() + 596, now.size()) << c.what;
        EXPECT_FALSE(fs::exists(journal)) << c.what;
    }
}

TEST_F(VoiceLibraryTest, ExportWritesOneFilePerVoiceNamedAfterIt)
{
    Bytes bytes(kLibraryMagic.begin(), kLibraryMagic.end());
    for (const auto& [name, seed] : {std::pair{"Brass 1 ", 1u}, {"a/b:c   ", 2u}, {"Brass 1 ", 3u}, {"        ", 4u}}) {
        VoiceParameters voice = RandomVoice(seed).make();
        std::memcpy(voice.common.name, name, 8);
        const Bytes r = record(1, voice);
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    VoiceLibrary lib(write("SOUNDS.SYL", bytes));
    const fs::path out = dir / "out";
    fs::create_directories(out);
    write("out/voice.SYX", {1, 2, 3});  // already there: never overwritten
    // A link that leads nowhere takes its name too: nothing is written through it.
    fs::create_symlink(dir / "elsewhere.syx", out / "a_b_c.SYX");

    std::vector<std::string> written;
    ASSERT_TRUE(lib.exportRecords({0, 1, 2, 3}, out.string(), written));
    std::vector<std::string> names;
    for (const std::string& path : written)
        names.push_back(fs::path(path).filename().string());
    EXPECT_EQ((std::vector<std::string>{"Brass 1.SYX", "a_b_c (2).SYX", "Brass 1 (2).SYX", "voice (2).SYX"}), names);
    EXPECT_EQ((Bytes{1, 2, 3}), read((out / "voice.SYX").string()));
    EXPECT_FALSE(fs::exists(dir / "elsewhere.syx"));
    for (int n = 0; n < 4; ++n) {
        const Bytes stored(bytes.begin() + 5 + 596 * n + 4, bytes.begin() + 5 + 596 * (n + 1));
        EXPECT_EQ(stored, read(written[static_cast<std::size_t>(n)])) << n;
    }
    EXPECT_FALSE(lib.exportRecords({0}, (dir / "missing").string(), written));
}

TEST(RecordFilter, NamePartAndCategoriesCombine)
{
    const std::vector<RecordSummary> records = {
        {"Brass 1 ", 0x0002}, {"BRASSY  ", 0x0042}, {"SoftPad ", 0x0020}, {"brass 3 ", 0x0040},
    };
    struct Case {
        std::uint32_t mask;
        const char* part;
        std::vector<int> rows;
        bool any = false;
    };
    const Case cases[] = {
        {0, "", {0, 1, 2, 3}},      {0, "brass", {0, 1, 3}}, {0x0040, "BRASS", {1, 3}},
        {0x0002, "ss 1", {0}},      {0, "s 3 ", {3}},        {0x0020, "brass", {}},
        {0, "none", {}},
        // Any of the ticked categories: Brass or Pad lists both kinds.
        {0x0022, "", {}},           {0x0022, "", {0, 1, 2}, true}, {0x0022, "brass", {0, 1}, true},
        {0, "", {0, 1, 2, 3}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rows, filterRecords(records, c.mask, c.part, c.any)) << c.mask << " " << c.part << " " << c.any;
}

TEST_F(VoiceLibraryTest, ScanListsEveryRecordOfALibraryLongerThanOneReadBlock)
{
    constexpr int count = 2500;  // more than two blocks of 1,024 records
    Bytes bytes = library(0);
    for (int n = 0; n < count; ++n) {
        Bytes r = record(static_cast<std::uint32_t>(n), VoiceParameters{});
        const std::string name = "V" + std::to_string(1000000 + n).substr(1);
        std::copy(name.begin(), name.end(), r.begin() + kRecordNameOffset);
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    const VoiceLibrary lib(write("SOUNDS.SYL", bytes));
    std::vector<RecordSummary> records;
    ASSERT_TRUE(lib.scanRecords(records));
    ASSERT_EQ(static_cast<std::size_t>(count), records.size());
    for (int n = 0; n < count; ++n) {
        const std::string expected = "V" + std::to_string(1000000 + n).substr(1) + "  ";
        ASSERT_EQ(expected.substr(0, 8), records[n].name) << n;
        ASSERT_EQ(static_cast<std::uint32_t>(n), records[n].categories) << n;
    }
}

// Each stored voice reaches the disk before the call returns; a batch may
// flush once at its end instead.
TEST_F(VoiceLibraryTest, WritesAreFlushedToTheDisk)
{
    const std::string path = write("SOUNDS.SYL", library(2));
    const std::string canonical = fs::canonical(path).string();
    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("FLUSHED ");
    VoiceData data(voice);
    const auto syncs = [&] {
        const std::vector<std::string> synced = syncedPaths();
        return std::count(synced.begin(), synced.end(), canonical);
    };

    clearSyncLog();
    ASSERT_TRUE(lib.appendRecord(1, data));
    EXPECT_EQ(1, syncs()) << "append";
    ASSERT_TRUE(lib.overwriteRecord(0, 1, data));
    EXPECT_EQ(2, syncs()) << "overwrite";
    ASSERT_TRUE(lib.openLibrary());
    ASSERT_TRUE(lib.seekRecord(1));
    ASSERT_TRUE(lib.writeRecord(1, data));
    lib.closeLibrary();
    EXPECT_EQ(3, syncs()) << "write on the open span";

    clearSyncLog();
    lib.setFlushEachWrite(false);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(lib.appendRecord(1, data));
    EXPECT_EQ(0, syncs());
    ASSERT_TRUE(lib.flushToDisk());
    EXPECT_EQ(1, syncs());
    EXPECT_EQ(6, lib.recordCount());
}
