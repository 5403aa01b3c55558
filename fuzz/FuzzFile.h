// A file in memory that the readers open by name like any other: each input
// replaces its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace morvane::fuzz {

class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("morvane-fuzz", 0))
    {
        if (fd_ < 0)
            std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    const std::string& path() const { return path_; }
    void fill(const std::uint8_t* data, std::size_t size)
    {
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
    }

private:
    int fd_;
    std::string path_;
};

} // namespace morvane::fuzz
