#include "LibraryCommands.h"

#include "Categories.h"
#include "Duplicates.h"
#include "LibraryImport.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <optional>
#include <string_view>

namespace morvane {

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr std::string_view kLibUsage =
    "usage: morvane-syx lib list [LIBRARY] [--categories A,B] [--name TEXT]"
    " | lib add LIBRARY FILE... --categories A,B"
    " | lib import LIBRARY FILE... --categories A,B [--keep-whole] | lib dups LIBRARY"
    " | lib extract LIBRARY N OUT | lib rm LIBRARY N... | lib rename LIBRARY N NAME";

class Command {
public:
    Command(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    int run(const std::vector<std::string>& args);

private:
    int list();
    int add();
    int import();
    int dups();
    int extract();
    int remove();
    int rename();

    int fail(int status, const std::string& what)
    {
        err << "morvane-syx: " << what << '\n';
        return status;
    }
    int usage() { return fail(kUsageError, std::string(kLibUsage)); }
    bool splitArguments(const std::vector<std::string>& args);
    std::optional<std::uint32_t> categoryMask();
    // The mask of --categories, which `verb` cannot do without.
    std::optional<std::uint32_t> requiredCategories(const char* verb);
    bool libraryExists(const std::string& path);
    // The names and masks of an existing library, or a failure said.
    bool scanExisting(const std::string& path, std::vector<RecordSummary>& records);
    // A record number, or a usage error said.
    std::optional<int> recordArgument(const std::string& text);
    // Runs `act` on the library of the first argument and the record number
    // of the second, once both are good.
    int onRecord(const std::function<int(VoiceLibrary& library, int n)>& act);

    std::ostream& out;
    std::ostream& err;
    std::vector<std::string> positional;
    std::optional<std::string> categories;
    std::optional<std::string> name;
    bool keepWhole = false;
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

std::optional<int> Command::recordArgument(const std::string& text)
{
    const std::optional<int> n = recordNumber(text);
    if (!n)
        fail(kUsageError, "\"" + text + "\" is not a record number");
    return n;
}

int Command::run(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage();
    if (!splitArguments({args.begin() + 1, args.end()}))
        return kUsageError;
    const std::string& verb = args[0];
    if (keepWhole && verb != "import")
        return fail(kUsageError, "--keep-whole belongs to lib import");
    if (name && verb != "list")
        return fail(kUsageError, "--name belongs to lib list");
    if (categories && verb != "list" && verb != "add" && verb != "import")
        return usage();
    if (verb == "list" && positional.size() <= 1)
        return list();
    if (verb == "add" && positional.size() >= 2)
        return add();
    if (verb == "import" && positional.size() >= 2)
        return import();
    if (verb == "dups" && positional.size() == 1)
        return dups();
    if (verb == "extract" && positional.size() == 3)
        return extract();
    if (verb == "rm" && positional.size() >= 2)
        return remove();
    if (verb == "rename" && positional.size() == 3)
        return rename();
    return usage();
}

bool Command::splitArguments(const std::vector<std::string>& args)
{
    struct Option {
        std::string_view name;
        std::optional<std::string>* value;  // null: a switch
        const char* example;
    };
    const Option options[] = {
        {"--categories", &categories, "a list of categories, such as --categories Strings,Pad"},
        {"--name", &name, "a part of a voice name, such as --name brass"},
        {"--keep-whole", nullptr, nullptr},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--")) {
            positional.emplace_back(arg);
            continue;
        }
        const std::string_view key = arg.substr(0, arg.find('='));
        const Option* option = std::find_if(std::begin(options), std::end(options),
                                            [&](const Option& o) { return o.name == key; });
        if (option == std::end(options)) {
            fail(kUsageError, "unknown option " + std::string(arg));
            return false;
        }
        if (option->value == nullptr) {
            if (key != arg) {
                fail(kUsageError, std::string(key) + " takes no value");
                return false;
            }
            keepWhole = true;
            continue;
        }
        std::string value;
        if (key != arg) {
            value = std::string(arg.substr(key.size() + 1));
        } else if (i + 1 == args.size()) {
            fail(kUsageError, std::string(key) + " needs " + option->example);
            return false;
        } else {
            value = args[++i];
        }
        if (*option->value) {
            fail(kUsageError, std::string(key) + " is given twice");
            return false;
        }
        *option->value = value;
    }
    return true;
}

std::optional<std::uint32_t> Command::requiredCategories(const char* verb)
{
    if (!categories) {
        fail(kUsageError, std::string("lib ") + verb + " needs the voices' categories, such as --categories Strings,Pad");
        return std::nullopt;
    }
    return categoryMask();
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

bool Command::scanExisting(const std::string& path, std::vector<RecordSummary>& records)
{
    if (!libraryExists(path))
        return false;
    if (const LibraryResult scanned = VoiceLibrary(path).scanRecords(records); !scanned) {
        fail(kFailed, scanned.error());
        return false;
    }
    return true;
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
    std::vector<RecordSummary> records;
    if (!scanExisting(path, records))
        return kFailed;
    const int width = static_cast<int>(std::to_string(records.empty() ? 0 : records.size() - 1).size());
    for (const int n : filterRecords(records, filter, name.value_or(""))) {
        const RecordSummary& record = records[static_cast<std::size_t>(n)];
        out << std::setw(width) << n << "  " << record.name;
        const std::string names = categoryText(record.categories);
        if (!names.empty())
            out << "  " << names;
        out << '\n';
    }
    return 0;
}

int Command::add()
{
    const std::optional<std::uint32_t> mask = requiredCategories("add");
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
    // Held over the whole batch, so that the numbers said are the records added.
    const LibraryLock lock(library);
    if (!lock)
        return fail(kFailed, lock.result().error() + " Nothing was added to " + path);
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

int Command::import()
{
    const std::optional<std::uint32_t> mask = requiredCategories("import");
    if (!mask)
        return kUsageError;
    const std::string& path = positional[0];
    VoiceLibrary library(path);
    const ImportReport report =
        importVoiceFiles(library, {positional.begin() + 1, positional.end()}, *mask, keepWhole);
    for (const std::string& problem : report.problems)
        err << "morvane-syx: " << problem << '\n';
    if (report.refused) {
        std::string text = report.summary(path);
        if (report.canKeepWhole())
            text += " Add --keep-whole to import them.";
        return fail(kFailed, text);
    }
    out << report.summary(path) << '\n';
    return 0;
}

int Command::dups()
{
    const std::string& path = positional[0];
    std::vector<RecordSummary> records;
    if (!scanExisting(path, records))
        return kFailed;
    VoiceLibrary library(path);
    // Held while the kept hashes are brought up to date and the records read.
    const LibraryLock lock(library);
    if (!lock)
        return fail(kFailed, lock.result().error());
    DuplicateIndex index(library);
    DuplicateIndex::Groups groups;
    if (const LibraryResult found = index.groups(groups); !found)
        return fail(kFailed, found.error());
    const auto print = [&](const char* title, const std::vector<std::vector<int>>& list) {
        out << title << " (" << list.size() << (list.size() == 1 ? " group" : " groups") << ")\n";
        for (const std::vector<int>& group : list) {
            out << ' ';
            for (std::size_t i = 0; i < group.size(); ++i) {
                const int n = group[i];
                const std::string name = n < static_cast<int>(records.size())
                                             ? records[static_cast<std::size_t>(n)].name : std::string();
                out << (i == 0 ? " " : ", ") << n << " \"" << name << '"';
            }
            out << '\n';
        }
    };
    print("The same voice", groups.exact);
    print("The same but for the name", groups.nameOnly);
    return 0;
}

int Command::remove()
{
    const std::string& path = positional[0];
    std::vector<int> numbers;
    for (std::size_t i = 1; i < positional.size(); ++i) {
        const std::optional<int> n = recordArgument(positional[i]);
        if (!n)
            return kUsageError;
        numbers.push_back(*n);
    }
    if (!libraryExists(path))
        return kFailed;
    VoiceLibrary library(path);
    if (const LibraryResult removed = library.removeRecords(numbers); !removed)
        return fail(kFailed, removed.error());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    out << "Removed " << numbers.size() << (numbers.size() == 1 ? " voice" : " voices") << " from " << path << '\n';
    return 0;
}

int Command::rename()
{
    return onRecord([this](VoiceLibrary& library, int n) {
        if (const LibraryResult renamed = library.renameRecord(n, positional[2]); !renamed)
            return fail(kFailed, renamed.error());
        return 0;
    });
}

int Command::onRecord(const std::function<int(VoiceLibrary& library, int n)>& act)
{
    const std::string& path = positional[0];
    const std::optional<int> n = recordArgument(positional[1]);
    if (!n)
        return kUsageError;
    if (!libraryExists(path))
        return kFailed;
    VoiceLibrary library(path);
    return act(library, *n);
}

int Command::extract()
{
    return onRecord([this](VoiceLibrary& library, int n) {
        VoiceParameters voice;
        VoiceData data(voice);
        if (const LibraryResult loaded = library.loadRecord(n, data); !loaded)
            return fail(kFailed, loaded.error());
        if (std::string why; !writeVoiceFile(positional[2], data, &why))
            return fail(kFailed, positional[2] + ": " + why);
        return 0;
    });
}

} // namespace

int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Command(out, err).run(args);
}

} // namespace morvane
