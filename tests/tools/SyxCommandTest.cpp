// The voice tool as a user runs it: exit codes, output, files written or not.
#include "RandomVoice.h"
#include "ShellRun.h"
#include "VoiceBank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using ToolRun = morvane::test::ShellRun;

class SyxCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("morvane-syx-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    ToolRun run(const std::string& arguments)
    {
        return morvane::test::runInShell(std::string(MORVANE_SYX) + " " + arguments, (dir / "stderr.txt").string());
    }
    std::string slurp(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string file(const std::string& name, const std::string& content)
    {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    }

    fs::path dir;
};

} // namespace

TEST_F(SyxCommand, BuildThenJsonAndShow)
{
    const std::string json = file("v.json", R"({"common": {"name": "Brass 1", "effectType": 15, "effectDepth": 3,
                                                 "voiceConfig": 1}})");
    const std::string out = (dir / "v.syx").string();
    const ToolRun build = run("build " + json + " " + out);
    ASSERT_EQ(0, build.status) << build.err;
    EXPECT_EQ(592u, fs::file_size(out));

    const ToolRun show = run("show " + out);
    ASSERT_EQ(0, show.status) << show.err;
    for (const char* line : {"SY-22/SY-35, 592 bytes", "\"Brass 1 \"", "Checksum:       correct", "Inner checksum: correct", "A-B-C-D",
                             "Distortion & Reverb, depth 3"})
        EXPECT_NE(std::string::npos, show.out.find(line)) << line << "\n" << show.out;

    const ToolRun back = run("json " + out);
    ASSERT_EQ(0, back.status) << back.err;
    EXPECT_NE(std::string::npos, back.out.find("\"effectType\": 15"));
    // Rebuilding from the printed JSON gives the same voice.
    const std::string again = (dir / "again.syx").string();
    const ToolRun rebuilt = run("build " + file("back.json", back.out) + " " + again);
    ASSERT_EQ(0, rebuilt.status) << rebuilt.err;
    EXPECT_EQ(back.out, run("json " + again).out);
}

// The reset voice as the instrument's own message, byte for byte: its head,
// its name, vectors of zeros and the closing bytes where a whole voice puts
// them (an optimised build once wrote them at 188-191 and reported success).
TEST_F(SyxCommand, BuildOfTheResetVoiceGivesTheKnownMessage)
{
    const std::string out = (dir / "reset.syx").string();
    const ToolRun build = run("build " + file("empty.json", "{}") + " " + out);
    ASSERT_EQ(0, build.status) << build.err;
    const std::string m = slurp(out);
    ASSERT_EQ(592u, m.size());
    EXPECT_EQ(std::string("\xF0\x43\x00\x7E\x04\x48PK  2203AE\x01\x25", 18), m.substr(0, 18));
    EXPECT_EQ("12345678", m.substr(19, 8));
    EXPECT_EQ(std::string(402, '\0'), m.substr(185, 402)) << "vector speeds and both vectors";
    EXPECT_EQ(std::string("\x00\x01\x37\x56\xF7", 5), m.substr(587, 5)) << "0, inner checksum, checksum, F7";
}

TEST_F(SyxCommand, ShowsAWrongChecksumAndAForeignByteCount)
{
    const std::string out = (dir / "v.syx").string();
    ASSERT_EQ(0, run("build " + file("v.json", "{}") + " " + out).status);
    std::string bytes = slurp(out);
    bytes[20] = static_cast<char>(bytes[20] ^ 1);
    bytes[5] = 0x49;
    const ToolRun show = run("show " + file("bad.syx", bytes));
    EXPECT_EQ(0, show.status);
    EXPECT_NE(std::string::npos, show.out.find("Checksum:       wrong")) << show.out;
    EXPECT_NE(std::string::npos, show.out.find("Inner checksum: wrong")) << show.out;
    EXPECT_NE(std::string::npos, show.out.find("585 (the message holds 584)")) << show.out;
}

