// What the program's command line asks for. Read before anything else is
// made, so that --help, --version and a refused option open no window and
// no MIDI port.
#pragma once

#include <QString>
#include <QStringList>

namespace morvane {

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    QString voiceFile;     // loaded as "Load voice" does once the program is up
    QString libraryPath;   // --library: the voice library file to use
    QString refusal;       // Refuse: one line saying why
};

// `arguments` without the program's name. Qt's own options (-style fusion,
// -platform xcb, ...) are passed over with their values.
CommandLine parseCommandLine(const QStringList& arguments);

// What --help and --version print.
QString commandLineHelp();
QString versionText();

// The exit status for a refused command line.
inline constexpr int kUsageExitStatus = 2;
// The status when there is no display to open the windows on.
inline constexpr int kNoDisplayExitStatus = 1;

} // namespace morvane
