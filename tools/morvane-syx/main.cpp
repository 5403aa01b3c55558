// morvane-syx: inspect, compare, script and convert voice files without the
// windows.
#include "BankCommands.h"
#include "Version.h"
#include "EffectNames.h"
#include "LibraryCommands.h"
#include "VoiceFile.h"
#include "VoiceJson.h"
#include "VoiceTransforms.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace morvane;

namespace {

constexpr int kBadInput = 1;
constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: morvane-syx json FILE             print the voice or TG-33 multi in FILE as JSON\n"
    "       morvane-syx build JSON OUT        write the voice or multi described by JSON as a .SYX file\n"
    "       morvane-syx show FILE             print a short summary of the voice or multi in FILE\n"
    "       morvane-syx randomise IN OUT --amount N [--seed S]\n"
    "                                         move every field but the name by up to N % (1-100)\n"
    "       morvane-syx blend A B OUT --mix N the voice N % (0-100) of the way from A to B\n"
    "       morvane-syx morph A B C D OUT --at X,Y\n"
    "                                         the voice at X,Y (each 0-1) of a square with A at 0,0,\n"
    "                                         B at 1,0, C at 0,1 and D at 1,1\n"
    "       morvane-syx lib list [LIBRARY] [--categories A,B] [--name TEXT]\n"
    "       morvane-syx lib add LIBRARY FILE... --categories A,B\n"
    "       morvane-syx lib import LIBRARY FILE... --categories A,B [--keep-whole]\n"
    "       morvane-syx lib dups LIBRARY\n"
    "       morvane-syx lib extract LIBRARY N OUT\n"
    "       morvane-syx lib rm LIBRARY N...\n"
    "       morvane-syx lib rename LIBRARY N NAME\n"
    "       morvane-syx bank show FILE         the layout, every block's check and the 64 names of a bank\n"
    "       morvane-syx bank extract FILE DIR  each voice of a bank as a voice file (device 1)\n"
    "       morvane-syx bank build OUT FILE... [--multi-from BANK]\n"
    "                                         a bank of 64 voices from voice files, banks and libraries,\n"
    "                                         in order; an SY-22/SY-35 bank takes the multis of BANK\n"
    "       morvane-syx --version                print the version\n";

int fail(const std::string& what)
{
    std::cerr << "morvane-syx: " << what << '\n';
    return kBadInput;
}

// The voice message of a file, by the same rule the program loads files with.
bool readVoice(const std::string& path, VoiceParameters& voice, std::vector<std::uint8_t>& message, std::string& error)
{
    VoiceFileResult result = readVoiceMessage(path, message);
    VoiceData data(voice);
    if (result == VoiceFileResult::Loaded && !data.decodeDump(message.data(), message.size()))
        result = VoiceFileResult::NotAVoice;
    if (result != VoiceFileResult::Loaded)
        error = path + ": " + describe(result);
    return result == VoiceFileResult::Loaded;
}

// True when the file's first System Exclusive message is a TG-33 multi dump.
bool holdsMulti(const std::string& path)
{
    std::vector<std::uint8_t> message;
    readVoiceMessage(path, message);
    return isMultiDump(message.data(), message.size());
}

int jsonCommand(const std::string& path)
{
    if (holdsMulti(path)) {
        Multi multi;
        if (const std::string error = readMultiFile(path, multi); !error.empty())
            return fail(path + ": " + error);
        std::cout << multiToJson(multi);
        return 0;
    }
    VoiceParameters voice;
    std::vector<std::uint8_t> message;
    std::string error;
    if (!readVoice(path, voice, message, error))
        return fail(error);
    std::cout << voiceToJson(voice);
    return 0;
}

int buildCommand(const std::string& jsonPath, const std::string& outPath)
{
    // A voice's description is a few kilobytes; far more is not one.
    constexpr std::size_t kMaxJsonSize = 1 << 20;
    std::vector<std::uint8_t> bytes;
    if (const VoiceFileResult read = readRegularFile(jsonPath, bytes, kMaxJsonSize); read != VoiceFileResult::Loaded)
        return fail(jsonPath + ": " + (read == VoiceFileResult::TooLarge ? "the file is too large" : describe(read)));
    const std::string json(bytes.begin(), bytes.end());
    if (isMultiJson(json)) {
        Multi multi = initialMulti();
        if (const std::string error = multiFromJson(json, multi); !error.empty())
            return fail(jsonPath + ": " + error);
        if (const std::string why = writeMultiFile(outPath, multi); !why.empty())
            return fail(outPath + ": " + why);
        return 0;
    }
    VoiceParameters voice;
    VoiceData data(voice);
    const std::string error = voiceFromJson(json, voice);
    if (!error.empty())
        return fail(jsonPath + ": " + error);
    if (std::string why; !writeVoiceFile(outPath, data, &why))
        return fail(outPath + ": " + why);
    return 0;
}

// A whole number from min to max, or nothing.
std::optional<long long> number(const std::string& text, long long min, long long max)
{
    long long n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || n < min || n > max)
        return std::nullopt;
    return n;
}

