// The program's version, printed by every program's --version and shown in
// the windows.
#pragma once

namespace morvane {

inline constexpr const char* kVersionNumber = "2.2";

} // namespace morvane
