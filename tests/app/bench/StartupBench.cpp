// Times the start-up of the main window on a large library, beside one plain
// read of the same file: what start-up holds the window's thread for, when
// the list shows every voice, and a key press and a followed voice after.
//
//   startup_bench [RECORDS]      (default 100000)
//
// Run it from an optimised build without sanitizers, on the offscreen
// platform. Every figure is the median of several runs, file in the page cache.
#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "LibraryBrowser.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "TMainForm.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace morvane;

namespace {

constexpr int kRuns = 7;

double median(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A library of `total` voices with random categories, written in one go.
void buildLibrary(const std::string& path, int total)
{
    std::ofstream out(path, std::ios::binary);
    out.write("SYQVD", 5);
    VoiceParameters voice;
    VoiceData data(voice);
    std::mt19937 rng(7);
    for (int n = 0; n < total; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "V%07d", n % 10000000);
        std::memcpy(voice.common.name, name, sizeof voice.common.name);
        const std::uint32_t mask = rng() & 0xFFFF;
        const unsigned char maskBytes[4] = {static_cast<unsigned char>(mask), static_cast<unsigned char>(mask >> 8), 0, 0};
        out.write(reinterpret_cast<const char*>(maskBytes), 4);
        const VoiceDump dump = data.encodeDump();
        out.write(reinterpret_cast<const char*>(dump.data()), static_cast<std::streamsize>(dump.size()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int total = argc > 1 ? std::atoi(argv[1]) : 100000;
    int appArgc = 1;
    MorvaneApplication app(appArgc, argv);
    QTemporaryDir dir;
    const std::string path = dir.filePath("SOUNDS.SYL").toStdString();
    buildLibrary(path, total);

    std::vector<char> buffer(596 * 1024);  // the block the list reads in
    const auto readWhole = [&] {
        const int in = ::open(path.c_str(), O_RDONLY);
        while (::read(in, buffer.data(), buffer.size()) > 0) {
        }
        ::close(in);
    };
    median(readWhole);  // lets the freshly written file settle in the page cache

    ModalHost modal;
    double startUp = 0;
    double listed = 0;
    double typeKey = 0;
    double followVoice = 0;
    int rows = 0;
    {
        const QString store = dir.filePath("store.ini");
        QSettings(store, QSettings::IniFormat).setValue("MIDI Channel", "0");
        auto makeShell = [&] {
            auto shell = std::make_unique<AppShell>(app, modal, std::make_unique<QSettings>(store, QSettings::IniFormat));
            shell->setMidiBackendFactory([] {
                return std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"in"}, std::vector<std::string>{"out"});
            });
            shell->setLibraryPath(path);
            return shell;
        };
        // A long library is listed once its reading beside the window is there.
        const auto waitUntilListed = [&](LibraryBrowser& browser) {
            while (browser.rowCount() < total)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        };
        // What start-up holds the window's thread for, and when the list
        // shows every voice.
        std::vector<double> startUps;
        std::vector<double> listings;
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer timer;
            timer.start();
            auto shell = makeShell();
            shell->startUp();
            startUps.push_back(timer.nsecsElapsed() / 1e6);
            LibraryBrowser& browser = shell->context().MainForm->browser();
            waitUntilListed(browser);
            listings.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(startUps.begin(), startUps.end());
        std::sort(listings.begin(), listings.end());
        startUp = startUps[startUps.size() / 2];
        listed = listings[listings.size() / 2];

        auto shell = makeShell();
        shell->startUp();
        LibraryBrowser& browser = shell->context().MainForm->browser();
        waitUntilListed(browser);
        // Any of two categories, by name: the slowest way to list.
        browser.findChild<QAbstractButton*>("cbStrings")->click();
        browser.findChild<QAbstractButton*>("cbPad")->click();
        browser.findChild<QAbstractButton*>("rbAny")->click();
        browser.setSortByName(true);
        while (!browser.findChild<LibraryListModel*>()->listedByName())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        rows = browser.rowCount();
        // A key typed in the search box, by name: the list made again.
        auto* search = browser.findChild<QLineEdit*>("tfSearch");
        typeKey = median([&] {
            search->setText(QStringLiteral("V00"));
            search->setText(QStringLiteral("V0"));
        }) / 2;
        // The list following a voice loaded from elsewhere: its name's records.
        followVoice = median([&] { browser.showLoadedRecord(browser.recordsNamed("V0000042").front()); });
    }

    const double plainRead = median(readWhole);
    std::printf("library: %d records, %.1f MB\n", total, (5.0 + 596.0 * total) / 1e6);
    std::printf("%-50s %9.1f ms\n", "plain read of the file, start to end", plainRead);
    std::printf("%-50s %9.1f ms\n", "start-up, the window's thread (no event loop)", startUp);
    std::printf("%-50s %9.1f ms  (%.2fx the plain read)\n", "start-up until every voice is listed", listed,
                listed / plainRead);
    std::printf("%-50s %9.1f ms  (%d rows)\n", "a key in the search box, Strings or Pad, by name", typeKey, rows);
    std::printf("%-50s %9.1f ms\n", "the list follows a loaded voice", followVoice);
    return 0;
}
