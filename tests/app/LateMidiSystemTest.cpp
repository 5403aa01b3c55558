// A JACK server started after the program: "Refresh" in "Select MIDI
// Devices" finds it and its ports without a restart. The test starts a
// private server of its own, under a name no other test uses, half-way
// through; this process talks to no other server.
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "Settings.h"
#include "SimProcess.h"
#include "TSetDevices.h"

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <optional>
#include <fcntl.h>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A jackd with the dummy driver, stopped when the object goes.
class PrivateJack {
public:
    explicit PrivateJack(const std::string& name)
    {
        std::vector<std::string> args{"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", "48000", "-p", "256"};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (posix_spawnp(&pid_, "jackd", &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~PrivateJack()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    bool spawned() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

} // namespace

class LateMidiSystemTest : public QObject {
    Q_OBJECT

private slots:
    void aJackServerStartedLaterIsFoundByRefresh()
    {
        const std::string server = morvane::test::uniqueClientName("morvane-late");
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        QVERIFY(!morvane::jackServerRunning());
        // Stopped last, after everything that talks to it.
        std::optional<PrivateJack> jack;

        QTemporaryDir dir;
        morvane::Settings settings(std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat));
        std::vector<std::string> reports;
        auto backend = std::make_unique<morvane::SystemMidiBackend>("late-app", morvane::SystemMidiBackend::System::Jack);
        QCOMPARE(backend->systemName(), std::string("none"));
        morvane::MidiPort port(std::move(backend), [&reports](const std::string& text) { reports.push_back(text); });
        morvane::PortChoice in{};
        morvane::PortChoice out{};
        port.open(in, out);
        // What the user is told at start-up says what will happen.
        QVERIFY(!reports.empty());
        QVERIFY2(reports.front().find("Morvane keeps looking and uses one started later.") != std::string::npos,
                 reports.front().c_str());

        morvane::TSetDevices dialog(settings, port);
        dialog.show();
        QCOMPARE(dialog.lbInputs->count(), 0);

        jack.emplace(server);
        QVERIFY(jack->spawned());
        QTRY_VERIFY_WITH_TIMEOUT(morvane::jackServerRunning(), 10000);
        morvane::test::SimProcess sim;
        QVERIFY2(sim.started(), sim.output().c_str());
        const QString simOut = QString::fromStdString(sim.outputPort());
        QTest::mouseClick(dialog.bRefresh, Qt::LeftButton);
        const auto line = [&] { return dialog.lbInputs->findItems(simOut, Qt::MatchExactly); };
        QVERIFY(!line().isEmpty());
        // ... and its ports open as on any other system.
        QTest::mouseClick(dialog.lbInputs->viewport(), Qt::LeftButton, {},
                          dialog.lbInputs->visualItemRect(line().front()).center());
        QVERIFY(port.inputIsOpen());
        QCOMPARE(settings.inDeviceName, simOut);
    }

    // The server in use stops and starts again: the backend says there is
    // no system, then finds the new server by itself and opens its ports.
    void aJackServerThatStopsAndStartsAgainIsFoundAgain()
    {
        const std::string server = morvane::test::uniqueClientName("morvane-again");
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        std::optional<PrivateJack> jack(server);
        QTRY_VERIFY_WITH_TIMEOUT(morvane::jackServerRunning(), 10000);
        morvane::SystemMidiBackend backend("again-app", morvane::SystemMidiBackend::System::Jack);
        QCOMPARE(backend.systemName(), std::string("JACK"));
        {
            morvane::test::SimProcess sim;
            QVERIFY2(sim.started(), sim.output().c_str());
        }
        jack.reset();
        QVERIFY(backend.portsMayHaveChanged());
        QTRY_VERIFY_WITH_TIMEOUT(backend.inputNames().empty() && backend.systemName() == "none", 5000);

        jack.emplace(server);
        QTRY_VERIFY_WITH_TIMEOUT(morvane::jackServerRunning(), 10000);
        morvane::test::SimProcess sim;
        QVERIFY2(sim.started(), sim.output().c_str());
        const auto listed = [&] {
            const std::vector<std::string> names = backend.inputNames();
            return std::find(names.begin(), names.end(), sim.outputPort()) - names.begin();
        };
        QTRY_VERIFY_WITH_TIMEOUT(listed() < static_cast<std::ptrdiff_t>(backend.inputNames().size()), 5000);
        QCOMPARE(backend.systemName(), std::string("JACK"));
        QVERIFY(!backend.openInput(static_cast<int>(listed()), [](const std::uint8_t*, std::size_t) {}));
    }
};

QTEST_MAIN(LateMidiSystemTest)
#include "LateMidiSystemTest.moc"
