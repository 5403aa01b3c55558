// Builds a library of many records in a temporary folder and times the ways
// of filling the browser's list from it, beside one plain read of the file;
// then filtering by a name part and categories from memory against reading
// the file again per key press; the browser window's key presses and category
// clicks, and its changes of the library (rename, categories, modify, delete,
// add, a whole reading again) and an export, against the same on a library of 1,000 voices; and
// importing the TG-33 bank backup.
//
//   library_bench [RECORDS] [BANK]   (default 100000, the bank of the test data)
//
// With LIBRARY_BENCH_KEEP=FILE the library built is kept in FILE and taken
// from there by the next run; LIBRARY_BENCH_WINDOW_ONLY=1 stops after the
// window's figures.
//
// Run it from an optimised build without sanitizers. Every figure is the
// median of several runs with the file in the page cache.
#include "BenchSupport.h"
#include "RandomVoice.h"
#include "VoiceData.h"
#include "Duplicates.h"
#include "LibraryImport.h"
#include "VoiceLibrary.h"
#include "LibraryBrowser.h"
#include "TSelectVoiceType.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QListView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace morvane;
namespace fs = std::filesystem;

namespace {

void check(const LibraryResult& result) { bench::check("library_bench", result); }
using bench::peakMegabytes;

constexpr int kRuns = 7;

double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(milliseconds(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// What the list shows for a filter: record numbers in file order.
std::vector<int> rowsFor(const std::vector<RecordSummary>& records, std::uint32_t filter)
{
    std::vector<int> rows;
    rows.reserve(records.size());
    for (std::size_t n = 0; n < records.size(); ++n)
        if (matchesFilter(records[n].categories, filter))
            rows.push_back(static_cast<int>(n));
    return rows;
}

// Fills the library with `total` records: the shapes in turn, each named
// with seven random letters (or spaces) and a digit, with two or three
// random categories.
void buildLibrary(VoiceLibrary& library, const std::vector<VoiceParameters>& shapes, int total)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, kCategoryCount - 1);
    std::uniform_int_distribution<int> letter(0, 26);
    VoiceParameters current;
    const VoiceData data(current);
    library.setFlushEachWrite(false);
    std::vector<LibraryRecord> block;
    for (int n = 0; n < total; ++n) {
        current = shapes[static_cast<std::size_t>(n) % shapes.size()];
        for (std::size_t i = 0; i < 7; ++i) {
            const int l = letter(rng);
            current.common.name[i] = l == 26 ? ' ' : static_cast<char>((i == 0 ? 'A' : 'a') + l);
        }
        current.common.name[7] = static_cast<char>('0' + n % 10);
        const std::uint32_t mask = categoryBit(pick(rng)) | categoryBit(pick(rng)) | categoryBit(pick(rng));
        block.emplace_back();
        check(makeRecord(mask, data, block.back()));
        if (block.size() == 4096 || n + 1 == total) {
            check(library.appendRecords(block));
            block.clear();
        }
    }
    check(library.flushToDisk());
    library.setFlushEachWrite(true);
}

// The program around the browser: the import's categories dialog is
// answered with Pad for every voice, messages with Ok; the rest is cancelled.
class BenchHost : public LibraryBrowserHost {
public:
    std::function<void()> answered;  // the categories dialog was answered: the import begins

