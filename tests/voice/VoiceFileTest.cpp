#include "EncodedVoice.h"
#include "RandomVoice.h"
#include "SyncLog.h"
#include "VoiceFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace morvane;
namespace fs = std::filesystem;

namespace {

class VoiceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("morvane-voicefile-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    std::vector<std::uint8_t> read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::uint8_t> dumpOf(const VoiceParameters& v) { return test::encodedVoice(v); }

    fs::path dir;
};

} // namespace

TEST_F(VoiceFileTest, SavedVoiceLoadsBackIdentical)
{
    VoiceParameters voice = test::RandomVoice(21).make();
    VoiceParameters saved = voice;
    VoiceData data(voice);
    voice = saved;
    const std::string path = (dir / "a.syx").string();
    ASSERT_TRUE(writeVoiceFile(path, data));
    const std::vector<std::uint8_t> bytes = read(path);
    EXPECT_EQ(dumpOf(saved), bytes);
    EXPECT_EQ(0x00, bytes[2]);

    VoiceParameters loaded;
    VoiceData loader(loaded);
    ASSERT_EQ(VoiceFileResult::Loaded, readVoiceFile(path, loader));
    const VoiceDump again = loader.encodeDump();
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(again.begin(), again.end()));
}

TEST_F(VoiceFileTest, ReadingRules)
{
    const std::vector<std::uint8_t> dump = dumpOf(test::RandomVoice(4).make());
    auto with = [&](std::vector<std::uint8_t> before, std::vector<std::uint8_t> after) {
        std::vector<std::uint8_t> bytes = before;
        bytes.insert(bytes.end(), dump.begin(), dump.end());
        bytes.insert(bytes.end(), after.begin(), after.end());
        return bytes;
    };
    std::vector<std::uint8_t> longWithF7At605 = with({}, std::vector<std::uint8_t>(13, 0x00));
    longWithF7At605[604] = 0xF7;
    longWithF7At605.push_back(0x42);
    std::vector<std::uint8_t> wrongCountAndChecksum = dump;
    wrongCountAndChecksum[5] = 0x49;
    wrongCountAndChecksum[kSyDumpSize - 2] ^= 0x01;
    std::vector<std::uint8_t> otherMaker(601, 0x10);
    otherMaker.front() = 0xF0;
    otherMaker[1] = 0x41;
    otherMaker.back() = 0xF7;
    std::vector<std::uint8_t> unknownId = dump;
    std::memcpy(&unknownId[6], "XY  9999ZZ", 10);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        VoiceFileResult result;
    };
    const Case cases[] = {
        {"exactly one dump", dump, VoiceFileResult::Loaded},
        {"bytes before the first F0 are skipped", with({0x00, 0x7F, 0xF7, 0x12}, {}), VoiceFileResult::Loaded},
        {"wrong byte count and checksum", wrongCountAndChecksum, VoiceFileResult::Loaded},
        {"no F0 at all", {0x01, 0x02, 0xF7}, VoiceFileResult::NoMessage},
        {"empty file", {}, VoiceFileResult::NoMessage},
        {"last collected byte is not F7", {dump.begin(), dump.end() - 1}, VoiceFileResult::NoMessage},
        {"longer than 605 bytes, 605th is not F7", with({}, std::vector<std::uint8_t>(20, 0x00)), VoiceFileResult::NoMessage},
        {"605 bytes ending in F7 but of the SY layout", longWithF7At605, VoiceFileResult::NotAVoice},
        {"too short for its layout", {0xF0, 0x43, 0x00, 0xF7}, VoiceFileResult::TooShort},
        {"another maker's message", otherMaker, VoiceFileResult::NotAVoice},
        {"an unknown identifier", unknownId, VoiceFileResult::NotAVoice},
    };
    for (const Case& c : cases) {
        VoiceParameters voice = test::RandomVoice(8).make();
        const VoiceParameters before = voice;
        VoiceData data(voice);
        voice = before;
        const VoiceFileResult result = readVoiceFile(write("case.syx", c.bytes), data);
        EXPECT_EQ(c.result, result) << c.what;
        if (result != VoiceFileResult::Loaded) {
            EXPECT_EQ(0, std::memcmp(&before, &voice, sizeof voice)) << c.what << ": voice changed";
        }
    }
    VoiceParameters voice;
    VoiceData data(voice);
    EXPECT_EQ(VoiceFileResult::CannotOpen, readVoiceFile((dir / "missing.syx").string(), data));
}