TEST_F(SyxCommand, BadInputGetsOneLineAndWritesNothing)
{
    const std::string out = (dir / "out.syx").string();
    fs::create_directories(dir / "folder.syx");
    const std::string foreign = file("other-maker.syx", "\xF0\x41" + std::string(598, '\x10') + "\xF7");
    const std::string readOnly = file("read-only.syx", "keep");
    fs::permissions(readOnly, fs::perms::owner_read);
    struct Case {
        std::string arguments;
        const char* message;
    };
    const Case cases[] = {
        {"json " + (dir / "missing.syx").string(), "cannot open"},
        {"json " + file("nof0.syx", "hello"), "no System Exclusive"},
        {"show " + file("short.syx", std::string("\xF0\x43\x00\x7E\xF7", 5)), "too short"},
        {"show " + (dir / "folder.syx").string(), "not a regular file"},
        {"json /dev/zero", "not a regular file"},
        {"show " + foreign, "not a voice dump"},
        {"build " + (dir / "missing.json").string() + " " + out, "cannot open"},
        {"build " + file("bad.json", "{\"common\": ") + " " + out, "not valid JSON"},
        {"build " + file("range.json", R"({"common": {"bendRange": 99}})") + " " + out, "outside 0..12"},
        {"build " + file("ok.json", "{}") + " " + (dir / "no-folder" / "x.syx").string(), "cannot write"},
        {"build " + file("ok.json", "{}") + " " + readOnly, "cannot write"},
        {"build " + (dir / "folder.syx").string() + " " + out, "not a regular file"},
        {"build /dev/zero " + out, "not a regular file"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.arguments);
        EXPECT_EQ(1, r.status) << c.arguments;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << c.arguments << ": " << r.err;
        EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.arguments;
    }
    EXPECT_EQ("keep", slurp(readOnly));
    EXPECT_EQ(2, run("").status);
    EXPECT_EQ(2, run("json").status);
}

TEST_F(SyxCommand, ReadsARealTg33File)
{
    const fs::path fixture = fs::path(MORVANE_FIXTURES) / "tg33-init-voice.syx";
    ASSERT_TRUE(fs::exists(fixture)) << "missing test data: " << fixture;
    const ToolRun show = run("show " + fixture.string());
    ASSERT_EQ(0, show.status) << show.err;
    EXPECT_NE(std::string::npos, show.out.find("TG-33, 605 bytes"));
    EXPECT_NE(std::string::npos, show.out.find("\"Untitled\""));
    EXPECT_NE(std::string::npos, show.out.find("605 (the message holds 597)"));
    EXPECT_NE(std::string::npos, show.out.find("Inner checksum: none in this layout")) << show.out;
}

TEST_F(SyxCommand, TheRealSy22DumpShowsBothChecksumsAndRebuildsByteForByte)
{
    const fs::path fixture = fs::path(MORVANE_FIXTURES) / "sy22-steel-voice.syx";
    ASSERT_TRUE(fs::exists(fixture)) << "missing test data: " << fixture;
    const ToolRun show = run("show " + fixture.string());
    ASSERT_EQ(0, show.status) << show.err;
    for (const char* line : {"\"Steel   \"", "Checksum:       correct", "Inner checksum: correct (0x0C)"})
        EXPECT_NE(std::string::npos, show.out.find(line)) << line << "\n" << show.out;

    const ToolRun json = run("json " + fixture.string());
    ASSERT_EQ(0, json.status) << json.err;
    const std::string rebuilt = (dir / "steel.syx").string();
    ASSERT_EQ(0, run("build " + file("steel.json", json.out) + " " + rebuilt).status);
    EXPECT_EQ(slurp(fixture), slurp(rebuilt));

    // Zeros where the inner checksum goes, as other programs write them.
    std::string zeroed = slurp(fixture);
    zeroed[588] = zeroed[589] = 0;
    const ToolRun other = run("show " + file("zeroed.syx", zeroed));
    EXPECT_NE(std::string::npos, other.out.find("Inner checksum: absent (zero)")) << other.out;
}

