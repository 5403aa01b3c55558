// Times start-up to the idle event loop, as a user starts the program: a new
// process each run, the real MIDI system (JACK when a server runs), the
// windows on the screen of the platform in use. Beside it, in the same run,
// the floor: a process with an empty main window and one RtMidi JACK client.
//
//   startup_idle_bench [RUNS]     (default 15; set QT_QPA_PLATFORM and
//                                  JACK_DEFAULT_SERVER as for the program)
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
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kSpawnedAt = "MORVANE_IDLE_BENCH_SPAWNED_AT";

// Milliseconds since the parent spawned this process.
double sinceSpawn()
{
    const char* at = std::getenv(kSpawnedAt);
    const long long spawned = at ? std::atoll(at) : 0;
    const long long now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
    return static_cast<double>(now - spawned) / 1000.0;
}

// Once the event loop has nothing left to do: print the time and end.
void reportWhenIdle(QCoreApplication& app)
{
    QTimer::singleShot(0, &app, [&app] {
        std::printf("%.1f\n", sinceSpawn());
        std::fflush(stdout);
        app.quit();
    });
}

int runBaseline(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(640, 480);
    window.show();
    RtMidiIn input(RtMidi::UNIX_JACK, "baseline");
    input.openVirtualPort("in");
    reportWhenIdle(app);
    return app.exec();
}

int runProgram(const char* settingsFolder)
{
    int appArgc = 1;
    char name[] = "morvane";
    char* programOnly[] = {name, nullptr};
    morvane::MorvaneApplication app(appArgc, programOnly);
    morvane::ModalHost modal;
    const QString folder = QString::fromLocal8Bit(settingsFolder);
    auto store = std::make_unique<QSettings>(folder + "/store.ini", QSettings::IniFormat);
    morvane::AppShell shell(app, modal, std::move(store));
    shell.setLibraryPath((folder + "/SOUNDS.SYL").toStdString());
    shell.setStepObserver([&app](const QString& step) {
        if (step == QLatin1String("event loop"))
            reportWhenIdle(app);
    });
    return shell.run();
}

// Spawns this program in `mode`; the child's figure, or a negative number.
double spawnOnce(const char* self, const char* mode, const std::string& folder)
{
    const long long now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
    const std::string spawnedAt = std::string(kSpawnedAt) + "=" + std::to_string(now);
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, kSpawnedAt, std::strlen(kSpawnedAt)) != 0)
            env.push_back(*e);
    env.push_back(const_cast<char*>(spawnedAt.c_str()));
    env.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return -1;
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
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || text.empty())
        return -1;
    return std::atof(text.c_str());
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
    if (argc > 1 && std::strcmp(argv[1], "baseline") == 0)
        return runBaseline(argc, argv);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
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

    std::vector<double> program, baseline;
    spawnOnce(argv[0], "program", folder);   // the libraries into the page cache
    spawnOnce(argv[0], "baseline", folder);
    for (int i = 0; i < runs; ++i) {
        const double p = spawnOnce(argv[0], "program", folder);
        const double b = spawnOnce(argv[0], "baseline", folder);
        if (p < 0 || b < 0) {
            std::fprintf(stderr, "startup_idle_bench: a run failed (is there a display platform and a JACK server?)\n");
            return 1;
        }
        program.push_back(p);
        baseline.push_back(b);
    }
    const double p = median(program), b = median(baseline);
    std::printf("start-up to the idle event loop, median of %d runs\n", runs);
    std::printf("  the program                                 %7.1f ms  (%.1f-%.1f)\n", p,
                *std::min_element(program.begin(), program.end()), *std::max_element(program.begin(), program.end()));
    std::printf("  empty window and one RtMidi JACK client     %7.1f ms  (%.1f-%.1f)\n", b,
                *std::min_element(baseline.begin(), baseline.end()), *std::max_element(baseline.begin(), baseline.end()));
    std::printf("  ratio                                       %7.2fx   (goal at most 1.30x)\n", p / b);
    return 0;
}
