// The last check before a voice's message leaves the program: sent to the
// instrument, saved in a file or stored in the library.
#pragma once

#include "VoiceData.h"

#include <string>

namespace morvane {

// The SY-layout message of a voice, as encodeDump builds it, read back
// before anyone uses it: it must be a voice dump of these instruments with
// both checksums right, and decode to the voice it was made from, every
// field that travels holding what the voice holds wherever that is within
// the field's range. A message with a fault is never to be sent or written;
// the fault says in words what is wrong ("elementB.carrier.level reads back
// as 0, not 99").
struct CheckedDump {
    VoiceDump dump;
    std::string fault;   // empty when the message is sound
    bool sound() const { return fault.empty(); }
};

CheckedDump encodeCheckedDump(const VoiceParameters& voice);

// The check itself, of any message against the voice it is meant to carry:
// empty when it passes, else the fault.
std::string checkDump(const VoiceParameters& voice, const VoiceDump& dump);

// What the check gives a user to read in front of a fault.
inline constexpr const char* kDumpFaultLead = "the voice's message did not read back correctly: ";

} // namespace morvane