TEST_F(VoiceFileTest, CollectionStopsAt605Bytes)
{
    std::vector<std::uint8_t> bytes(3, 'x');
    bytes.push_back(0xF0);
    bytes.resize(bytes.size() + 700, 0x01);
    std::vector<std::uint8_t> collected;
    EXPECT_EQ(VoiceFileResult::NoMessage, readVoiceMessage(write("long.syx", bytes), collected));
    ASSERT_EQ(605u, collected.size());
    EXPECT_EQ(0xF0, collected.front());
}

// Only regular files are read: a folder, a pipe or a device is refused at
// once (a pipe without a writer or /dev/zero would otherwise be read for
// ever), and a failing read is an error, not a crash.
TEST_F(VoiceFileTest, WhatIsNotARegularFileOrFailsToReadIsRefused)
{
    const fs::path folder = dir / "folder.syx";
    fs::create_directories(folder);
    const fs::path fifo = dir / "pipe.syx";
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    struct Case {
        std::string path;
        VoiceFileResult result;
    };
    const Case cases[] = {
        {folder.string(), VoiceFileResult::NotAFile},
        {fifo.string(), VoiceFileResult::NotAFile},
        {"/dev/zero", VoiceFileResult::NotAFile},
        // A regular file whose first bytes cannot be read: the unmapped page 0.
        {"/proc/self/mem", VoiceFileResult::ReadError},
    };
    for (const Case& c : cases) {
        VoiceParameters voice = test::RandomVoice(8).make();
        const VoiceParameters before = voice;
        VoiceData data(voice);
        voice = before;
        EXPECT_EQ(c.result, readVoiceFile(c.path, data)) << c.path;
        EXPECT_EQ(0, std::memcmp(&before, &voice, sizeof voice)) << c.path << ": voice changed";
    }
}

TEST_F(VoiceFileTest, SaveFlushesTheFileBeforeItsRenameAndThenTheFolder)
{
    VoiceParameters voice;
    VoiceData data(voice);
    test::clearSyncLog();
    ASSERT_TRUE(writeVoiceFile((dir / "a.syx").string(), data));
    const std::vector<std::string> synced = test::syncedPaths();
    ASSERT_EQ(2u, synced.size());
    EXPECT_TRUE(synced[0].starts_with((dir / "a.syx.").string()) && synced[0].ends_with(".part")) << synced[0];
    EXPECT_EQ(fs::canonical(dir).string(), synced[1]);
}

// What is already there decides: a read-only file stays as it is, a link is
// written through and the file it names keeps its permissions, and a file or
// link that happens to have the name the old code used for its temporary
// file is left alone.
TEST_F(VoiceFileTest, SavingRespectsWhatIsAlreadyThere)
{
    VoiceParameters voice = test::RandomVoice(5).make();
    const VoiceParameters saved = voice;
    VoiceData data(voice);
    voice = saved;
    const std::vector<std::uint8_t> old{0xF0, 0x01, 0xF7};

    const std::string readOnly = write("read-only.syx", old);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(writeVoiceFile(readOnly, data));
    EXPECT_EQ(old, read(readOnly));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::group_read, fs::status(readOnly).permissions());

    const std::string named = write("named.syx", old);
    fs::permissions(named, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = dir / "link.syx";
    fs::create_symlink("named.syx", link);
    ASSERT_TRUE(writeVoiceFile(link.string(), data));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(dumpOf(saved), read(named));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read, fs::status(named).permissions());

    const std::string part = write("b.syx.part", old);
    const std::string elsewhere = write("elsewhere.syx", old);
    fs::create_symlink("elsewhere.syx", dir / "c.syx.part");
    ASSERT_TRUE(writeVoiceFile((dir / "b.syx").string(), data));
    ASSERT_TRUE(writeVoiceFile((dir / "c.syx").string(), data));
    EXPECT_EQ(old, read(part));
    EXPECT_EQ(old, read(elsewhere));
    EXPECT_TRUE(fs::is_symlink(dir / "c.syx.part"));
    EXPECT_EQ(dumpOf(saved), read((dir / "c.syx").string()));
}

TEST_F(VoiceFileTest, FailedSavesReportFailureAndLeaveNothingBehind)
{
    VoiceParameters voice;
    VoiceData data(voice);
    const fs::path folder = dir / "taken.syx";
    fs::create_directories(folder);
    EXPECT_FALSE(writeVoiceFile(folder.string(), data)) << "the name is taken by a folder";
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(writeVoiceFile((dir / "no-such-folder" / "x.syx").string(), data));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir), fs::directory_iterator())) << "no partial file left";
}