// The words of a command: its files, then options that each take a value.
struct Arguments {
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> options;
    bool valid = true;

    Arguments(const std::vector<std::string>& args, std::initializer_list<const char*> known)
    {
        for (std::size_t i = 1; i < args.size(); ++i) {
            const bool isOption = args[i].rfind("--", 0) == 0;
            bool knownOption = false;
            for (const char* name : known)
                knownOption = knownOption || args[i] == name;
            if (isOption && (!knownOption || i + 1 == args.size()))
                valid = false;
            else if (isOption) {
                options.emplace_back(args[i], args[i + 1]);
                ++i;
            }
            else
                files.push_back(args[i]);
        }
    }
    const std::string* option(const char* name) const
    {
        for (const auto& [key, value] : options)
            if (key == name)
                return &value;
        return nullptr;
    }
};

int writeTransformed(const std::string& outPath, const VoiceParameters& result)
{
    VoiceParameters voice;
    VoiceData data(voice);
    voice = result;
    if (std::string why; !writeVoiceFile(outPath, data, &why))
        return fail(outPath + ": " + why);
    return 0;
}

int randomiseCommand(const Arguments& args)
{
    const std::string* amountText = args.option("--amount");
    const std::string* seedText = args.option("--seed");
    const std::optional<long long> amount = amountText ? number(*amountText, 1, 100) : std::nullopt;
    if (!amount)
        return fail("--amount takes a whole number of percent from 1 to 100");
    std::optional<long long> seed = seedText ? number(*seedText, 0, 0xFFFFFFFF) : std::random_device{}();
    if (!seed)
        return fail("--seed takes a whole number from 0 to 4294967295");
    VoiceParameters voice;
    std::vector<std::uint8_t> message;
    std::string error;
    if (!readVoice(args.files[0], voice, message, error))
        return fail(error);
    randomiseVoice(voice, static_cast<int>(*amount), kAllVoiceParts, static_cast<std::uint32_t>(*seed));
    return writeTransformed(args.files[1], voice);
}

int blendCommand(const Arguments& args)
{
    const std::string* mixText = args.option("--mix");
    const std::optional<long long> mix = mixText ? number(*mixText, 0, 100) : std::nullopt;
    if (!mix)
        return fail("--mix takes a whole number of percent from 0 to 100");
    VoiceParameters a, b;
    std::vector<std::uint8_t> message;
    std::string error;
    if (!readVoice(args.files[0], a, message, error) || !readVoice(args.files[1], b, message, error))
        return fail(error);
    return writeTransformed(args.files[2], blendVoices(a, b, static_cast<int>(*mix)));
}

// A number from 0 to 1 written as decimals ("0.25", "1", ".5"), or nothing.
std::optional<double> unitNumber(const std::string& text)
{
    double n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(n >= 0 && n <= 1))
        return std::nullopt;
    return n;
}

int morphCommand(const Arguments& args)
{
    const std::string* atText = args.option("--at");
    const std::size_t comma = atText ? atText->find(',') : std::string::npos;
    const std::optional<double> x = comma != std::string::npos ? unitNumber(atText->substr(0, comma)) : std::nullopt;
    const std::optional<double> y = comma != std::string::npos ? unitNumber(atText->substr(comma + 1)) : std::nullopt;
    if (!x || !y)
        return fail("--at takes a point X,Y with X and Y from 0 to 1, such as 0.5,0.25");
    VoiceParameters corners[4];
    std::vector<std::uint8_t> message;
    std::string error;
    for (int i = 0; i < 4; ++i)
        if (!readVoice(args.files[static_cast<std::size_t>(i)], corners[i], message, error))
            return fail(error);
    return writeTransformed(args.files[4], morphVoices(corners[0], corners[1], corners[2], corners[3], *x, *y));
}

std::string hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// The instrument writes it at 588-589 of an SY-layout dump; other programs
// often leave zeros there, which the instrument's own dumps never hold unless
// the sum itself is 0.
std::string innerChecksumVerdict(DumpLayout layout, const std::uint8_t* message)
{
    if (layout != DumpLayout::Sy)
        return "none in this layout";
    const std::uint8_t high = message[kInnerChecksumAt];
    const std::uint8_t low = message[kInnerChecksumAt + 1];
    const unsigned expected = innerChecksum(message);
    const unsigned stored = joinSplit(high, low);
    if (high <= 1 && stored == expected)
        return "correct (" + hex(stored) + ")";
    if (high == 0 && low == 0)
        return "absent (zero)";
    return "wrong (stored " + hex(high) + " " + hex(low) + ", expected " + hex(expected) + ")";
}

