// Two writers on one library, rewrites through links and leftovers, and
// libraries that must not be changed.
#include "LibraryFixture.h"
#include "LibraryImport.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;
namespace fs = std::filesystem;

namespace {

class LibraryWritersTest : public LibraryFixture {
protected:
    // The names in the file, in order.
    static std::vector<std::string> names(const std::string& path)
    {
        std::vector<RecordSummary> records;
        EXPECT_TRUE(VoiceLibrary(path).scanRecords(records));
        std::vector<std::string> out;
        for (const RecordSummary& r : records)
            out.push_back(r.name);
        return out;
    }
    static int find(const std::string& path, const std::string& name)
    {
        const std::vector<std::string> all = names(path);
        const auto it = std::find(all.begin(), all.end(), name);
        return it == all.end() ? -1 : static_cast<int>(it - all.begin());
    }
    static std::string label(char kind, int run, int i)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%c%02d%05d", kind, run % 100, i % 100000);
        return text;
    }
    // "SYQVD" and one record per name.
    static Bytes libraryOf(const std::vector<std::string>& list)
    {
        Bytes bytes(kLibraryMagic.begin(), kLibraryMagic.end());
        unsigned seed = 1;
        for (const std::string& name : list) {
            VoiceParameters voice = RandomVoice(seed++).make();
            std::memcpy(voice.common.name, name.data(), 8);
            const Bytes r = record(1, voice);
            bytes.insert(bytes.end(), r.begin(), r.end());
        }
        return bytes;
    }
    std::vector<std::string> partFiles() const
    {
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().ends_with(".part"))
                found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }
    static LibraryRecord storedRecord(const std::string& path, int n)
    {
        LibraryRecord r;
        EXPECT_TRUE(VoiceLibrary(path).readRecord(n, r));
        return r;
    }
};

} // namespace

// Another process appends (one record at a time, as "Add voice to database"
// and lib add do) and recategorises its own records, while this one removes
// and renames records that were there before: with the lock the two take
// turns, so every record is accounted for, in every run.
TEST_F(LibraryWritersTest, TwoProcessesRacingAppendsAndRewritesLoseNothing)
{
    constexpr int kRuns = 8;
    constexpr int kAppends = 30;
    constexpr int kOld = 12;   // the first half removed, the second renamed
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::string> old;
        for (int i = 0; i < kOld; ++i)
            old.push_back(label('O', run, i));
        const std::string path = write("SOUNDS.SYL", libraryOf(old));

        const pid_t child = ::fork();
        if (child == 0) {
            VoiceLibrary lib(path);
            lib.setFlushEachWrite(false);
            int status = 0;
            for (int i = 0; i < kAppends; ++i) {
                VoiceParameters voice;
                VoiceData data(voice);
                voice = RandomVoice(1000 + static_cast<unsigned>(i)).make();
                std::memcpy(voice.common.name, label('A', run, i).data(), 8);
                if (const LibraryResult added = lib.appendRecord(0x0001, data); !added) {
                    std::fprintf(stderr, "%s\n", added.error().c_str());
                    status = 1;
                }
                // Its own record: nobody else moves it from the end while the lock is held.
                if (i % 3 == 0) {
                    const LibraryLock lock(lib);
                    const int n = find(path, label('A', run, i));
                    const LibraryResult changed =
                        lock && n >= 0 ? lib.setRecordCategories(n, 0x0002) : LibraryResult::failure("not found");
                    if (!changed) {
                        std::fprintf(stderr, "%s\n", changed.error().c_str());
                        status = 1;
                    }
                }
            }
            ::_exit(status);
        }
        ASSERT_GT(child, 0);
        VoiceLibrary lib(path);
        for (int i = 0; i < kOld; ++i) {
            const LibraryLock lock(lib);
            ASSERT_TRUE(lock) << lock.result().error();
            const int n = find(path, old[static_cast<std::size_t>(i)]);
            ASSERT_GE(n, 0) << old[static_cast<std::size_t>(i)];
            const LibraryRecord seen = storedRecord(path, n);
            if (i < kOld / 2) {
                ASSERT_TRUE(lib.removeRecords({n}, {seen}));
            } else {
                ASSERT_TRUE(lib.renameRecord(n, label('R', run, i), &seen));
            }
        }
        int status = -1;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << run;

        std::map<std::string, int> seen;
        std::vector<RecordSummary> records;
        ASSERT_TRUE(VoiceLibrary(path).scanRecords(records));
        for (const RecordSummary& r : records)
            ++seen[r.name];
        std::map<std::string, int> expected;
        for (int i = kOld / 2; i < kOld; ++i)
            expected[label('R', run, i)] = 1;
        for (int i = 0; i < kAppends; ++i)
            expected[label('A', run, i)] = 1;
        ASSERT_EQ(expected, seen) << "run " << run;
        for (const RecordSummary& r : records) {
            if (r.name[0] == 'A') {
                EXPECT_EQ(std::stoi(r.name.substr(3)) % 3 == 0 ? 0x0002u : 0x0001u, r.categories) << r.name;
            }
        }
        const Bytes after = read(path);
        EXPECT_EQ(5 + records.size() * kLibraryRecordSize, after.size());
        EXPECT_EQ(Bytes(kLibraryMagic.begin(), kLibraryMagic.end()), Bytes(after.begin(), after.begin() + 5));
        EXPECT_EQ(std::vector<std::string>{}, partFiles());
    }
}

