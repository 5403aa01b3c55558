#include "ControllerMap.h"

#include <algorithm>
#include <sstream>

namespace morvane {

std::string ControllerId::text() const
{
    const std::string on = ", channel " + std::to_string(channel + 1);
    return kind == Kind::PitchBend ? "Pitch bend" + on : "CC " + std::to_string(number) + on;
}

std::optional<ControllerMove> readControllerMessage(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size != 3 || data[1] > 0x7F || data[2] > 0x7F)
        return std::nullopt;
    const int channel = data[0] & 0x0F;
    switch (data[0] & 0xF0) {
    case 0xB0:
        if (data[1] >= 120)
            return std::nullopt;
        return ControllerMove{{ControllerId::Kind::ControlChange, channel, data[1]}, data[2] / 127.0};
    case 0xE0:
        return ControllerMove{{ControllerId::Kind::PitchBend, channel, 0}, (data[1] | data[2] << 7) / 16383.0};
    default:
        return std::nullopt;
    }
}

void ControllerMap::bind(const ControllerId& id, const std::string& path)
{
    std::erase_if(bindings_, [&](const Binding& b) { return b.id == id || b.path == path; });
    bindings_.push_back({id, path});
}

std::optional<std::string> ControllerMap::take(const ControllerMove& move)
{
    if (!learning_.empty()) {
        bind(move.id, learning_);
        learning_.clear();
    }
    for (const Binding& b : bindings_)
        if (b.id == move.id)
            return b.path;
    return std::nullopt;
}

bool ControllerMap::forget(const std::string& path)
{
    return std::erase_if(bindings_, [&](const Binding& b) { return b.path == path; }) > 0;
}

std::optional<ControllerId> ControllerMap::controllerOf(const std::string& path) const
{
    for (const Binding& b : bindings_)
        if (b.path == path)
            return b.id;
    return std::nullopt;
}

std::vector<std::string> ControllerMap::save() const
{
    std::vector<std::string> lines;
    for (const Binding& b : bindings_)
        lines.push_back(b.id.kind == ControllerId::Kind::PitchBend
                            ? "bend " + std::to_string(b.id.channel) + " " + b.path
                            : "cc " + std::to_string(b.id.channel) + " " + std::to_string(b.id.number) + " " + b.path);
    return lines;
}

int ControllerMap::load(const std::vector<std::string>& lines)
{
    int unread = 0;
    for (const std::string& line : lines) {
        std::istringstream words(line);
        std::string kind, path, rest;
        ControllerId id;
        words >> kind >> id.channel;
        if (kind == "cc")
            words >> id.number;
        else
            id.kind = ControllerId::Kind::PitchBend;
        words >> path;
        const bool read = words && !(words >> rest) && (kind == "cc" || kind == "bend") && id.channel >= 0
                          && id.channel <= 15 && id.number >= 0 && id.number < 120 && !path.empty();
        if (read)
            bind(id, path);
        else
            ++unread;
    }
    return unread;
}

} // namespace morvane
