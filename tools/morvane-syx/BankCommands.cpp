#include "BankCommands.h"

#include "VoiceBank.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace morvane {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr std::string_view kBankUsage =
    "usage: morvane-syx bank show FILE | bank extract FILE DIR | bank build OUT FILE... [--multi-from BANK]";

// Device 1: the channel byte of every voice file written.
constexpr int kDeviceOne = 0;

int fail(std::ostream& err, int status, const std::string& what)
{
    err << "morvane-syx: " << what << '\n';
    return status;
}

std::string layoutText(const BankFormat& f)
{
    return std::string(f.model) + " bank \"" + std::string(f.id) + "\"";
}

// A name that is safe in a file name: letters, digits, '-', '_', '+', '.'
// as they are, anything else as '_', trailing spaces dropped.
std::string fileSafe(std::string name)
{
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '-' && ch != '+' && ch != '.')
            ch = '_';
    return name.empty() ? "voice" : name;
}

bool isLibraryFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[kLibraryHeaderSize] = {};
    in.read(magic, sizeof magic);
    return in && std::string_view(magic, sizeof magic) == kLibraryMagic;
}

int show(const std::string& path, std::ostream& out, std::ostream& err)
{
    const BankRead read = readVoiceBankFile(path);
    if (!read.layout)
        return fail(err, kFailed, path + ": " + read.faults.front());
    const BankFormat& f = read.bank.format();
    out << "Layout: " << layoutText(f) << ", " << bankSize(f) << " bytes, " << bankBlocks(f) << " blocks\n";
    for (const BankBlockCheck& block : read.blocks)
        out << "Block " << block.number << " (byte " << block.at << "): "
            << (block.fault.empty() ? "correct" : block.fault) << '\n';
    for (int slot = 0; slot < kBankVoices; ++slot)
        out << slotName(slot) << "  " << (slot < 9 ? " " : "") << slot + 1 << "  "
            << (read.bank.holds(slot) ? "\"" + read.bank.name(slot) + "\"" : "(not whole)") << '\n';
    if (read.bank.needsMulti())
        out << "Multi data: " << (read.bank.multi().empty() ? "not whole" : "whole") << '\n';
    for (const std::string& fault : read.faults)
        err << "morvane-syx: " << path << ": " << fault << '\n';
    return read.faults.empty() ? 0 : kFailed;
}

int extract(const std::string& path, const std::string& dir, std::ostream& out, std::ostream& err)
{
    const BankRead read = readVoiceBankFile(path);
    if (!read.layout)
        return fail(err, kFailed, path + ": " + read.faults.front());
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir))
        return fail(err, kFailed, dir + ": cannot make the folder");
    int written = 0;
    for (int slot = 0; slot < kBankVoices; ++slot) {
        if (!read.bank.holds(slot))
            continue;
        const std::vector<std::uint8_t> dump = read.bank.voiceDump(slot, kDeviceOne);
        const std::string file =
            (std::filesystem::path(dir) / (slotName(slot) + "-" + fileSafe(read.bank.name(slot)) + ".syx")).string();
        if (!writeFileAtomically(file, dump.data(), dump.size()))
            return fail(err, kFailed, file + ": cannot write the file");
        ++written;
    }
    out << "Wrote " << written << " voice files to " << dir << ".\n";
    for (const std::string& fault : read.faults)
        err << "morvane-syx: " << path << ": " << fault << '\n';
    return read.faults.empty() ? 0 : kFailed;
}

int build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    std::string multiFrom;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--multi-from") {
            if (i + 1 == args.size() || !multiFrom.empty())
                return fail(err, kUsageError, std::string(kBankUsage));
            multiFrom = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            return fail(err, kUsageError, std::string(kBankUsage));
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() < 2)
        return fail(err, kUsageError, std::string(kBankUsage));
    const std::string outPath = files.front();
    files.erase(files.begin());

    // An SY bank carries the multis of a real one; a TG-33 bank has none.
    VoiceBank bank(multiFrom.empty() ? DumpLayout::Tg33 : DumpLayout::Sy);
    if (!multiFrom.empty()) {
        const BankRead source = readVoiceBankFile(multiFrom);
        if (source.layout != DumpLayout::Sy)
            return fail(err, kFailed, multiFrom + ": not an SY-22/SY-35 bank, so it has no multi data");
        if (source.bank.multi().empty())
            return fail(err, kFailed, multiFrom + ": its multi block is not whole");
        bank.setMulti(source.bank.multi());
    }

    int slot = 0;
    int converted = 0;
    const auto put = [&](const std::uint8_t* message, std::size_t size) {
        if (slot < kBankVoices && bank.putDump(slot, message, size).value_or(false))
            ++converted;
        ++slot;
    };
    for (const std::string& file : files) {
        if (isLibraryFile(file)) {
            VoiceLibrary library(file);
            const LibraryResult each = library.forEachRecord([&](int, const LibraryRecord& record) {
                put(record.data() + kRecordMaskSize, kSyDumpSize);
            });
            if (!each)
                return fail(err, kFailed, file + ": " + each.error());
            continue;
        }
        std::ifstream probe(file, std::ios::binary);
        std::vector<std::uint8_t> head(32);
        probe.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(probe.gcount()));
        if (bankLayout(head.data(), head.size())) {
            const BankRead source = readVoiceBankFile(file);
            if (!source.faults.empty())
                return fail(err, kFailed, file + ": " + source.faults.front());
            for (int i = 0; i < kBankVoices; ++i) {
                const std::vector<std::uint8_t> dump = source.bank.voiceDump(i, kDeviceOne);
                put(dump.data(), dump.size());
            }
            continue;
        }
        std::vector<std::uint8_t> message;
        VoiceFileResult result = readVoiceMessage(file, message);
        if (result == VoiceFileResult::Loaded && !voiceDumpLayout(message.data(), message.size()))
            result = VoiceFileResult::NotAVoice;
        if (result != VoiceFileResult::Loaded)
            return fail(err, kFailed, file + ": " + describe(result));
        put(message.data(), message.size());
    }
    if (slot != kBankVoices)
        return fail(err, kFailed,
                    "the files give " + std::to_string(slot) + " voices; a bank holds exactly "
                        + std::to_string(kBankVoices));
    const std::vector<std::uint8_t> message = bank.encode(kDeviceOne);
    if (!writeFileAtomically(outPath, message.data(), message.size()))
        return fail(err, kFailed, outPath + ": cannot write the file");
    out << "Wrote a " << layoutText(bank.format()) << " of " << kBankVoices << " voices to " << outPath << ".\n";
    if (converted > 0)
        out << converted << (converted == 1 ? " voice was" : " voices were") << " converted from the other layout.\n";
    return 0;
}

} // namespace

int runBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string verb = args.empty() ? "" : args[0];
    if (verb == "show" && args.size() == 2)
        return show(args[1], out, err);
    if (verb == "extract" && args.size() == 3)
        return extract(args[1], args[2], out, err);
    if (verb == "build")
        return build({args.begin() + 1, args.end()}, out, err);
    return fail(err, kUsageError, std::string(kBankUsage));
}

} // namespace morvane
