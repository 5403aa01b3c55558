#include "LibraryCommands.h"
#include "LibraryFixture.h"
#include "SyncLog.h"
#include "VoiceFile.h"

#include <sstream>

#include <sys/stat.h>

using namespace morvane;
using namespace morvane::test;
namespace fs = std::filesystem;

namespace {

class LibraryCommandsTest : public LibraryFixture {
protected:
    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return runLibraryCommand(args, out, err);
    }
    std::string voiceFile(const std::string& name, const char (&voiceName)[9], unsigned seed)
    {
        return write(name, dumpOf(namedVoice(voiceName, seed)));
    }
    std::size_t errLines() const
    {
        const std::string text = err.str();
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    std::ostringstream out;
    std::ostringstream err;
};

} // namespace

TEST_F(LibraryCommandsTest, AddThenListAndExtract)
{
    const std::string lib = pathOf("my.syl");
    const std::string a = voiceFile("a.syx", "Violins ", 1);
    const std::string b = voiceFile("b.syx", "WarmPad ", 2);
    const std::string c = voiceFile("c.syx", "Brassy  ", 3);

    clearSyncLog();
    ASSERT_EQ(0, run({"add", lib, a, b, "--categories", "Strings,Pad"})) << err.str();
    EXPECT_EQ(std::vector<std::string>{fs::canonical(lib).string()}, syncedPaths()) << "one flush for the batch";
    ASSERT_EQ(0, run({"add", lib, c, "--categories=brass, musical fx"})) << err.str();
    EXPECT_EQ("Added 1 voice to " + lib + " as record 2\n", out.str());
    EXPECT_EQ(3, VoiceLibrary(lib).recordCount());

    ASSERT_EQ(0, run({"list", lib}));
    EXPECT_EQ("0  Violins   Strings, Pad\n"
              "1  WarmPad   Strings, Pad\n"
              "2  Brassy    Brass, Musical FX\n",
              out.str());
    ASSERT_EQ(0, run({"list", "--categories", "Pad,Strings", lib}));
    EXPECT_EQ("0  Violins   Strings, Pad\n1  WarmPad   Strings, Pad\n", out.str());
    ASSERT_EQ(0, run({"list", lib, "--categories", "Brass,Solo"}));
    EXPECT_EQ("", out.str());

    const std::string extracted = pathOf("out.syx");
    ASSERT_EQ(0, run({"extract", lib, "1", extracted})) << err.str();
    EXPECT_EQ(read(b), read(extracted));
}

TEST_F(LibraryCommandsTest, BadVoiceFileStopsTheBatchBeforeAnythingIsWritten)
{
    const std::string lib = pathOf("my.syl");
    const std::string good = voiceFile("good.syx", "GoodOne ", 1);
    ASSERT_EQ(0, run({"add", lib, good, "--categories", "Solo"}));
    const Bytes before = read(lib);

    const std::string junk = write("junk.syx", {0x01, 0x02, 0x03});
    EXPECT_EQ(1, run({"add", lib, good, junk, pathOf("missing.syx"), "--categories", "Solo"}));
    EXPECT_EQ(3u, errLines()) << err.str();
    EXPECT_NE(std::string::npos, err.str().find(junk));
    EXPECT_NE(std::string::npos, err.str().find("missing.syx"));
    EXPECT_EQ(before, read(lib));
}

TEST_F(LibraryCommandsTest, MistakesGetOneLineAndAFailingStatus)
{
    const std::string lib = write("my.syl", library(2));
    const Bytes before = read(lib);
    const std::string voice = voiceFile("v.syx", "Voice   ", 1);
    const std::string out = pathOf("out.syx");
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{}, 2},
        {{"remove", lib}, 2},
        {{"list", lib, "--categories", "Strings,Trumpet"}, 2},
        {{"list", lib, "--categories", "Strings,"}, 2},
        {{"list", lib, "--categories"}, 2},
        {{"list", lib, "--sort"}, 2},
        {{"list", pathOf("none.syl")}, 1},
        {{"add", lib, voice}, 2},
        {{"add", lib, voice, "--categories", "Woodwinds"}, 2},
        {{"add", lib, voice, "--categories", "Pad", "--categories", "Solo"}, 2},
        {{"extract", lib, "two", out}, 2},
        {{"extract", lib, "-1", out}, 2},
        {{"extract", lib, "1x", out}, 2},
        {{"extract", lib, "2", out}, 1},
        {{"extract", lib, "99999999999", out}, 2},
        {{"extract", pathOf("none.syl"), "0", out}, 1},
        {{"extract", lib, "0", pathOf("no-folder/out.syx")}, 1},
        {{"import", lib, voice}, 2},
        {{"add", lib, voice, "--categories", "Pad", "--keep-whole"}, 2},
        {{"list", lib, "--name"}, 2},
        {{"dups", lib, lib}, 2},
        {{"rm", lib, "0", "2"}, 1},
        {{"rm", lib, "x"}, 2},
        {{"rename", lib, "0", "NineChars"}, 1},
        {{"rename", lib, "5", "Fine"}, 1},
        {{"rename", lib, "0"}, 2},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& a : c.args)
            what += a + ' ';
        EXPECT_EQ(c.status, run(c.args)) << what;
        EXPECT_EQ(1u, errLines()) << what << "-> " << err.str();
        EXPECT_EQ("", this->out.str()) << what;
    }
    EXPECT_EQ(before, read(lib));
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(pathOf("none.syl")));
}