    int showModal(QDialog& dialog) override
    {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            if (box->button(QMessageBox::Yes) == nullptr)
                return QMessageBox::Ok;
            if (answered)
                answered();
            return refuse ? QMessageBox::No : QMessageBox::Yes;  // a question: delete
        }
        if (auto* folder = qobject_cast<QFileDialog*>(&dialog)) {
            folder->show();  // as a person sees it: it lists and watches folders
            if (!QTest::qWaitForWindowExposed(folder)) {
                std::cerr << "library_bench: the folder dialog was not shown\n";
                std::exit(1);
            }
            auto* name = folder->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(exportFolder);
            QTest::keyClick(name, Qt::Key_Return);
            if (answered)
                answered();
            return dialog.result();
        }
        if (auto* input = qobject_cast<QInputDialog*>(&dialog)) {
            input->setTextValue(QStringLiteral("Renamed"));
            if (answered)
                answered();
            return QDialog::Accepted;
        }
        if (&dialog == &overwrite_) {
            if (answered)
                answered();
            return QDialog::Accepted;
        }
        if (auto* pad = dialog.findChild<QCheckBox*>(QStringLiteral("cbPad"));
            pad != nullptr && dialog.findChild<QPushButton*>(QStringLiteral("Okay")) != nullptr) {
            pad->click();
            if (auto* types = qobject_cast<TSelectVoiceType*>(&dialog); types != nullptr && types->buildCategoryMask() == 0)
                pad->click();  // it was ticked: ticked again
            dialog.findChild<QPushButton*>(QStringLiteral("Okay"))->click();
            if (answered && !modifying)
                answered();
            return dialog.result();
        }
        return QDialog::Rejected;
    }
    bool modifying = false;  // the categories come before the question whether to overwrite
    bool refuse = false;     // questions are answered No
    QString exportFolder;    // the folder chosen for an export
    TSelectVoiceType& selectVoiceType() override { return voiceType_; }
    QDialog& overwriteDialog() override { return overwrite_; }
    void sendVoice() override {}
    void refreshEditors() override {}
    void reportLibraryError(const QString& text) override
    {
        std::cerr << "library_bench: " << text.toStdString() << '\n';
        std::exit(1);
    }

private:
    TSelectVoiceType voiceType_;
    QDialog overwrite_;
};

// Median and worst of a set of times.
struct Spread {
    double median = 0;
    double worst = 0;
};

Spread spread(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// What a key press or a click in the browser costs, from the event to the
// list painted again.
struct BrowserTimes {
    Spread narrowing;   // a letter typed into the search box
    Spread widening;    // a letter taken away, some left
    Spread full;        // the last letter taken away: the whole list again
    Spread tick;        // a category box ticked
    Spread untick;      // and unticked
    double byName = 0;  // the order switched to by name, the first time
    double firstKey = 0;     // the first letter typed just after the library was read
    double firstKeyCpu = 0;  // of which the window thread's own processor time
    double keyCpuWorst = 0;  // the window thread's processor time, the worst key press or click
    double firstClick = 0;   // the first click into the search box (makes its clear button)
};

double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A browser on the library, listed and shown.
struct ShownBrowser {
    VoiceParameters voice{};
    VoiceData data{voice};
    BenchHost host;
    LibraryBrowser browser;

    explicit ShownBrowser(VoiceLibrary& library) : browser(library, data, host)
    {
        browser.resize(420, 640);
        browser.setUp();
        browser.show();
        if (!QTest::qWaitForWindowExposed(&browser)) {
            std::cerr << "library_bench: the browser was not shown\n";
            std::exit(1);
        }
    }
};

// The longest time the event loop goes without turning (seen by a timer
// every 2 ms) while `work` runs, from when `begin` is called.
struct Pauses {
    QTimer beat;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    double longest = 0;

    Pauses()
    {
        QObject::connect(&beat, &QTimer::timeout, [this] {
            const auto now = std::chrono::steady_clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        });
        beat.start(2);
    }
    void begin()
    {
        last = std::chrono::steady_clock::now();
        longest = 0;
    }
};

// Imports the bank through the browser: the longest pause of the window's
// event loop once the categories are given, and the whole import's time.
std::pair<double, double> importThroughBrowser(VoiceLibrary& library, const std::string& bank)
{
    ShownBrowser shown(library);
    QApplication::processEvents();
    Pauses pauses;
    shown.host.answered = [&] { pauses.begin(); };
    const double whole = milliseconds([&] { shown.browser.importFiles({QString::fromStdString(bank)}); });
    return {pauses.longest, whole};
}

// The baseline: the same pause over `ms` milliseconds with one thread beside
// the event loop busy all the time, as an import's is.
double pauseBesideABusyThread(int ms)
{
    Pauses pauses;
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        std::uint64_t x = 1;
        while (!stop.load(std::memory_order_relaxed))
            x = x * 6364136223846793005ull + 1442695040888963407ull;
        if (x == 0)
            std::cerr << "";
    });
    QTimer::singleShot(0, [&] { pauses.begin(); });
    QTest::qWait(ms);
    stop = true;
    busy.join();
    return pauses.longest;
}