// While another writer holds the lock, every kind of write gives up after
// its wait, says so, and changes nothing.
TEST_F(LibraryWritersTest, AWriterThatCannotGetTheLockChangesNothing)
{
    const Bytes start = library(3);
    const std::string path = write("SOUNDS.SYL", start);
    VoiceLibrary holder(path);
    const LibraryLock held(holder);
    ASSERT_TRUE(held);

    VoiceLibrary lib(path);
    lib.setLockWait(20);
    VoiceParameters voice = namedVoice("Waiting ");
    VoiceData data(voice);
    const std::string file = write("one.syx", dumpOf(voice));
    const LibraryRecord first = storedRecord(path, 0);
    const std::pair<const char*, std::function<std::string()>> writes[] = {
        {"append", [&] { return lib.appendRecord(1, data).error(); }},
        {"overwrite", [&] { return lib.overwriteRecord(0, 1, data).error(); }},
        {"remove", [&] { return lib.removeRecords({0}, {first}).error(); }},
        {"rename", [&] { return lib.renameRecord(0, "Other").error(); }},
        {"categories", [&] { return lib.setRecordCategories(0, 0x10).error(); }},
        {"import", [&] { return importVoiceFiles(lib, {file}, 1, false).error; }},
    };
    for (const auto& [what, attempt] : writes) {
        const std::string error = attempt();
        EXPECT_NE(std::string::npos, error.find("locked")) << what << ": " << error;
        EXPECT_NE(std::string::npos, error.find("Nothing was changed")) << what << ": " << error;
        EXPECT_EQ(start, read(path)) << what;
    }
    // Reading needs no lock.
    EXPECT_EQ(3u, names(path).size());
}

// A rewrite writes a file of its own: a link planted under the old fixed
// name is not followed, and what killed rewrites left is cleared up; files
// that only look alike stay.
TEST_F(LibraryWritersTest, RewritesUseAFileOfTheirOwnAndClearLeftovers)
{
    const Bytes start = library(3);
    const std::string path = write("SOUNDS.SYL", start);
    const Bytes victim{'k', 'e', 'e', 'p'};
    const std::string victimPath = write("victim.txt", victim);
    fs::create_symlink(victimPath, path + ".part");
    write("SOUNDS.SYL.1234567.part", library(3));   // a killed rewrite's
    write("SOUNDS.SYL.notes.part", victim);           // not ours
    write("OTHER.SYL.99.part", victim);               // another library's

    VoiceLibrary lib(path);
    ASSERT_TRUE(lib.removeRecords({1}));
    EXPECT_EQ(2, lib.recordCount());
    EXPECT_EQ(victim, read(victimPath));
    EXPECT_TRUE(fs::is_symlink(path + ".part"));
    EXPECT_EQ((std::vector<std::string>{"OTHER.SYL.99.part", "SOUNDS.SYL.notes.part", "SOUNDS.SYL.part"}),
              partFiles());
}

