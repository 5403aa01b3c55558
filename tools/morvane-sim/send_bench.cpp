// A one-second drag of an editor control through the program's own send path
// against an instrument behind a MIDI cable (a running morvane-sim
// --wire-rate 31250 --log), once with sends paced to the cable and once sent
// at once. For each: the dumps the program handed to the MIDI system, the
// dumps the instrument received, how many of them were still to arrive at
// the last change (how far behind the instrument was), the delay from the
// last change until the instrument held the final voice, and whether that
// voice equals the editor's, byte for byte.
//
//   morvane-send-bench SIM_NAME SIM_LOG [CHANGES [PER_SECOND [editor|morph]]]
//
// SIM_LOG is the file the simulator's output goes to; the default drag is 60
// changes at 60 a second of the voice common editor's attack. With `morph`
// the point of the morph pad moves instead (over four voices, across the
// square and back), and the final voice is the point's. benchmark.sh runs it.
#include "AppServices.h"
#include "AppShell.h"
#include "ModalHost.h"
#include "MidiPort.h"
#include "MorphPad.h"
#include "TMainForm.h"
#include "VoiceTransforms.h"
#include "MorvaneApplication.h"
#include "SystemMidiBackend.h"
#include "TVoiceCommonEdit.h"
#include "UpDown.h"
#include "VoiceData.h"

#include <QAction>
#include <QDialog>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

using namespace morvane;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// The machine's MIDI system, counting the voice dumps handed to it.
class CountingBackend : public MidiBackend {
public:
    explicit CountingBackend(std::unique_ptr<MidiBackend> inner) : inner_(std::move(inner)) {}

    std::vector<std::string> inputNames() override { return inner_->inputNames(); }
    std::vector<std::string> outputNames() override { return inner_->outputNames(); }
    MidiError openInput(int index, SysExHandler handler) override { return inner_->openInput(index, std::move(handler)); }
    MidiError openOutput(int index) override { return inner_->openOutput(index); }
    MidiError send(const std::uint8_t* data, std::size_t size) override
    {
        MidiError error = inner_->send(data, size);
        if (size == kSyDumpSize)
            ++(error ? refused : dumps);
        return error;
    }
    void closeInput() override { inner_->closeInput(); }
    void closeOutput() override { inner_->closeOutput(); }

    std::atomic<int> dumps{0};
    std::atomic<int> refused{0};

private:
    std::unique_ptr<MidiBackend> inner_;
};