TEST_F(SyxCommand, RandomiseIsRepeatableWithASeedAndBlendReachesBothVoices)
{
    const fs::path steel = fs::path(MORVANE_FIXTURES) / "sy22-steel-voice.syx";
    ASSERT_TRUE(fs::exists(steel)) << "missing test data: " << steel;
    const std::string other = (dir / "other.syx").string();
    ASSERT_EQ(0, run("build " + file("o.json", R"({"common": {"name": "Other", "bendRange": 12}})") + " " + other).status);

    const std::string first = (dir / "r1.syx").string(), second = (dir / "r2.syx").string();
    const ToolRun r1 = run("randomise " + steel.string() + " " + first + " --amount 40 --seed 7");
    ASSERT_EQ(0, r1.status) << r1.err;
    ASSERT_EQ(0, run("randomise " + steel.string() + " " + second + " --seed 7 --amount 40").status);
    EXPECT_EQ(slurp(first), slurp(second));
    EXPECT_NE(slurp(first), slurp(steel));
    // Randomise never touches the name.
    const auto name = [&](const std::string& path) {
        const std::string json = run("json " + path).out;
        const std::size_t at = json.find("\"name\"");
        return at == std::string::npos ? std::string() : json.substr(at, 20);
    };
    EXPECT_FALSE(name(steel.string()).empty());
    EXPECT_EQ(name(steel.string()), name(first));

    // The ends of a blend are the two voices.
    const std::string blended = (dir / "b.syx").string();
    ASSERT_EQ(0, run("blend " + steel.string() + " " + other + " " + blended + " --mix 0").status);
    EXPECT_EQ(slurp(steel), slurp(blended));
    ASSERT_EQ(0, run("blend " + steel.string() + " " + other + " " + blended + " --mix 100").status);
    EXPECT_EQ(run("json " + other).out, run("json " + blended).out);

    const std::string out = (dir / "out.syx").string();
    struct Case {
        std::string arguments;
        int status;
        const char* message;
    } cases[] = {
        {"randomise " + steel.string() + " " + out + " --amount 0", 1, "from 1 to 100"},
        {"randomise " + steel.string() + " " + out + " --amount 101", 1, "from 1 to 100"},
        {"randomise " + steel.string() + " " + out + " --amount x", 1, "from 1 to 100"},
        {"randomise " + steel.string() + " " + out, 1, "from 1 to 100"},
        {"randomise " + steel.string() + " " + out + " --amount 5 --seed -1", 1, "--seed"},
        {"randomise " + (dir / "missing.syx").string() + " " + out + " --amount 5", 1, "cannot open"},
        {"blend " + steel.string() + " " + other + " " + out + " --mix 101", 1, "from 0 to 100"},
        {"blend " + steel.string() + " " + (dir / "missing.syx").string() + " " + out + " --mix 5", 1, "cannot open"},
        {"randomise " + steel.string() + " --amount 5", 2, "usage"},
        {"blend " + steel.string() + " " + out + " --mix 5 --amount 3", 2, "usage"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.arguments);
        EXPECT_EQ(c.status, r.status) << c.arguments;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << c.arguments << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.arguments;
    }
}

TEST_F(SyxCommand, MorphGivesTheCornersAndOnASideTheBlend)
{
    const fs::path steel = fs::path(MORVANE_FIXTURES) / "sy22-steel-voice.syx";
    const fs::path init = fs::path(MORVANE_FIXTURES) / "tg33-init-voice.syx";
    ASSERT_TRUE(fs::exists(steel) && fs::exists(init)) << "missing test data: " << MORVANE_FIXTURES;
    const std::string a = steel.string(), b = (dir / "b.syx").string(), c = (dir / "c.syx").string();
    ASSERT_EQ(0, run("build " + file("b.json", R"({"common": {"name": "Bee", "bendRange": 12}})") + " " + b).status);
    ASSERT_EQ(0, run("randomise " + a + " " + c + " --amount 60 --seed 3").status);
    const std::string d = init.string();
    const std::string corners = a + " " + b + " " + c + " " + d + " ";
    const std::string out = (dir / "m.syx").string(), blended = (dir / "bl.syx").string();

    // Corners and sides; a side's point equals the blend byte for byte.
    struct Point {
        const char* at;
        std::string blend;  // the blend command the point equals
    } points[] = {
        {"0,0", "blend " + a + " " + b + " " + blended + " --mix 0"},
        {"1,1", "blend " + c + " " + d + " " + blended + " --mix 100"},
        {"0.5,0", "blend " + a + " " + b + " " + blended + " --mix 50"},
        {"0.37,1", "blend " + c + " " + d + " " + blended + " --mix 37"},
        {"1,.8", "blend " + b + " " + d + " " + blended + " --mix 80"},
        {"0,0.25", "blend " + a + " " + c + " " + blended + " --mix 25"},
    };
    for (const Point& p : points) {
        const ToolRun m = run("morph " + corners + out + " --at " + p.at);
        ASSERT_EQ(0, m.status) << p.at << ": " << m.err;
        ASSERT_EQ(0, run(p.blend).status) << p.blend;
        EXPECT_EQ(slurp(out), slurp(blended)) << p.at;
    }
    ASSERT_EQ(0, run("morph " + corners + out + " --at 0,0").status);
    EXPECT_EQ(slurp(out), slurp(steel));
    fs::remove(out);

    struct Case {
        std::string arguments;
        int status;
        const char* message;
    } cases[] = {
        {"morph " + corners + out + " --at 1.5,0", 1, "from 0 to 1"},
        {"morph " + corners + out + " --at 0.5", 1, "from 0 to 1"},
        {"morph " + corners + out + " --at -0.1,0.5", 1, "from 0 to 1"},
        {"morph " + corners + out + " --at x,y", 1, "from 0 to 1"},
        {"morph " + corners + out + " --at 0.5,0.5,0", 1, "from 0 to 1"},
        {"morph " + corners + out + " --at nan,0", 1, "from 0 to 1"},
        {"morph " + corners + out, 1, "--at"},
        {"morph " + a + " " + b + " " + (dir / "missing.syx").string() + " " + d + " " + out + " --at 0,0", 1,
         "missing.syx: cannot open"},
        {"morph " + a + " " + b + " " + c + " " + out + " --at 0,0", 2, "usage"},
    };
    for (const Case& k : cases) {
        const ToolRun r = run(k.arguments);
        EXPECT_EQ(k.status, r.status) << k.arguments;
        EXPECT_NE(std::string::npos, r.err.find(k.message)) << k.arguments << ": " << r.err;
        EXPECT_FALSE(fs::exists(out)) << k.arguments;
    }
}

