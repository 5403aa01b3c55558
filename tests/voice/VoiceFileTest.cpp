#include "EncodedVoice.h"
#include "RandomVoice.h"
#include "VoiceFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        VoiceFileResult result;
    };
    const Case cases[] = {
        {"exactly one dump", dump, VoiceFileResult::Loaded},
        {"bytes before the first F0 are skipped", with({0x00, 0x7F, 0xF7, 0x12}, {}), VoiceFileResult::Loaded},
        {"no F0 at all", {0x01, 0x02, 0xF7}, VoiceFileResult::NoMessage},
        {"empty file", {}, VoiceFileResult::NoMessage},
        {"last collected byte is not F7", {dump.begin(), dump.end() - 1}, VoiceFileResult::NoMessage},
        {"longer than 605 bytes, 605th is not F7", with({}, std::vector<std::uint8_t>(20, 0x00)), VoiceFileResult::NoMessage},
        {"longer than 605 bytes, 605th is F7", longWithF7At605, VoiceFileResult::Loaded},
        {"too short for its layout", {0xF0, 0x43, 0x00, 0xF7}, VoiceFileResult::TooShort},
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
    std::istringstream in(std::string(3, 'x') + '\xF0' + std::string(700, '\x01'));
    const std::vector<std::uint8_t> collected = collectVoiceMessage(in);
    ASSERT_EQ(605u, collected.size());
    EXPECT_EQ(0xF0, collected.front());
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
