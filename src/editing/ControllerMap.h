// Hardware controllers bound to voice fields: which control change or pitch
// bend moves which field, kept by the field's place ("elementA.lfoSpeed"),
// never by a window's control. Learning waits for the next controller
// message and binds it to the field named; each controller moves one field
// and each field answers one controller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct ControllerId {
    enum class Kind { ControlChange, PitchBend };
    Kind kind = Kind::ControlChange;
    int channel = 0;   // 0-15
    int number = 0;    // the controller number (0-119); 0 for pitch bend
    bool operator==(const ControllerId&) const = default;
    // As a user reads it: "CC 74, channel 1", "Pitch bend, channel 2".
    std::string text() const;
};

struct ControllerMove {
    ControllerId id;
    double fraction = 0;   // 0 at the controller's bottom, 1 at its top
};

// A control change (Bn cc vv; the channel-mode messages 120-127 are not
// controllers) or a pitch bend (En ll mm) as a move; nothing for any other
// message.
std::optional<ControllerMove> readControllerMessage(const std::uint8_t* data, std::size_t size);

class ControllerMap {
public:
    struct Binding {
        ControllerId id;
        std::string path;
    };

    // The next controller message binds to the field `path`.
    void learn(std::string path) { learning_ = std::move(path); }
    void cancelLearning() { learning_.clear(); }
    const std::string& learning() const { return learning_; }

    // A move from the controller input: while learning, it binds its
    // controller to the field waited for (dropping what either was bound to
    // before); then, or when the controller is bound, the field it moves.
    std::optional<std::string> take(const ControllerMove& move);

    bool forget(const std::string& path);
    std::optional<ControllerId> controllerOf(const std::string& path) const;
    const std::vector<Binding>& bindings() const { return bindings_; }

    // One line a binding, as kept in the settings: "cc 0 74 elementA.lfoSpeed"
    // or "bend 1 elementB.pitch". Lines that cannot be read are skipped and
    // counted in the result.
    std::vector<std::string> save() const;
    int load(const std::vector<std::string>& lines);

private:
    std::vector<Binding> bindings_;
    std::string learning_;

    void bind(const ControllerId& id, const std::string& path);
};

} // namespace morvane