BrowserTimes timeBrowser(VoiceLibrary& library, const char* word)
{
    ShownBrowser shown(library);
    LibraryBrowser& browser = shown.browser;
    auto* search = browser.findChild<QLineEdit*>(QStringLiteral("tfSearch"));
    auto* box = browser.findChild<QCheckBox*>(QStringLiteral("cbStrings"));
    double cpu = 0, cpuWorst = 0;
    const auto timed = [&](const std::function<void()>& act) {
        const double cpuBefore = threadCpuMs();
        const double ms = milliseconds([&] {
            act();
            QApplication::processEvents();   // the list's layout waits for the event loop
            QApplication::processEvents();
            browser.repaint();
        });
        cpu = threadCpuMs() - cpuBefore;
        cpuWorst = std::max(cpuWorst, cpu);
        return ms;
    };
    const double firstClick = timed([&] { QTest::mouseClick(search, Qt::LeftButton); });
    search->setFocus();
    std::vector<double> narrowing, widening, full, tick, untick;
    double firstKey = 0, firstKeyCpu = 0;
    const int letters = static_cast<int>(std::string(word).size());
    for (int run = 0; run < kRuns; ++run) {
        for (int i = 0; i < letters; ++i) {
            narrowing.push_back(timed([&] { QTest::keyClick(search, word[i]); }));
            if (run == 0 && i == 0) {
                firstKey = narrowing.back();
                firstKeyCpu = cpu;
            }
        }
        for (int i = 0; i < letters; ++i)
            (i + 1 < letters ? widening : full).push_back(timed([&] { QTest::keyClick(search, Qt::Key_Backspace); }));
        tick.push_back(timed([&] { box->click(); }));
        untick.push_back(timed([&] { box->click(); }));
    }
    auto* order = browser.findChild<QComboBox*>(QStringLiteral("cbSort"));
    const double byName = timed([&] { order->setCurrentIndex(1); });
    return {spread(narrowing), spread(widening), spread(full), spread(tick), spread(untick), byName,
            firstKey, firstKeyCpu, cpuWorst, firstClick};
}

// A change made from the list's context menu (or "Modify voice"): the
// window's longest pause from the last answer given to the change listed,
// and that whole time.
struct ChangeTimes {
    double pause = 0;
    double whole = 0;
};

// The longest pause of the window and the time until the list shows what
// `act` started, `done` telling when it does.
ChangeTimes timeWindow(const std::function<void(Pauses&)>& act, const std::function<bool()>& done)
{
    Pauses pauses;
    QApplication::processEvents();
    pauses.begin();
    const auto start = std::chrono::steady_clock::now();
    act(pauses);
    while (!done())
        QTest::qWait(1);
    const double whole =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    QApplication::processEvents();
    return {pauses.longest, whole};
}

struct WindowChanges {
    ChangeTimes rename, categories, modify, remove, add;
    ChangeTimes reread;  // the library read again (another program removed a voice), listed by name
    ChangeTimes picked;  // many voices picked, checked against the file, then the question answered No
    ChangeTimes exported;  // voices exported, from the folder chosen to the last file written
};

// Voices picked for the check, and exported.
constexpr int kPicked = 100000;
constexpr int kExported = 1000;

