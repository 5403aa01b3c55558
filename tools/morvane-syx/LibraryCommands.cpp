#include "LibraryCommands.h"

#include "Categories.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <string_view>

namespace morvane {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr std::string_view kLibUsage =
    "usage: morvane-syx lib list [LIBRARY] [--categories A,B] | lib add LIBRARY FILE... --categories A,B"
    " | lib extract LIBRARY N OUT";

class Command {
public:
    Command(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    int run(const std::vector<std::string>& args);

private:
    int list();
    int add();
    int extract();

    int fail(int status, const std::string& what)
    {
        err << "morvane-syx: " << what << '\n';
        return status;
    }
    int usage() { return fail(kUsageError, std::string(kLibUsage)); }
    bool splitArguments(const std::vector<std::string>& args);
    std::optional<std::uint32_t> categoryMask();
    bool libraryExists(const std::string& path);

    std::ostream& out;
    std::ostream& err;
    std::vector<std::string> positional;
    std::optional<std::string> categories;
};

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

// Captions match without regard to case, so "musical fx" names bit 13.
int categoryByName(std::string_view name)
{
    for (std::size_t i = 0; i < kCategoryNames.size(); ++i) {
        const std::string_view known = kCategoryNames[i];
        if (std::equal(known.begin(), known.end(), name.begin(), name.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(i);
    }
    return -1;
}

std::string categoryText(std::uint32_t mask)
{
    std::string text;
    for (std::size_t i = 0; i < kCategoryCount; ++i) {
        if ((mask & categoryBit(i)) == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += kCategoryNames[i];
    }
    return text;
}

std::optional<int> recordNumber(std::string_view text)
{
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || n < 0)
        return std::nullopt;
    return n;
}

int Command::run(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage();
    if (!splitArguments({args.begin() + 1, args.end()}))
        return kUsageError;
    if (args[0] == "list" && positional.size() <= 1)
        return list();
    if (args[0] == "add" && positional.size() >= 2)
        return add();
    if (args[0] == "extract" && positional.size() == 3 && !categories)
        return extract();
    return usage();
}

bool Command::splitArguments(const std::vector<std::string>& args)
{
    constexpr std::string_view option = "--categories";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::optional<std::string> value;
        if (arg == option) {
            if (i + 1 == args.size()) {
                fail(kUsageError, "--categories needs a list of categories, such as --categories Strings,Pad");
                return false;
            }
            value = args[++i];
        } else if (arg.starts_with(option) && arg.size() > option.size() && arg[option.size()] == '=') {
            value = std::string(arg.substr(option.size() + 1));
        } else if (arg.starts_with("--")) {
            fail(kUsageError, "unknown option " + std::string(arg));
            return false;
        } else {
            positional.emplace_back(arg);
            continue;
        }
        if (categories) {
            fail(kUsageError, "--categories is given twice");
            return false;
        }
        categories = value;
    }
    return true;
}

std::optional<std::uint32_t> Command::categoryMask()
{
    std::uint32_t mask = 0;
    std::string_view rest = *categories;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view name = trimmed(rest.substr(0, comma));
        const int index = categoryByName(name);
        if (index < 0) {
            std::string known;
            for (std::string_view k : kCategoryNames)
                known += (known.empty() ? "" : ", ") + std::string(k);
            fail(kUsageError, name.empty() ? "an empty category name in --categories"
                                           : "unknown category \"" + std::string(name) + "\" (the categories are "
                                                 + known + ")");
            return std::nullopt;
        }
        mask |= categoryBit(static_cast<std::size_t>(index));
        if (comma == std::string_view::npos)
            return mask;
        rest.remove_prefix(comma + 1);
    }
}

bool Command::libraryExists(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return true;
    fail(kFailed, path + ": no such library file");
    return false;
}

int Command::list()
{
    std::uint32_t filter = 0;
    if (categories) {
        const std::optional<std::uint32_t> mask = categoryMask();
        if (!mask)
            return kUsageError;
        filter = *mask;
    }
    const std::string path = positional.empty() ? std::string(kLibraryFileName) : positional[0];
    if (!libraryExists(path))
        return kFailed;
    const VoiceLibrary library(path);
    std::vector<RecordSummary> records;
    if (const LibraryResult scanned = library.scanRecords(records); !scanned)
        return fail(kFailed, scanned.error());
    const int width = static_cast<int>(std::to_string(records.empty() ? 0 : records.size() - 1).size());
    for (std::size_t n = 0; n < records.size(); ++n) {
        if (!matchesFilter(records[n].categories, filter))
            continue;
        out << std::setw(width) << n << "  " << records[n].name;
        const std::string names = categoryText(records[n].categories);
        if (!names.empty())
            out << "  " << names;
        out << '\n';
    }
    return 0;
}

int Command::add()
{
    if (!categories)
        return fail(kUsageError, "lib add needs the voices' categories, such as --categories Strings,Pad");
    const std::optional<std::uint32_t> mask = categoryMask();
    if (!mask)
        return kUsageError;
    const std::string& path = positional[0];
    const std::vector<std::string> files(positional.begin() + 1, positional.end());

    // Every file is read before anything is written, so a bad file in a
    // folder's worth leaves the library as it was.
    std::vector<VoiceParameters> voices(files.size());
    bool allRead = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        VoiceParameters read;
        VoiceData data(read);
        const VoiceFileResult result = readVoiceFile(files[i], data);
        if (result != VoiceFileResult::Loaded) {
            fail(kFailed, files[i] + ": " + describe(result));
            allRead = false;
        }
        voices[i] = read;
    }
    if (!allRead)
        return fail(kFailed, "nothing was added to " + path);

    VoiceLibrary library(path);
    // One flush to the disk for the whole batch, not one per record.
    library.setFlushEachWrite(false);
    VoiceParameters current;
    VoiceData data(current);
    const int first = library.recordCount();
    for (std::size_t i = 0; i < voices.size(); ++i) {
        current = voices[i];
        if (const LibraryResult added = library.appendRecord(*mask, data); !added) {
            fail(kFailed, added.error());
            if (const LibraryResult flushed = library.flushToDisk(); !flushed && i > 0)
                fail(kFailed, flushed.error());
            return fail(kFailed, files[i] + " and the files after it were not added (" + std::to_string(i) + " of "
                                     + std::to_string(files.size()) + " added)");
        }
    }
    if (const LibraryResult flushed = library.flushToDisk(); !flushed)
        return fail(kFailed, flushed.error());
    const int last = library.recordCount() - 1;
    out << "Added " << files.size() << (files.size() == 1 ? " voice" : " voices") << " to " << path << " as record"
        << (first == last ? " " + std::to_string(last) : "s " + std::to_string(first) + " to " + std::to_string(last))
        << '\n';
    return 0;
}

int Command::extract()
{
    const std::string& path = positional[0];
    const std::optional<int> n = recordNumber(positional[1]);
    if (!n)
        return fail(kUsageError, "\"" + positional[1] + "\" is not a record number");
    if (!libraryExists(path))
        return kFailed;
    VoiceLibrary library(path);
    VoiceParameters voice;
    VoiceData data(voice);
    if (const LibraryResult loaded = library.loadRecord(*n, data); !loaded)
        return fail(kFailed, loaded.error());
    if (!writeVoiceFile(positional[2], data))
        return fail(kFailed, positional[2] + ": cannot write the file");
    return 0;
}

} // namespace

int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Command(out, err).run(args);
}

} // namespace morvane