TEST_F(LibraryCommandsTest, ListingUsesTheWorkingDirectoryLibraryByDefault)
{
    write("SOUNDS.SYL", library(1));
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    const int status = run({"list"});
    fs::current_path(previous);
    EXPECT_EQ(0, status) << err.str();
    EXPECT_EQ(0u, out.str().find("0  "));
    EXPECT_NE(std::string::npos, out.str().find("Strings"));
}

TEST_F(LibraryCommandsTest, ImportFindRenameRemoveAndDuplicates)
{
    const std::string lib = pathOf("my.syl");
    const std::string bank = (fs::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string();
    const std::string single = voiceFile("v.syx", "Violins ", 1);
    ASSERT_EQ(0, run({"import", lib, single, bank, "--categories", "Pad"})) << err.str();
    EXPECT_EQ(0u, out.str().find("Added 65 voices to " + lib + " as records 0 to 64.")) << out.str();
    ASSERT_EQ(0, run({"import", lib, bank, "--categories", "Pad"})) << err.str();
    EXPECT_NE(std::string::npos, out.str().find("64 voices were already there and skipped")) << out.str();

    ASSERT_EQ(0, run({"list", lib, "--name", "DECAY", "--categories", "pad"}));
    EXPECT_EQ(" 4  SC*Decay  Pad\n23  SC*Decay  Pad\n", out.str());
    ASSERT_EQ(0, run({"dups", lib}));
    EXPECT_EQ("The same voice (1 group)\n  4 \"SC*Decay\", 23 \"SC*Decay\"\n"
              "The same but for the name (0 groups)\n",
              out.str());

    ASSERT_EQ(0, run({"rename", lib, "23", "Decay 2"})) << err.str();
    ASSERT_EQ(0, run({"dups", lib}));
    EXPECT_NE(std::string::npos, out.str().find("name (1 group)\n  4 \"SC*Decay\", 23 \"Decay 2 \"")) << out.str();
    ASSERT_EQ(0, run({"rm", lib, "4", "0"})) << err.str();
    EXPECT_EQ("Removed 2 voices from " + lib + "\n", out.str());
    ASSERT_EQ(0, run({"list", lib, "--name=decay"}));
    EXPECT_EQ("21  Decay 2   Pad\n", out.str());
}

TEST_F(LibraryCommandsTest, ADamagedBankIsImportedOnlyWithKeepWhole)
{
    Bytes bank = read((fs::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string());
    ASSERT_EQ(37631u, bank.size()) << "missing test data";
    bank.resize(30000);
    const std::string file = write("cut.syx", bank);
    const std::string lib = pathOf("my.syl");
    EXPECT_EQ(1, run({"import", lib, file, "--categories", "Pad"}));
    EXPECT_NE(std::string::npos, err.str().find("cut short")) << err.str();
    EXPECT_NE(std::string::npos, err.str().find("--keep-whole")) << err.str();
    EXPECT_EQ(0, VoiceLibrary(lib).recordCount());
    ASSERT_EQ(0, run({"import", lib, file, "--categories", "Pad", "--keep-whole"})) << err.str();
    EXPECT_EQ(48, VoiceLibrary(lib).recordCount());
    EXPECT_NE(std::string::npos, err.str().find("cut short")) << "the faults are still told";
}

// A folder or a pipe named as a voice file is refused in words, without
// waiting on the pipe, and nothing is added.
TEST_F(LibraryCommandsTest, AFolderOrAPipeGivenAsAFileIsRefused)
{
    const std::string lib = write("my.syl", library(2));
    const Bytes before = read(lib);
    const std::string folder = pathOf("voices");
    fs::create_directory(folder);
    const std::string pipe = pathOf("pipe.syx");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    for (const char* verb : {"add", "import"})
        for (const std::string& file : {folder, pipe}) {
            EXPECT_EQ(1, run({verb, lib, file, "--categories", "Pad"})) << verb << " " << file;
            EXPECT_NE(std::string::npos, err.str().find(file + ": not a regular file")) << err.str();
            EXPECT_EQ(before, read(lib));
        }
}
