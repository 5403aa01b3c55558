#include "SysEx.h"


namespace morvane {

SysExAssembler::SysExAssembler(Sink sink) : sink_(std::move(sink))
{
    // Voice dumps fit without the MIDI thread ever growing the buffer.
    message_.reserve(1024);
}

void SysExAssembler::reset()
{
    message_.clear();
    inMessage_ = false;
    overflowed_ = false;
}

void SysExAssembler::feed(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte == kSysExStart) {
            reset();
            inMessage_ = true;
            message_.push_back(byte);
            continue;
        }
        if (!inMessage_ || byte >= 0xF8)
            continue;
        if (byte >= 0x80 && byte != kSysExEnd) {
            reset();
            continue;
        }
        if (message_.size() < kMaxSysExSize)
            message_.push_back(byte);
        else
            overflowed_ = true;
        if (byte == kSysExEnd) {
            if (!overflowed_ && sink_)
                sink_(message_.data(), message_.size());
            reset();
        }
    }
    if (inMessage_ && !overflowed_ && progress_)
        progress_(message_.data(), message_.size());
}

} // namespace morvane
