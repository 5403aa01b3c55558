// Which files the code under test flushed to the disk. The test program
// defines fsync itself (SyncLog.cpp), notes the path of each file or folder
// it is called on, and passes the call on to the system.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace morvane::test {

// The paths fsync was called on since the last clearSyncLog, in order.
std::vector<std::string> syncedPaths();
void clearSyncLog();
// Called with the path of each file or folder just before it is flushed
// (an empty function: none).
void setBeforeSync(std::function<void(const std::string& path)> call);

} // namespace morvane::test
