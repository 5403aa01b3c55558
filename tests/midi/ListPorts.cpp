// Prints the MIDI ports the program itself would offer, one a line, as
// "in: NAME" and "out: NAME", through the backend it chooses at start-up.
#include "SystemMidiBackend.h"

#include <cstdio>

int main()
{
    const auto backend = morvane::makeSystemMidiBackend();
    for (const std::string& name : backend->inputNames())
        std::printf("in: %s\n", name.c_str());
    for (const std::string& name : backend->outputNames())
        std::printf("out: %s\n", name.c_str());
    return 0;
}
