// Times start-up to the idle event loop, as a user starts the program: a new
// process each run, the real MIDI system (JACK when a server runs), the
// windows on the screen of the platform in use. Beside it, in the same run,
// the floor: a process with an empty main window and one RtMidi JACK client.
//
//   startup_idle_bench [RUNS] [--idle SECONDS] [--pause MS] [--steps]
//       (default 15 runs; set QT_QPA_PLATFORM and JACK_DEFAULT_SERVER as for
//       the program). With --idle, each process then stays idle that long and
//       its processor time over the last SECONDS - 1 of them is reported too,
//       and that of the empty window with its RtMidi input wired to the
//       instrument, and with RtMidi's input and output wired as the
//       program's ports are.
//       With --pause, the machine is left idle that long before each start,
//       as a user starts the program on a quiet desktop (back to back, each
//       start also waits for the JACK server to finish with the client the
//       last one closed, which hides part of the program's own start-up).
//       With --steps, the times of the steps of the program's last start-up.
//
// The program finds its instrument (a morvane-sim) on the ports it was left
// on, as a returning user's does. Each run spawns this program again, in "program" or "baseline" mode; the
// child prints how long after its spawn its event loop first ran idle, and
// the parent reports the medians and their ratio.
#include "AppShell.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "SimProcess.h"

#include <QApplication>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kSpawnedAt = "MORVANE_IDLE_BENCH_SPAWNED_AT";
constexpr const char* kStayIdle = "MORVANE_IDLE_BENCH_STAY";   // seconds

// Milliseconds since the parent spawned this process.
double sinceSpawn()
{
    const char* at = std::getenv(kSpawnedAt);
    const long long spawned = at ? std::atoll(at) : 0;
    const long long now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
    return static_cast<double>(now - spawned) / 1000.0;
}

// Once the event loop has nothing left to do: print the time, and end at
// once or after staying idle as long as asked.
// `shownAt` is when the window was first on the screen with nothing left to
// do, a wait for the instrument aside; negative when that is now.
void reportWhenIdle(QCoreApplication& app, const double& shownAt)
{
    QTimer::singleShot(0, &app, [&app, &shownAt] {
        const double now = sinceSpawn();
        std::printf("%.1f %.1f\n", now, shownAt < 0 ? now : shownAt);
        std::fflush(stdout);
        const char* stay = std::getenv(kStayIdle);
        QTimer::singleShot(stay ? std::atoi(stay) * 1000 : 0, &app, &QCoreApplication::quit);
    });
}

// The processor time `pid` has used, all its threads, in nanoseconds (the
// scheduler's own count: clock ticks are too coarse for an idle process).
long long processorNanoseconds(pid_t pid)
{
    long long running = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long thread = 0;
        if (schedstat >> thread)
            running += thread;
    }
    return running;
}

struct Run {
    double idleAfterMs = -1;
    double shownAfterMs = -1;    // on the screen and idle, the instrument's wait aside
    double idleCpuPercent = 0;   // with --idle
};