TEST_F(SyxCommand, TheRealTg33BankIsShownExtractedAndBuiltAgainByteForByte)
{
    const fs::path fixture = fs::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx";
    const std::string bank = slurp(fixture);
    ASSERT_EQ(37631u, bank.size()) << "missing test data: " << MORVANE_FIXTURES;

    const ToolRun show = run("bank show " + fixture.string());
    ASSERT_EQ(0, show.status) << show.err;
    for (const char* line : {"TG-33 bank \"LM  0012VC\", 37631 bytes, 16 blocks", "Block 16 (byte 35279): correct",
                             "IA1   1  \"WispaRev\"", "IH8  64  \""})
        EXPECT_NE(std::string::npos, show.out.find(line)) << line << "\n" << show.out;

    const ToolRun extract = run("bank extract " + fixture.string() + " " + (dir / "voices").string());
    ASSERT_EQ(0, extract.status) << extract.err;
    EXPECT_EQ(605u, fs::file_size(dir / "voices" / "IA1-WispaRev.syx"));
    EXPECT_EQ(0, run("show " + (dir / "voices" / "IA1-WispaRev.syx").string()).status);

    const ToolRun build = run("bank build " + (dir / "again.syx").string() + " " + (dir / "voices").string() + "/*.syx");
    ASSERT_EQ(0, build.status) << build.err;
    EXPECT_EQ(bank, slurp(dir / "again.syx"));
}

TEST_F(SyxCommand, AnSyBankNeedsTheMultisOfARealBank)
{
    morvane::VoiceBank made(morvane::DumpLayout::Sy);
    morvane::test::RandomVoice random(11);
    for (int slot = 0; slot < morvane::kBankVoices; ++slot)
        made.putVoice(slot, random.make());
    made.setMulti(std::vector<std::uint8_t>(morvane::kSyBankFormat.multiSize, 0x15));
    const std::vector<std::uint8_t> message = made.encode(0);
    const std::string sy = file("sy.syx", std::string(message.begin(), message.end()));

    ASSERT_EQ(0, run("bank extract " + sy + " " + (dir / "sy").string()).status);
    const std::string voices = (dir / "sy").string() + "/*.syx";
    const ToolRun again = run("bank build " + (dir / "again.syx").string() + " " + voices + " --multi-from " + sy);
    ASSERT_EQ(0, again.status) << again.err;
    EXPECT_EQ(std::string(message.begin(), message.end()), slurp(dir / "again.syx"));

    // Without the multis it becomes a TG-33 bank, and says so.
    const ToolRun tg = run("bank build " + (dir / "tg.syx").string() + " " + voices);
    ASSERT_EQ(0, tg.status) << tg.err;
    EXPECT_NE(std::string::npos, tg.out.find("TG-33 bank")) << tg.out;
    EXPECT_NE(std::string::npos, tg.out.find("64 voices were converted")) << tg.out;
    EXPECT_EQ(37631u, fs::file_size(dir / "tg.syx"));

    // Multis only from an SY bank whose multi block is whole; exactly 64 voices.
    std::string damaged = slurp(sy);
    damaged[damaged.size() - 10] ^= 0x01;
    const std::string broken = file("broken.syx", damaged);
    struct Case {
        std::string arguments;
        const char* said;
    };
    const Case refused[] = {
        {voices + " --multi-from " + (dir / "tg.syx").string(), "no multi data"},
        {voices + " --multi-from " + broken, "multi block is not whole"},
        {(dir / "sy").string() + "/IA*.syx", "give 8 voices"},
        {voices + " " + (dir / "sy").string() + "/IA1*.syx", "give 65 voices"},
    };
    for (const Case& c : refused) {
        const ToolRun r = run("bank build " + (dir / "refused.syx").string() + " " + c.arguments);
        EXPECT_EQ(1, r.status) << c.arguments;
        EXPECT_NE(std::string::npos, r.err.find(c.said)) << r.err;
        EXPECT_FALSE(fs::exists(dir / "refused.syx"));
    }

    const ToolRun show = run("bank show " + broken);
    EXPECT_EQ(1, show.status);
    EXPECT_NE(std::string::npos, show.out.find("Block 17")) << show.out;
    EXPECT_NE(std::string::npos, show.err.find("the multi data")) << show.err;
}