int indexOf(const std::vector<std::string>& names, const std::string& name)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<int>(i);
    return -1;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double msOf(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Result {
    int changes = 0;
    double dragMs = 0;
    int sent = 0;
    int refused = 0;
    int received = 0;
    int behind = 0;  // dumps that arrived after the last change
    double delayMs = -1;
    bool same = false;
};

struct Sim {
    std::string name;
    std::string log;
    std::string inputPort() const { return name + "-in:in"; }
    std::string outputPort() const { return name + "-out:out"; }
};

Result drag(MorvaneApplication& app, const Sim& sim, int wireRate, int changes, int perSecond, bool morph)
{
    Result result;
    const std::string client = "morvane-send-bench-" + std::to_string(wireRate);
    int in = -1;
    int out = -1;
    {
        SystemMidiBackend probe(client + "-probe");
        in = indexOf(probe.inputNames(), sim.outputPort());
        out = indexOf(probe.outputNames(), sim.inputPort());
    }
    if (in < 0 || out < 0) {
        std::fprintf(stderr, "morvane-send-bench: no ports of %s found\n", sim.name.c_str());
        std::exit(1);
    }
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store.ini"));
    {
        QSettings settings(store, QSettings::IniFormat);
        settings.setValue("MIDI Channel", "0");
        settings.setValue("In device", QString::number(in));
        settings.setValue("Out device", QString::number(out));
        settings.setValue("Auto send", "1");
        settings.setValue("Wire rate", QString::number(wireRate));
    }
    ModalHost modal;
    modal.setAnswerer([](QDialog& dialog) {
        std::fprintf(stderr, "morvane-send-bench: unexpected dialog \"%s\"\n", dialog.windowTitle().toLocal8Bit().constData());
        dialog.reject();
    });
    CountingBackend* counter = nullptr;
    AppShell shell(app, modal, std::make_unique<QSettings>(store, QSettings::IniFormat));
    shell.setMidiBackendFactory([&] {
        auto backend = std::make_unique<CountingBackend>(std::make_unique<SystemMidiBackend>(client));
        counter = backend.get();
        return backend;
    });
    shell.setLibraryPath(dir.filePath(QStringLiteral("SOUNDS.SYL")).toStdString());
    shell.startUp();
    const AppContext& context = shell.context();
    if (context.midiPort->inputDeviceName(in) != sim.outputPort()
        || context.midiPort->outputDeviceName(out) != sim.inputPort() || !context.midiPort->outputIsOpen()) {
        std::fprintf(stderr, "morvane-send-bench: the simulator's ports moved while starting\n");
        std::exit(1);
    }

    // Vectors that move, so that the instrument's voice decodes to exactly
    // the editor's.
    context.voice->levelVector.abPosition[1] = 40;
    context.voice->detuneVector.cdPosition[1] = 20;
    context.services->refreshEditors();
    std::function<void(int)> change;
    std::function<VoiceDump()> finalVoice = [&] { return encodeDump(*context.voice); };
    TMorphPad* pad = nullptr;
    if (morph) {
        // The current voice and three randomised from it on the corners; the
        // point goes across the square and back along its diagonal.
        context.MainForm->findChild<QAction*>(QStringLiteral("MorphPad1"))->trigger();
        pad = context.MainForm->findChild<TMorphPad*>(QStringLiteral("MorphPad"));
        for (int corner = 0; corner < TMorphPad::kCorners; ++corner) {
            VoiceParameters voice = *context.voice;
            if (corner > 0)
                randomiseVoice(voice, 60, kAllVoiceParts, static_cast<std::uint32_t>(corner));
            pad->setCorner(corner, voice, QStringLiteral("bench"));
        }
        change = [pad, changes](int i) {
            const double t = 2.0 * (i + 1) / changes;
            const double at = t <= 1 ? t : 2 - t + 1.0 / changes;
            pad->square()->setPoint({at, 1 - at});
        };
        finalVoice = [pad] { return encodeDump(*pad->voiceAtPoint()); };
    } else {
        TVoiceCommonEdit& editor = *context.VoiceCommonEdit;
        editor.show();
        UpDown* attack = editor.findChild<UpDown*>(QStringLiteral("udAttack"));
        if (attack == nullptr) {
            std::fprintf(stderr, "morvane-send-bench: the voice common editor has no udAttack\n");
            std::exit(1);
        }
        change = [attack](int) { attack->stepUp(); };
    }
    context.midiPort->finishSending();
    counter->dumps = 0;
    const std::size_t logBefore = readAll(sim.log).size();

    const auto start = Clock::now();
    for (int i = 0; i < changes; ++i) {
        const auto due = start + std::chrono::microseconds(1'000'000LL * i / perSecond);
        while (Clock::now() < due) {
            app.processEvents();
            std::this_thread::sleep_for(500us);
        }
        change(i);
        app.processEvents();
    }
    const auto lastChange = Clock::now();
    result.changes = changes;
    result.dragMs = msOf(lastChange - start);
    const VoiceDump final = finalVoice();

    // The request goes out after every waiting dump, and the simulator takes
    // messages in order: its answer is the voice it ends with.
    context.midiPort->setReplyWait(120s);
    VoiceParameters held{};
    VoiceData heldData(held);
    const bool answered = static_cast<bool>(context.midiPort->requestVoice(0, 0, heldData));
    result.same = answered && encodeDump(held) == final;
    result.sent = counter->dumps;
    result.refused = counter->refused;
    shell.shutDown();

    // "received dump ... at T ms": the last T is when the final voice arrived.
    const std::string log = readAll(sim.log).substr(logBefore);
    double lastArrival = 0;
    const double lastChangeMs = msOf(lastChange.time_since_epoch());
    for (std::size_t at = log.find("received dump"); at != std::string::npos; at = log.find("received dump", at + 1)) {
        ++result.received;
        const std::size_t time = log.find(" at ", at);
        if (time != std::string::npos)
            lastArrival = std::atof(log.c_str() + time + 4);
        if (time != std::string::npos && lastArrival > lastChangeMs)
            ++result.behind;
    }
    result.delayMs = lastArrival - lastChangeMs;
    return result;
}

void print(const char* mode, const Result& r)
{
    std::printf("%-26s %d changes in %.0f ms; dumps sent %d%s, received %d; behind at the last change: %d dumps; "
                "last change to final voice held %.0f ms; final voice equals the editor's: %s\n",
                mode, r.changes, r.dragMs, r.sent, r.refused ? (" (" + std::to_string(r.refused) + " refused)").c_str() : "",
                r.received, r.behind, r.delayMs, r.same ? "yes" : "NO");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "Usage: morvane-send-bench SIM_NAME SIM_LOG [CHANGES [PER_SECOND]]\n");
        return 2;
    }
    const Sim sim{argv[1], argv[2]};
    const int changes = argc > 3 ? std::max(2, std::atoi(argv[3])) : 60;
    const int perSecond = argc > 4 ? std::max(1, std::atoi(argv[4])) : 60;
    const bool morph = argc > 5 && std::string(argv[5]) == "morph";
    if (argc > 5 && !morph && std::string(argv[5]) != "editor") {
        std::fprintf(stderr, "morvane-send-bench: the last argument is editor or morph\n");
        return 2;
    }
    int appArgc = 1;
    MorvaneApplication app(appArgc, argv);
    std::printf("one dump on a 31,250-baud cable: 189.44 ms; instrument: morvane-sim --wire-rate 31250\n");
    const Result paced = drag(app, sim, 31250, changes, perSecond, morph);
    print("pacing on (31,250 baud):", paced);
    const Result atOnce = drag(app, sim, 0, changes, perSecond, morph);
    print("pacing off (at once):", atOnce);
    return paced.same && atOnce.same ? 0 : 1;
}
