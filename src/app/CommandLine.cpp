#include "CommandLine.h"

#include "Artwork.h"

#include <algorithm>
#include <iterator>

namespace morvane {

namespace {

// Options QApplication itself understands; the program ignores them as it
// always has. The first group takes a value.
constexpr const char* kQtOptionsWithValue[] = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qmljsdebugger", "-style", "-stylesheet",
    "-session", "-display", "-geometry", "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-title", "-name",
};
constexpr const char* kQtFlags[] = {"-reverse", "-nograb", "-dograb", "-sync", "-widgetcount"};

bool listed(const QString& option, const auto& table)
{
    return std::any_of(std::begin(table), std::end(table),
                       [&option](const char* name) { return option == QLatin1String(name); });
}

CommandLine refuse(const QString& why)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.refusal = QStringLiteral("morvane: %1 (morvane --help lists the options)").arg(why);
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1;
        if (!isOption) {
            if (!line.voiceFile.isEmpty())
                return refuse(QStringLiteral("one voice file at a time, not \"%1\" too").arg(argument));
            line.voiceFile = argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == QLatin1String("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (argument == QLatin1String("--library") || argument.startsWith(QLatin1String("--library="))) {
            const bool joined = argument.contains(QLatin1Char('='));
            if (!joined && i + 1 >= arguments.size())
                return refuse(QStringLiteral("--library needs the path of a library file"));
            line.libraryPath = joined ? argument.mid(argument.indexOf(QLatin1Char('=')) + 1) : arguments[++i];
            if (line.libraryPath.isEmpty())
                return refuse(QStringLiteral("--library needs the path of a library file"));
        } else if (listed(argument, kQtOptionsWithValue)) {
            ++i;
        } else if (!listed(argument, kQtFlags)) {
            return refuse(QStringLiteral("unknown option \"%1\"").arg(argument));
        }
    }
    return line;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Usage: morvane [OPTION]... [FILE.syx]\n"
        "Voice editor and librarian for the SY-22, SY-35 and TG-33.\n"
        "\n"
        "  FILE.syx          load this voice file once the program is up, as \"Load voice\" does\n"
        "  --library PATH    use this voice library file instead of SOUNDS.SYL in the\n"
        "                    current folder (or the one the settings name)\n"
        "  --help            print this help and exit\n"
        "  --version         print the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("morvane %1\n").arg(QString::fromLatin1(artwork::kVersionText).section(QLatin1Char(' '), 1));
}

} // namespace morvane
