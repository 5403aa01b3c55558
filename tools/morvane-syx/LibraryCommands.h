// The "lib" commands of morvane-syx: list, add and extract the records of a
// voice library file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace morvane {

// `args` are the words after "lib". Listings and reports go to `out`, one
// line per problem to `err`. Returns the exit status: 0 done, 1 a file could
// not be used (nothing is written then), 2 a malformed command line.
int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace morvane
