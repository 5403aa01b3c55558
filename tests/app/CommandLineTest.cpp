// The program's command line: what it asks for, and the program run as a
// user runs it from a shell.
#include "CommandLine.h"
#include "ShellRun.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace morvane {
namespace {

using Action = CommandLine::Action;

TEST(ParseCommandLine, FilesOptionsAndQtsOwnOptions)
{
    struct Case {
        QStringList arguments;
        Action action;
        QString file;
        QString library;
    };
    const Case cases[] = {
        {{}, Action::Run, {}, {}},
        {{"voice.syx"}, Action::Run, "voice.syx", {}},
        {{"--library", "/home/u/SOUNDS.SYL", "a.SYX"}, Action::Run, "a.SYX", "/home/u/SOUNDS.SYL"},
        {{"--library=lib.syl"}, Action::Run, {}, "lib.syl"},
        {{"-style", "fusion", "-reverse", "a.syx", "-platform", "xcb"}, Action::Run, "a.syx", {}},
        {{"--", "-odd name.syx"}, Action::Run, "-odd name.syx", {}},
        {{"a.syx", "--help"}, Action::Help, {}, {}},
        {{"-h"}, Action::Help, {}, {}},
        {{"--version", "--bogus"}, Action::Version, {}, {}},
        {{"--bogus"}, Action::Refuse, {}, {}},
        {{"-x", "a.syx"}, Action::Refuse, {}, {}},
        {{"--library"}, Action::Refuse, {}, {}},
        {{"--library="}, Action::Refuse, {}, {}},
        {{"a.syx", "b.syx"}, Action::Refuse, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action);
        if (c.action == Action::Run) {
            EXPECT_EQ(line.voiceFile, c.file);
            EXPECT_EQ(line.libraryPath, c.library);
        }
        if (c.action == Action::Refuse) {
            EXPECT_FALSE(line.refusal.isEmpty());
            EXPECT_FALSE(line.refusal.contains('\n'));
        }
    }
    EXPECT_TRUE(parseCommandLine({"--bogus"}).refusal.contains("\"--bogus\""));
}

using ProgramRun = test::ShellRun;

// The program with a display it cannot have: it dies at once if it ever
// makes its application object, before any window or MIDI port.
ProgramRun runWithoutWindows(const std::string& arguments)
{
    return test::runInShell("QT_QPA_PLATFORM=no-such-platform " + std::string(MORVANE_BIN) + " " + arguments,
                            "/tmp/morvane-cli-" + std::to_string(::getpid()) + ".err");
}

TEST(MorvaneCommand, HelpAndVersionPrintAndEndWithoutAWindow)
{
    const ProgramRun help = runWithoutWindows("--help");
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_NE(help.out.find("Usage: morvane"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--library PATH"), std::string::npos) << help.out;

    const ProgramRun version = runWithoutWindows("--version");
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, "morvane 2.2\n");
}

TEST(MorvaneCommand, AnUnknownOptionGetsOneLineAndStatusTwo)
{
    const ProgramRun run = runWithoutWindows("--frobnicate voice.syx");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("--frobnicate"), std::string::npos) << run.err;
}

// Started outside a desktop session, it says so and ends with status 1
// rather than aborting in Qt; a voice file given changes nothing of that.
TEST(MorvaneCommand, WithoutADisplayItSaysSoAndEnds)
{
    const ProgramRun run = test::runInShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                                                + std::string(MORVANE_BIN) + " voice.syx",
                                            "/tmp/morvane-cli-" + std::to_string(::getpid()) + ".err");
    EXPECT_EQ(run.status, kNoDisplayExitStatus) << run.err;
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// Whether the process has its handler for `signal` in place yet.
bool catches(pid_t pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

TEST(MorvaneCommand, SigtermEndsTheProgramAsExitDoesAndStoresTheSettings)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString store = home.filePath("config/QVD/MORVANE.conf");
        {
            // Stored settings: no first-run dialog.
            QSettings earlier(store, QSettings::IniFormat);
            earlier.setValue("MIDI Channel", "3");
        }
        const std::string config = "XDG_CONFIG_HOME=" + home.filePath("config").toStdString();
        std::vector<std::string> env{config, "QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0",
                                     "JACK_DEFAULT_SERVER=morvane-none-" + std::to_string(::getpid()),
                                     "HOME=" + home.path().toStdString()};
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string program = MORVANE_BIN;
        std::string library = "--library=" + home.filePath("lib.syl").toStdString();
        char* argv[] = {program.data(), library.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!catches(pid, signal) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(catches(pid, signal));
        // Well into its start-up or its event loop.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const QSettings stored(store, QSettings::IniFormat);
        EXPECT_EQ(stored.value("MIDI Channel").toString(), "3");
        EXPECT_EQ(stored.value("Auto send").toString(), "1");   // written at the end
    }
}

} // namespace
} // namespace morvane
