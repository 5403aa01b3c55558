// Morvane's entry point. The command line is read before anything is made;
// Qt's own options are passed over, and the application object sees only the
// program's name.
#include "AppShell.h"
#include "CommandLine.h"
#include "ExitSignals.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"

#include <cstdio>
#include <utility>

int main(int argc, char** argv)
{
    morvane::exitsignals::install();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const morvane::CommandLine line = morvane::parseCommandLine(arguments);
    switch (line.action) {
    case morvane::CommandLine::Action::Help:
        std::fputs(morvane::commandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    case morvane::CommandLine::Action::Version:
        std::fputs(morvane::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case morvane::CommandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n", line.refusal.toLocal8Bit().constData());
        return morvane::kUsageExitStatus;
    case morvane::CommandLine::Action::Run:
        break;
    }

    // Without a display Qt would end the process with an abort; say why
    // instead. A platform chosen by hand (offscreen, vnc, ...) is left to Qt.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("morvane: there is no display to show the windows on (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set); start it from a desktop session\n",
                   stderr);
        return morvane::kNoDisplayExitStatus;
    }

    // The MIDI system is reached while the window system starts.
    auto midiSystem = morvane::AppShell::openMidiSystem();
    int appArgc = 1;
    char* programOnly[] = {argv[0], nullptr};
    morvane::MorvaneApplication app(appArgc, programOnly);
    morvane::ModalHost modal;
    morvane::AppShell shell(app, modal);
    shell.setMidiSystem(std::move(midiSystem));
    shell.setStartFile(line.voiceFile);
    if (!line.libraryPath.isEmpty())
        shell.setLibraryPath(line.libraryPath.toStdString());
    return shell.run();
}
