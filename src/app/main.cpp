// Morvane's entry point. The command line is read before anything is made;
// Qt's own options are passed over, and the application object sees only the
// program's name.
#include "AppShell.h"
#include "CommandLine.h"
#include "ExitSignals.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"

#include <cstdio>

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

    int appArgc = 1;
    char* programOnly[] = {argv[0], nullptr};
    morvane::MorvaneApplication app(appArgc, programOnly);
    morvane::ModalHost modal;
    morvane::AppShell shell(app, modal);
    shell.setStartFile(line.voiceFile);
    if (!line.libraryPath.isEmpty())
        shell.setLibraryPath(line.libraryPath.toStdString());
    return shell.run();
}