// A multi file's summary: its name, effect, assignment and the parts that
// are on.
int showMulti(const std::string& path)
{
    Multi multi;
    if (const std::string error = readMultiFile(path, multi); !error.empty())
        return fail(path + ": " + error);
    std::vector<std::uint8_t> message;
    readVoiceMessage(path, message);
    const unsigned count = message[4] * 128u + message[5];
    const int effect = multi[MultiField::EffectType];
    const int assign = multi[MultiField::AssignMode];
    std::cout << "Layout:         TG-33 multi, " << kMultiDumpSize << " bytes\n"
              << "Name:           \"" << multi.nameText() << "\"\n"
              << "Checksum:       correct\n"
              << "Byte count:     " << count
              << (count == kMultiByteCount ? " (matches)" : " (the message holds " + std::to_string(kMultiByteCount) + ")")
              << '\n'
              << "Effect:         "
              << (effect >= 0 && effect < 16 ? std::string(kEffectNames[static_cast<std::size_t>(effect)]) : "?")
              << ", balance " << multi[MultiField::Balance] << ", sends " << multi[MultiField::Send1] << " and "
              << multi[MultiField::Send2] << '\n'
              << "Assignment:     "
              << (assign >= 0 && assign < 3 ? std::string(kAssignModeNames[static_cast<std::size_t>(assign)]) : "?")
              << '\n';
    for (int p = 0; p < kMultiParts; ++p) {
        const MultiPart& part = multi.parts[static_cast<std::size_t>(p)];
        if (part[PartField::On] != 0)
            std::cout << "Part " << (p + 1 < 10 ? " " : "") << p + 1 << ":        "
                      << multiSlotName(part[PartField::Bank], part[PartField::Voice]) << ", volume "
                      << part[PartField::Volume] << ", detune " << part[PartField::Detune] << ", note shift "
                      << part[PartField::NoteShift] << ", pan " << part[PartField::Pan] << ", effect group "
                      << part[PartField::EffectGroup] + 1 << '\n';
    }
    return 0;
}

int showCommand(const std::string& path)
{
    if (holdsMulti(path))
        return showMulti(path);
    VoiceParameters voice;
    std::vector<std::uint8_t> message;
    std::string error;
    if (!readVoice(path, voice, message, error))
        return fail(error);
    const DumpLayout layout = dumpLayout(message.data(), message.size());
    const std::size_t size = dumpSize(layout);
    // The checksum makes bytes 6 up to and including it a multiple of 128.
    const std::size_t checksumAt = size - 2;
    const unsigned sum = std::accumulate(message.begin() + 6, message.begin() + checksumAt + 1, 0u);
    const unsigned stored = message[checksumAt];
    const unsigned expected = (stored + 128 - sum % 128) % 128;
    const unsigned count = message[4] * 128u + message[5];
    const VoiceCommonParams& c = voice.common;

    std::cout << "Layout:         " << (layout == DumpLayout::Tg33 ? "TG-33" : "SY-22/SY-35") << ", "
              << size << " bytes\n"
              << "Name:           \"" << std::string(c.name) << "\"\n"
              << "Checksum:       "
              << (sum % 128 == 0 ? "correct (" + hex(stored) + ")"
                                 : "wrong (stored " + hex(stored) + ", expected " + hex(expected) + ")")
              << '\n'
              << "Inner checksum: " << innerChecksumVerdict(layout, message.data()) << '\n'
              << "Byte count:     " << count
              << (count == size - 8 ? " (matches)" : " (the message holds " + std::to_string(size - 8) + ")") << '\n'
              << "Configuration:  " << kVoiceConfigNames[c.voiceConfig & 1] << '\n'
              << "Effect:         " << kEffectNames[c.effectType & 0x0F] << ", depth " << int(c.effectDepth) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string command = args.empty() ? "" : args[0];
    if (command == "json" && args.size() == 2)
        return jsonCommand(args[1]);
    if (command == "build" && args.size() == 3)
        return buildCommand(args[1], args[2]);
    if (command == "show" && args.size() == 2)
        return showCommand(args[1]);
    if (command == "randomise") {
        const Arguments parsed(args, {"--amount", "--seed"});
        if (parsed.valid && parsed.files.size() == 2)
            return randomiseCommand(parsed);
    }
    if (command == "blend") {
        const Arguments parsed(args, {"--mix"});
        if (parsed.valid && parsed.files.size() == 3)
            return blendCommand(parsed);
    }
    if (command == "morph") {
        const Arguments parsed(args, {"--at"});
        if (parsed.valid && parsed.files.size() == 5)
            return morphCommand(parsed);
    }
    if (command == "bank")
        return runBankCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
    if (command == "lib")
        return runLibraryCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
    if (command == "--version") {
        std::cout << "morvane-syx " << morvane::kVersionNumber << '\n';
        return 0;
    }
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << kUsage;
    return kUsageError;
}
