// The time as the MIDI layer reads it. Whatever waits for a deadline there
// (the cable's pace, the reply wait, the late-reply grace, the test note's
// length) asks a Now for the time, so that a test can move the time itself
// instead of waiting for it to pass.
#pragma once

#include <chrono>
#include <functional>

namespace morvane {

using SteadyClock = std::chrono::steady_clock;
using Now = std::function<SteadyClock::time_point()>;

} // namespace morvane