// The RtMidi port whose name begins with `name`; -1 when there is none.
int portNamed(RtMidi& midi, const std::string& name)
{
    for (unsigned i = 0; i < midi.getPortCount(); ++i)
        if (midi.getPortName(i).rfind(name, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

// The empty window with one RtMidi JACK input. Wired::Input: that input
// connected to the instrument's output (the one client wired); Wired::Both:
// also an output of RtMidi's connected to the instrument's input, as the
// program's ports are (the floor of a program that talks to the instrument).
enum class Wired { None, Input, Both };
int runBaseline(int argc, char** argv, Wired wired)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(640, 480);
    window.show();
    RtMidiIn input(RtMidi::UNIX_JACK, "baseline");
    std::unique_ptr<RtMidiOut> output;
    if (wired != Wired::None) {
        const QSettings store(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/store.ini"), QSettings::IniFormat);
        const int in = portNamed(input, store.value("In device name").toString().toStdString());
        if (in < 0)
            return 1;
        input.openPort(static_cast<unsigned>(in), "in");
        if (wired == Wired::Both) {
            output = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "baseline-out");
            const int out = portNamed(*output, store.value("Out device name").toString().toStdString());
            if (out < 0)
                return 1;
            output->openPort(static_cast<unsigned>(out), "out");
        }
    } else {
        input.openVirtualPort("in");
    }
    const double shownAt = -1;
    reportWhenIdle(app, shownAt);
    return app.exec();
}

int runProgram(const char* settingsFolder)
{
    // As the program's main does.
    auto midiSystem = morvane::AppShell::openMidiSystem();
    int appArgc = 1;
    char name[] = "morvane";
    char* programOnly[] = {name, nullptr};
    morvane::MorvaneApplication app(appArgc, programOnly);
    morvane::ModalHost modal;
    const QString folder = QString::fromLocal8Bit(settingsFolder);
    auto store = std::make_unique<QSettings>(folder + "/store.ini", QSettings::IniFormat);
    morvane::AppShell shell(app, modal, std::move(store));
    shell.setMidiSystem(std::move(midiSystem));
    shell.setLibraryPath((folder + "/SOUNDS.SYL").toStdString());
    // The voice is fetched from the instrument with the main window on the
    // screen; the window paints while the program waits for the answer.
    double shownAt = -1;
    // Each step of start-up and when it ended, for --steps.
    std::FILE* steps = std::fopen((std::string(settingsFolder) + "/steps.txt").c_str(), "w");
    shell.setStepObserver([&app, &shownAt, steps](const QString& step) {
        if (steps != nullptr) {
            std::fprintf(steps, "%7.1f  %s\n", sinceSpawn(), qPrintable(step));
            std::fflush(steps);
        }
        if (step == QLatin1String("fetch voice"))
            QTimer::singleShot(0, &app, [&shownAt] { shownAt = sinceSpawn(); });
        if (step == QLatin1String("event loop"))
            reportWhenIdle(app, shownAt);
    });
    const int status = shell.run();
    if (steps != nullptr)
        std::fclose(steps);
    return status;
}

// Spawns this program in `mode`; its figures, or a negative time.
Run spawnOnce(const char* self, const char* mode, const std::string& folder, int staySeconds, int pauseMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    const long long now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
    const std::string spawnedAt = std::string(kSpawnedAt) + "=" + std::to_string(now);
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, kSpawnedAt, std::strlen(kSpawnedAt)) != 0)
            env.push_back(*e);
    env.push_back(const_cast<char*>(spawnedAt.c_str()));
    const std::string stay = std::string(kStayIdle) + "=" + std::to_string(staySeconds);
    if (staySeconds > 0)
        env.push_back(const_cast<char*>(stay.c_str()));
    env.push_back(nullptr);
    Run run;
    int out[2];
    if (::pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(mode), const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[64];
    for (ssize_t n; text.find('\n') == std::string::npos && (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    if (spawned == 0 && staySeconds > 1 && !text.empty()) {
        // One second to settle, then the rest of the stay measured.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long long before = processorNanoseconds(pid);
        const auto from = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(staySeconds - 1) - std::chrono::milliseconds(200));
        const long long after = processorNanoseconds(pid);
        const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
        run.idleCpuPercent = 100.0 * static_cast<double>(after - before) / 1e9 / seconds;
    }
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    }
    ::close(out[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || text.empty())
        return run;
    std::istringstream figures(text);
    figures >> run.idleAfterMs >> run.shownAfterMs;
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "program") == 0)
        return runProgram(argv[2]);
    if (argc > 2 && std::strcmp(argv[1], "baseline") == 0)
        return runBaseline(argc, argv, Wired::None);
    if (argc > 2 && std::strcmp(argv[1], "wired-input") == 0)
        return runBaseline(argc, argv, Wired::Input);
    if (argc > 2 && std::strcmp(argv[1], "wired") == 0)
        return runBaseline(argc, argv, Wired::Both);

    int runs = 15;
    int staySeconds = 0;
    int pauseMs = 0;
    bool showSteps = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--steps") == 0)
            showSteps = true;
        else if (std::strcmp(argv[i], "--idle") == 0 && i + 1 < argc)
            staySeconds = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--pause") == 0 && i + 1 < argc)
            pauseMs = std::max(0, std::atoi(argv[++i]));
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    morvane::test::SimProcess sim;
    if (!sim.started()) {
        std::fprintf(stderr, "startup_idle_bench: morvane-sim did not start (is a JACK server running?)\n");
        return 1;
    }
    {
        // Settings as a returning user has them: no first-run dialog, the
        // instrument's ports chosen.
        QSettings store(dir.filePath("store.ini"), QSettings::IniFormat);
        store.setValue("MIDI Channel", "0");
        store.setValue("In device name", QString::fromStdString(sim.outputPort()));
        store.setValue("Out device name", QString::fromStdString(sim.inputPort()));
    }

    std::vector<double> program, programShown, baseline, programCpu, baselineCpu, wiredInputCpu, wiredCpu;
    spawnOnce(argv[0], "program", folder, 0, pauseMs);   // the libraries into the page cache
    spawnOnce(argv[0], "baseline", folder, 0, pauseMs);
    for (int i = 0; i < runs; ++i) {
        const Run p = spawnOnce(argv[0], "program", folder, staySeconds, pauseMs);
        const Run b = spawnOnce(argv[0], "baseline", folder, staySeconds, pauseMs);
        if (p.idleAfterMs < 0 || b.idleAfterMs < 0) {
            std::fprintf(stderr, "startup_idle_bench: a run failed (is there a display platform and a JACK server?)\n");
            return 1;
        }
        program.push_back(p.idleAfterMs);
        baseline.push_back(b.idleAfterMs);
        programShown.push_back(p.shownAfterMs);
        programCpu.push_back(p.idleCpuPercent);
        baselineCpu.push_back(b.idleCpuPercent);
        if (staySeconds > 0) {
            const Run w = spawnOnce(argv[0], "wired", folder, staySeconds, pauseMs);
            if (w.idleAfterMs < 0) {
                std::fprintf(stderr, "startup_idle_bench: the baseline wired to the instrument did not start\n");
                return 1;
            }
            wiredCpu.push_back(w.idleCpuPercent);
            const Run wi = spawnOnce(argv[0], "wired-input", folder, staySeconds, pauseMs);
            if (wi.idleAfterMs < 0) {
                std::fprintf(stderr, "startup_idle_bench: the baseline wired to the instrument did not start\n");
                return 1;
            }
            wiredInputCpu.push_back(wi.idleCpuPercent);
        }
    }
    const double p = median(program), b = median(baseline);
    std::printf("start-up to the idle event loop, median of %d runs\n", runs);
    std::printf("  the program                                 %7.1f ms  (%.1f-%.1f)\n", p,
                *std::min_element(program.begin(), program.end()), *std::max_element(program.begin(), program.end()));
    std::printf("  empty window and one RtMidi JACK client     %7.1f ms  (%.1f-%.1f)\n", b,
                *std::min_element(baseline.begin(), baseline.end()), *std::max_element(baseline.begin(), baseline.end()));
    std::printf("  ratio                                       %7.2fx   (goal at most 1.30x)\n", p / b);
    const double shown = median(programShown);
    std::printf("the program's window on the screen and idle, the wait for the instrument's voice aside\n");
    std::printf("  the program                                 %7.1f ms  (%.2fx)\n", shown, shown / b);
    if (staySeconds > 0) {
        std::printf("processor time while idle, median over %d s\n", staySeconds - 1);
        std::printf("  the program                                 %7.2f %%\n", median(programCpu));
        std::printf("  empty window and one RtMidi JACK client     %7.2f %%\n", median(baselineCpu));
        std::printf("  the same, its input wired to the instrument %7.2f %%\n", median(wiredInputCpu));
        std::printf("  the same, RtMidi's input and output wired\n"
                    "  to the instrument as the program's are      %7.2f %%\n", median(wiredCpu));
    }
    if (showSteps) {
        std::printf("the steps of the program's last start-up, ms after its spawn\n");
        std::ifstream steps(folder + "/steps.txt");
        for (std::string line; std::getline(steps, line);)
            std::printf("  %s\n", line.c_str());
    }
    return 0;
}
