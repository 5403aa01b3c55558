// System Exclusive helpers shared by every MIDI backend and the port manager.
#pragma once

#include "DumpFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace morvane {

// Larger messages are dropped whole; no voice message comes near this.
inline constexpr std::size_t kMaxSysExSize = 64 * 1024;

// Puts System Exclusive messages back together when a MIDI system hands them
// over in pieces. Real-time bytes inside a message are skipped; any other
// status byte abandons an unfinished message.
class SysExAssembler {
public:
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;

    explicit SysExAssembler(Sink sink);

    // Called after each piece fed that leaves a message unfinished, with
    // the part of it that has come so far (a bank's blocks, as they arrive).
    void setProgress(Sink progress) { progress_ = std::move(progress); }

    void feed(const std::uint8_t* data, std::size_t size);
    void reset();

private:
    Sink sink_;
    Sink progress_;
    std::vector<std::uint8_t> message_;
    bool inMessage_ = false;
    bool overflowed_ = false;
};

} // namespace morvane