WindowChanges timeChanges(VoiceLibrary& library)
{
    ShownBrowser shown(library);
    LibraryBrowser& browser = shown.browser;
    auto* list = browser.findChild<QListView*>(QStringLiteral("dbListBox"));
    const auto pick = [&](int row) {
        list->setFocus();
        list->setCurrentIndex(list->model()->index(row, 0));
    };
    const auto command = [&](const char* name, Pauses& pauses) {
        shown.host.answered = [&] { pauses.begin(); };
        browser.findChild<QAction*>(QString::fromLatin1(name))->trigger();
        shown.host.answered = nullptr;
    };
    const auto nameOf = [&](int row) { return list->model()->index(row, 0).data().toString().trimmed(); };
    WindowChanges times;
    const int rows = browser.rowCount();
    pick(rows / 2);
    times.rename = timeWindow([&](Pauses& pauses) { command("RenameVoice", pauses); },
                              [&] { return nameOf(rows / 2) == QStringLiteral("Renamed"); });
    times.categories = timeWindow([&](Pauses& pauses) { command("ChangeCategories", pauses); }, [] { return true; });
    times.modify = timeWindow(
        [&](Pauses& pauses) {
            shown.host.modifying = true;
            shown.host.answered = [&] { pauses.begin(); };
            browser.ModifyVoiceClick();
            shown.host.answered = nullptr;
            shown.host.modifying = false;
        },
        [&, loaded = nameOf(0)] { return nameOf(rows / 2) == loaded; });  // the voice loaded at start
    pick(rows / 2);
    times.remove = timeWindow([&](Pauses& pauses) { command("DeleteVoices", pauses); },
                              [&] { return browser.rowCount() == rows - 1; });
    times.add = timeWindow(
        [&](Pauses& pauses) {
            shown.host.answered = [&] { pauses.begin(); };
            browser.Addvoicetodatabase1Click();
            shown.host.answered = nullptr;
        },
        [&] { return browser.rowCount() == rows; });
    // By name, then another program removes a voice: the next look at the
    // library reads it whole.
    browser.findChild<QComboBox*>(QStringLiteral("cbSort"))->setCurrentIndex(1);
    const auto byName = [&] { return nameOf(0) <= nameOf(1) && nameOf(1) <= nameOf(2); };
    while (!byName())
        QTest::qWait(1);
    check(VoiceLibrary(library.path()).removeRecords({0}));
    times.reread = timeWindow([&](Pauses&) { browser.fillList(); },
                              [&] { return browser.rowCount() == rows - 1 && byName(); });
    // Rows together in the order by name: voices from all over the library.
    const auto selectRows = [&](int count) {
        const int first = std::max(0, browser.rowCount() / 2 - count / 2);
        const int last = std::min(browser.rowCount(), first + count) - 1;
        list->setFocus();
        list->setCurrentIndex(list->model()->index(first, 0));
        list->selectionModel()->select(QItemSelection(list->model()->index(first, 0), list->model()->index(last, 0)),
                                       QItemSelectionModel::ClearAndSelect);
    };
    selectRows(kPicked);
    shown.host.refuse = true;
    // From the command given: the check comes before the question.
    times.picked = timeWindow([&](Pauses&) { browser.findChild<QAction*>(QStringLiteral("DeleteVoices"))->trigger(); },
                              [] { return true; });
    shown.host.refuse = false;
    selectRows(kExported);
    const fs::path folder = fs::path(library.path()).parent_path()
                            / ("export-" + std::to_string(browser.rowCount()));
    fs::create_directories(folder);
    shown.host.exportFolder = QString::fromStdString(folder.string());
    times.exported = timeWindow([&](Pauses& pauses) { command("ExportVoices", pauses); }, [] { return true; });
    const auto files = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    if (files != std::min(kExported, browser.rowCount())) {
        std::cerr << "library_bench: " << files << " voice files were exported\n";
        std::exit(1);
    }
    fs::remove_all(folder);
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int total = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (total <= 0) {
        std::cerr << "usage: library_bench [RECORDS]\n";
        return 2;
    }
    const fs::path dir = fs::temp_directory_path() / ("morvane-library-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "SOUNDS.SYL").string();
    VoiceLibrary library(path);
    const std::uint32_t stringsPad = categoryBit(categoryIndex("Strings")) | categoryBit(categoryIndex("Pad"));

    // Voices of a few shapes, each record with a name of random letters and
    // two or three random categories; added in blocks, flushed once.
    std::vector<VoiceParameters> shapes;
    for (unsigned seed = 1; seed <= 16; ++seed)
        shapes.push_back(test::RandomVoice(seed).make());
    // LIBRARY_BENCH_KEEP=FILE keeps the library built there for the next run.
    const QString keep = qEnvironmentVariable("LIBRARY_BENCH_KEEP");
    const double buildTime = milliseconds([&] {
        std::error_code error;
        if (!keep.isEmpty() && VoiceLibrary(keep.toStdString()).recordCount() == total) {
            fs::copy_file(keep.toStdString(), path, error);
            return;
        }
        buildLibrary(library, shapes, total);
        if (!keep.isEmpty())
            fs::copy_file(path, keep.toStdString(), fs::copy_options::overwrite_existing, error);
    });
    if (library.recordCount() != total) {
        std::cerr << "library_bench: the library holds " << library.recordCount() << " records\n";
        return 1;
    }

    std::size_t sink = 0;
    const double plainRead = median([&] {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::vector<char> block(1 << 20);
        std::size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            sink += static_cast<unsigned char>(block[got - 1]);
        std::fclose(file);
    });
    std::vector<RecordSummary> records;
    const double scan = median([&] { check(library.scanRecords(records)); });
    std::size_t allRows = 0, filteredRows = 0;
    const double scanAll = median([&] {
        check(library.scanRecords(records));
        allRows = rowsFor(records, 0).size();
    });
    const double scanFiltered = median([&] {
        check(library.scanRecords(records));
        filteredRows = rowsFor(records, stringsPad).size();
    });
    const double refilter = median([&] { sink += rowsFor(records, stringsPad).size(); });
    // One seek and read per field, as a list fill through recordCategories
    // and recordName does.
    const double perField = median([&] {
        check(library.openLibrary());
        for (int n = 0; n < total; ++n)
            if (matchesFilter(library.recordCategories(n), 0))
                sink += static_cast<unsigned char>(library.recordName(n)[0]);
        library.closeLibrary();
    });

    const double megabytes = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
    std::printf("Library of %d records, %.1f MB (median of %d runs, file in the page cache)\n\n", total, megabytes,
                kRuns);
    std::printf("  %-52s %9s %9s\n", "", "ms", "x read");
    const auto row = [&](const char* what, double ms) {
        std::printf("  %-52s %9.1f %9.2f\n", what, ms, ms / plainRead);
    };
    row("plain read of the file, start to end", plainRead);
    row("scanRecords (names and masks, one forward pass)", scan);
    row("scanRecords + filter, no filter", scanAll);
    row("scanRecords + filter, Strings+Pad", scanFiltered);
    row("filter of scanned records only, Strings+Pad", refilter);
    row("seek + read per field (recordCategories, recordName)", perField);
    std::printf("\n  rows listed: %zu with no filter, %zu with Strings+Pad\n", allRows, filteredRows);
    std::printf("  building the library (%d records, appended in blocks): %.0f ms\n", total, buildTime);

    // Typing "bra" into the search box with Strings+Pad ticked: three filters.
    const char* presses[] = {"b", "br", "bra"};
    const double keysFromMemory = median([&] {
        for (const char* part : presses)
            sink += filterRecords(records, stringsPad, part).size();
    }) / 3;
    const double keysRereading = median([&] {
        for (const char* part : presses) {
            check(library.scanRecords(records));
            sink += filterRecords(records, stringsPad, part).size();
        }
    }) / 3;
    const double keysNoCategories = median([&] {
        for (const char* part : presses)
            sink += filterRecords(records, 0, part).size();
    }) / 3;
    std::printf("\n  Name search, per key press (\"b\", \"br\", \"bra\")        %9s\n", "ms");
    std::printf("  %-52s %9.2f\n", "from the names and masks in memory, Strings+Pad", keysFromMemory);
    std::printf("  %-52s %9.2f\n", "from memory, no category", keysNoCategories);
    std::printf("  %-52s %9.2f\n", "reading the file again, then filtering", keysRereading);
    std::printf("  %-52s %9.1fx\n", "speed-up, Strings+Pad", keysRereading / keysFromMemory);
    std::printf("  %-52s %9.1fx\n", "speed-up, no category", keysRereading / keysNoCategories);

    // The browser on this library and on one of 1,000 voices built the same
    // way: a key press or a click should cost the same on both.
    constexpr const char* kWord = "bra";
    const BrowserTimes bigBrowser = timeBrowser(library, kWord);
    VoiceLibrary thousand((dir / "THOUSAND.SYL").string());
    buildLibrary(thousand, shapes, 1000);
    const BrowserTimes smallBrowser = timeBrowser(thousand, kWord);
    std::printf("\n  The browser window, from the event to the list painted again (\"%s\" typed, then erased)\n",
                kWord);
    std::printf("  %-44s %8s %8s %8s %8s %7s\n", "", "median", "worst", "1k med.", "1k worst", "x 1k");
    const auto uiRow = [](const char* what, const Spread& big, const Spread& small) {
        std::printf("  %-44s %8.2f %8.2f %8.2f %8.2f %7.1f\n", what, big.median, big.worst, small.median,
                    small.worst, big.median / small.median);
    };
    uiRow("key press narrowing the list (ms)", bigBrowser.narrowing, smallBrowser.narrowing);
    uiRow("key press widening it (ms)", bigBrowser.widening, smallBrowser.widening);
    uiRow("key press back to the whole list (ms)", bigBrowser.full, smallBrowser.full);
    uiRow("category box ticked (ms)", bigBrowser.tick, smallBrowser.tick);
    uiRow("category box unticked (ms)", bigBrowser.untick, smallBrowser.untick);
    std::printf("  %-44s %8.2f %8s %8.2f %8s %7.1f\n", "order switched to by name, first time (ms)", bigBrowser.byName, "",
                smallBrowser.byName, "", bigBrowser.byName / smallBrowser.byName);
    std::printf("  %-44s %8.2f %8s %8.2f %8s %7.1f\n", "first letter just after the library was read", bigBrowser.firstKey,
                "", smallBrowser.firstKey, "", bigBrowser.firstKey / smallBrowser.firstKey);
    std::printf("  %-44s %8.2f %8s %8.2f\n", "  of which the window thread's own (ms)", bigBrowser.firstKeyCpu, "",
                smallBrowser.firstKeyCpu);
    std::printf("  %-44s %8s %8.2f %8s %8.2f\n", "window thread's own time, worst (ms)", "", bigBrowser.keyCpuWorst, "",
                smallBrowser.keyCpuWorst);
    std::printf("  %-44s %8.2f %8s %8.2f %8s %7.1f\n", "first click into the search box (ms)", bigBrowser.firstClick,
                "", smallBrowser.firstClick, "", bigBrowser.firstClick / smallBrowser.firstClick);

    // Changes from the window, on both libraries: the window's longest
    // pause once the last question is answered, and the time until the list
    // shows the change.
    const WindowChanges bigChanges = timeChanges(library);
    const WindowChanges smallChanges = timeChanges(thousand);
    std::printf("\n  Changes from the window: its longest pause / until listed (ms)\n");
    std::printf("  %-44s %8s %8s %8s %8s %7s\n", "", "pause", "whole", "1k pause", "1k whole", "x 1k");
    const auto changeRow = [](const char* what, const ChangeTimes& big, const ChangeTimes& small) {
        std::printf("  %-44s %8.1f %8.1f %8.1f %8.1f %7.1f\n", what, big.pause, big.whole, small.pause, small.whole,
                    big.pause / small.pause);
    };
    changeRow("rename a voice", bigChanges.rename, smallChanges.rename);
    changeRow("change its categories", bigChanges.categories, smallChanges.categories);
    changeRow("modify (replace) it", bigChanges.modify, smallChanges.modify);
    changeRow("delete a voice", bigChanges.remove, smallChanges.remove);
    changeRow("add a voice", bigChanges.add, smallChanges.add);
    changeRow("read again whole, listed by name", bigChanges.reread, smallChanges.reread);
    changeRow("100,000 picked (1k: all), checked, No", bigChanges.picked, smallChanges.picked);
    changeRow("export 1,000 voices (1k: all)", bigChanges.exported, smallChanges.exported);
    if (qEnvironmentVariableIsSet("LIBRARY_BENCH_WINDOW_ONLY")) {
        fs::remove_all(dir);
        return 0;
    }

    const std::string bank = argc > 2 ? argv[2] : MORVANE_BANK;
    const std::string big = path;
    const auto import = [&](const std::function<ImportReport()>& work) {
        ImportReport report;
        const double ms = milliseconds([&] { report = work(); });
        if (report.refused) {
            std::cerr << "library_bench: " << report.summary(big) << '\n';
            std::exit(1);
        }
        return ms;
    };
    // The first import into a library reads every voice once; the next ones
    // look only at what was added since.
    const double intoBig = import([&] { return importVoiceFiles(library, {bank}, stringsPad, false); });
    const double bigAgain = import([&] { return importVoiceFiles(library, {bank}, stringsPad, false); });
    std::vector<SourceVoice> fresh64;
    for (unsigned seed = 1000; seed < 1064; ++seed)
        fresh64.push_back({0, test::RandomVoice(seed).make()});
    const double bigNew = import([&] { return importVoices(library, fresh64, stringsPad); });
    // Through the window: with the hashes kept, and the first time (none kept).
    const auto [keptPause, keptWhole] = importThroughBrowser(library, bank);
    fs::remove(DuplicateIndex::hashesPath(library.targetPath()));
    const auto [firstPause, firstWhole] = importThroughBrowser(library, bank);
    const double busyPause = pauseBesideABusyThread(static_cast<int>(std::min(firstWhole, 5000.0)));
    fs::remove(big);

    constexpr int kImports = 1000;
    const double memoryBefore = peakMegabytes();
    const std::string small = (dir / "EMPTY.SYL").string();
    int added = 0;
    const double fresh = milliseconds([&] {
        for (int i = 0; i < kImports; ++i) {
            fs::remove(small);
            VoiceLibrary empty(small);
            added += importVoiceFiles(empty, {bank}, stringsPad, false).added;
        }
    });
    const double memoryFresh = peakMegabytes();
    fs::remove(small);
    VoiceLibrary same(small);
    int skipped = 0;
    const double again = milliseconds([&] {
        for (int i = 0; i < kImports; ++i)
            skipped += importVoiceFiles(same, {bank}, stringsPad, false).exactDuplicates;
    });
    std::printf("\n  Importing the 64-voice bank\n");
    std::printf("  %-52s %9.1f ms\n", "into the library above, first import (64 added)", intoBig);
    std::printf("  %-52s %9.1f ms  %6.1fx an import into an empty library\n", "the same bank again (64 skipped)",
                bigAgain, bigAgain / (fresh / kImports));
    std::printf("  %-52s %9.1f ms  %6.1fx an import into an empty library\n", "64 new voices (64 added)", bigNew,
                bigNew / (fresh / kImports));
    std::printf("  %-52s %9.1f ms, the window's longest pause %.1f ms\n", "through the browser window, hashes kept",
                keptWhole, keptPause);
    std::printf("  %-52s %9.1f ms, the window's longest pause %.1f ms\n", "through the browser window, first import",
                firstWhole, firstPause);
    std::printf("  %-52s %9s     the window's longest pause %.1f ms\n", "(baseline: a thread beside it busy, no import)",
                "", busyPause);
    std::printf("  %-52s %9.2f ms each, %.0f ms in all (%d voices added)\n",
                "1,000 times, each into a new empty library", fresh / kImports, fresh, added);
    std::printf("  %-52s %9.2f ms each, %.0f ms in all (%d skipped)\n",
                "1,000 times into the same library", again / kImports, again, skipped);
    std::printf("  peak resident memory: %.1f MB before the imports, %.1f MB after them (%.1f MB at the end)\n",
                memoryBefore, memoryFresh, peakMegabytes());

    fs::remove_all(dir);
    return sink == 0xFFFFFFFF ? 3 : 0;   // keeps the reads from being optimised away
}