// A library reached through a symbolic link stays a link; the file it names
// is rewritten, so the two never part.
TEST_F(LibraryWritersTest, ASymbolicLinkLibraryIsRewrittenThroughTheLink)
{
    fs::create_directory(dir / "real");
    const std::string target = write("real/SOUNDS.SYL", libraryOf({"First   ", "Second  ", "Third   "}));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = pathOf("SOUNDS.SYL");
    fs::create_symlink("real/SOUNDS.SYL", link);

    VoiceLibrary lib(link);
    ASSERT_TRUE(lib.removeRecords({0}));
    ASSERT_TRUE(lib.renameRecord(0, "Renamed"));
    ASSERT_TRUE(lib.setRecordCategories(1, 0x0400));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ((std::vector<std::string>{"Renamed ", "Third   "}), names(target));
    EXPECT_EQ(0x0400u, VoiceLibrary(target).recordCategories(1));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(target).permissions());
    EXPECT_TRUE(fs::exists(target + ".lock")) << "one lock for every path to the file";
}

// The permission bits decide, for the superuser too (the tests run as root
// on the build machine): no write, append or rewrite touches a read-only
// library.
TEST_F(LibraryWritersTest, AReadOnlyLibraryIsRefusedByEveryWrite)
{
    const Bytes start = library(3);
    const std::string path = write("SOUNDS.SYL", start);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("ReadOnly");
    VoiceData data(voice);
    const std::pair<const char*, std::function<LibraryResult()>> writes[] = {
        {"open", [&] { return lib.openLibrary(); }},
        {"append", [&] { return lib.appendRecord(1, data); }},
        {"append many",
         [&] {
             LibraryRecord r;
             EXPECT_TRUE(makeRecord(1, data, r));
             return lib.appendRecords({r, r});
         }},
        {"overwrite", [&] { return lib.overwriteRecord(0, 1, data); }},
        {"remove", [&] { return lib.removeRecords({0}); }},
        {"rename", [&] { return lib.renameRecord(0, "Other"); }},
        {"categories", [&] { return lib.setRecordCategories(0, 0x10); }},
    };
    for (const auto& [what, attempt] : writes) {
        const LibraryResult result = attempt();
        EXPECT_FALSE(result) << what;
        EXPECT_NE(std::string::npos, result.error().find("read-only")) << what << ": " << result.error();
        EXPECT_EQ(start, read(path)) << what;
    }
    EXPECT_FALSE(lib.isOpen());
    EXPECT_EQ(std::vector<std::string>{}, partFiles());
}

// A caller that read a record before acting on it names what it read: when
// the record is gone or another has taken its place, nothing changes.
TEST_F(LibraryWritersTest, ARecordThatIsGoneOrMovedIsNotTouched)
{
    const std::string path = write("SOUNDS.SYL", libraryOf({"Zero    ", "One     ", "Two     "}));
    const LibraryRecord one = storedRecord(path, 1);
    const LibraryRecord two = storedRecord(path, 2);
    VoiceLibrary other(path);
    ASSERT_TRUE(other.removeRecords({0}));   // "One" is record 0 now, record 2 is gone
    const Bytes start = read(path);

    VoiceLibrary lib(path);
    VoiceParameters voice = namedVoice("Replaced");
    VoiceData data(voice);
    const std::pair<const char*, std::function<LibraryResult()>> acts[] = {
        {"remove moved", [&] { return lib.removeRecords({1}, {one}); }},
        {"remove gone", [&] { return lib.removeRecords({2}, {two}); }},
        {"rename moved", [&] { return lib.renameRecord(1, "Other", &one); }},
        {"categories moved", [&] { return lib.setRecordCategories(1, 0x10, &one); }},
        {"overwrite moved", [&] { return lib.overwriteRecord(1, 1, data, &one); }},
        {"overwrite gone", [&] { return lib.overwriteRecord(2, 1, data, &two); }},
    };
    for (const auto& [what, act] : acts) {
        const LibraryResult result = act();
        EXPECT_FALSE(result) << what;
        EXPECT_NE(std::string::npos, result.error().find("no longer where it was")) << what << ": " << result.error();
        EXPECT_EQ(start, read(path)) << what;
    }
    // Where it is now, it is acted on.
    ASSERT_TRUE(lib.renameRecord(0, "Uno", &one));
    EXPECT_EQ((std::vector<std::string>{"Uno     ", "Two     "}), names(path));
}
