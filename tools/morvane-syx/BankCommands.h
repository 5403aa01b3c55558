// morvane-syx bank: look into voice banks, take them apart into voice files
// and build them from voice files, banks and library records.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace morvane {

// `args` starts after "bank". Returns the exit status: 0 done, 1 bad input
// (or a damaged bank), 2 a usage error.
int runBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace morvane
