#include "PortChoices.h"

#include "MidiPort.h"
#include "Settings.h"

namespace morvane {

void openChosenPorts(Settings& settings, MidiPort& port)
{
    PortChoice in{settings.inDeviceName.toStdString(), settings.inDevice};
    PortChoice out{settings.outDeviceName.toStdString(), settings.outDevice};
    port.close();
    port.open(in, out);
    settings.inDeviceName = QString::fromStdString(in.name);
    settings.outDeviceName = QString::fromStdString(out.name);
    // A place never grows out of what the store can hold.
    if (in.place >= 0 && in.place <= 99)
        settings.inDevice = in.place;
    if (out.place >= 0 && out.place <= 99)
        settings.outDevice = out.place;
}

} // namespace morvane