// A multi through the tool: the editor's init multi as JSON, rebuilt byte for
// byte but for its byte count; an edited JSON; values out of range refused.
TEST_F(SyxCommand, MultiJsonAndBuild)
{
    const std::string init = std::string(MORVANE_FIXTURES) + "/tg33-multi-init-from-editor.syx";
    const ToolRun json = run("json " + init);
    ASSERT_EQ(0, json.status) << json.err;
    for (const char* text : {"\"multi\": {", "\"name\": \"Untitled\"", "\"part16\": {", "\"volume\": 127", "\"kept\": {",
                             "\"byte31\": 0"})
        EXPECT_NE(std::string::npos, json.out.find(text)) << text << "\n" << json.out;

    const ToolRun show = run("show " + init);
    ASSERT_EQ(0, show.status) << show.err;
    for (const char* line : {"TG-33 multi, 226 bytes", "\"Untitled\"", "Byte count:     226 (the message holds 218)",
                             "Reverb Hall, balance 0", "32/0 notes", "Part  1:        IA1, volume 127, detune 0"})
        EXPECT_NE(std::string::npos, show.out.find(line)) << line << "\n" << show.out;
    EXPECT_EQ(std::string::npos, show.out.find("Part  2"));

    const std::string out = (dir / "m.syx").string();
    const ToolRun build = run("build " + file("m.json", json.out) + " " + out);
    ASSERT_EQ(0, build.status) << build.err;
    std::string expected = slurp(init);
    expected[2] = 0x00;                       // files are written for device 1
    expected[4] = 0x01, expected[5] = 0x5A;   // and with the right count
    EXPECT_EQ(expected, slurp(out));

    const ToolRun edited = run("build " + file("e.json", R"({"multi": {"common": {"name": "Band", "assignMode": 2},
                                                           "part3": {"voice": 63, "detune": -10}}})") + " " + out);
    ASSERT_EQ(0, edited.status) << edited.err;
    const ToolRun back = run("json " + out);
    for (const char* text : {"\"name\": \"Band    \"", "\"assignMode\": 2", "\"voice\": 63", "\"detune\": -10"})
        EXPECT_NE(std::string::npos, back.out.find(text)) << text << "\n" << back.out;

    const std::string before = slurp(out);
    for (const auto& [bad, says] : std::vector<std::pair<std::string, std::string>>{
             {R"({"multi": {"part3": {"volume": 128}}})", "multi.part3.volume = 128 is outside 0..127"},
             {R"({"multi": {"part17": {}}})", "unknown field multi.part17"},
             {R"({"multi": {"common": {"kept": {"byte2": 200}}}})", "multi.common.kept.byte2 = 200 is outside 0..127"},
             {R"({"multi": {"part1": {"noteShift": 25}}})", "outside -24..24"}}) {
        const ToolRun refused = run("build " + file("bad.json", bad) + " " + out);
        EXPECT_EQ(1, refused.status) << bad;
        EXPECT_NE(std::string::npos, refused.err.find(says)) << refused.err;
    }
    EXPECT_EQ(before, slurp(out));

    const ToolRun damaged = run("json " + file("cut.syx", slurp(init).substr(0, 120) + "\xF7"));
    EXPECT_EQ(1, damaged.status);
    EXPECT_NE(std::string::npos, damaged.err.find("121 bytes long, not 226")) << damaged.err;
}
