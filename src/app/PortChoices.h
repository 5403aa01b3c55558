// The ports the settings choose, opened by name (by place for settings kept
// before names were).
#pragma once

namespace morvane {

class MidiPort;
class Settings;

// Closes what is open, then opens the chosen input and output. A device
// found is kept in the settings by its full name and its place now; a named
// device that is missing keeps its name and is watched for.
void openChosenPorts(Settings& settings, MidiPort& port);

} // namespace morvane
