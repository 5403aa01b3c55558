#include "SyncLog.h"

#include <mutex>

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace {

std::mutex logMutex;
std::vector<std::string> logged;
std::function<void(const std::string&)> beforeSync;

} // namespace

namespace morvane::test {

std::vector<std::string> syncedPaths()
{
    std::lock_guard lock(logMutex);
    return logged;
}

void clearSyncLog()
{
    std::lock_guard lock(logMutex);
    logged.clear();
}

void setBeforeSync(std::function<void(const std::string& path)> call)
{
    std::lock_guard lock(logMutex);
    beforeSync = std::move(call);
}

} // namespace morvane::test

extern "C" int fsync(int fd)
{
    char path[PATH_MAX] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    const std::string named(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    std::function<void(const std::string&)> call;
    {
        std::lock_guard lock(logMutex);
        logged.push_back(named);
        call = beforeSync;
    }
    if (call)
        call(named);
    using Fsync = int (*)(int);
    static const auto system = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    return system(fd);
}
