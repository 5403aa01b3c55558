// Placeholder entry point until the start-up sequence exists.
#include "Settings.h"
#include "VoiceData.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    morvane::Settings settings;
    morvane::VoiceParameters voice;
    morvane::VoiceData voiceData(voice);
    settings.saveSettings();
    return 0;
}
