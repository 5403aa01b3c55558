#include "SysEx.h"

#include <algorithm>
#include <string_view>

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
}

std::optional<DumpLayout> voiceDumpLayout(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kSyDumpSize)
        return std::nullopt;
    const DumpLayout layout = dumpLayout(data, size);
    const std::string_view id = layout == DumpLayout::Tg33 ? kTg33FormatId : kSyFormatId;
    if (size != dumpSize(layout)
        || data[0] != kSysExStart || data[1] != kYamahaId || data[3] != kDumpFormat
        || data[size - 1] != kSysExEnd
        || !std::equal(id.begin(), id.end(), data + kFormatIdOffset))
        return std::nullopt;
    if (std::any_of(data + 1, data + size - 1, [](std::uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    return layout;
}

} // namespace morvane
