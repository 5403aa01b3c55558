// Where an editor control's value lives in the voice, and how it is shown.
//
// A FieldRef finds its field again at every use: it holds a function that
// returns the field from the editor's current record, so switching element
// A/C, B/D, carrier/modulator, level/detune vector or the selected step
// re-points every control at once. Its stored range comes from the one
// table of field ranges (VoiceFields.h), looked up once by the field's place.
#pragma once

#include "VoiceFields.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace morvane {

// shown = sign × stored + offset, and back.
struct ShownForm {
    int sign;
    int offset;
    constexpr int shown(int stored) const { return sign * stored + offset; }
    constexpr int stored(int shown) const { return sign * (shown - offset); }
};

inline constexpr ShownForm kAsStored{1, 0};
inline constexpr ShownForm kInverted127{-1, 127};  // levels, LFO rate: attenuations
inline constexpr ShownForm kInverted4{-1, 4};      // pan
inline constexpr ShownForm kInverted62{-1, 62};    // vector track bars
inline constexpr ShownForm kIndexFromOne{1, -1};    // list item = stored − 1 (vector speed)

static_assert(kInverted127.stored(kInverted127.shown(5)) == 5);
static_assert(kInverted4.shown(4) == 0 && kInverted4.shown(0) == 4);

class FieldRef {
public:
    // `locate` returns a reference to the field in the current record.
    template <typename Locate>
    FieldRef(VoiceParameters& voice, Locate locate)
    {
        using T = std::remove_reference_t<decltype(locate())>;
        static_assert(std::is_integral_v<T>, "a bound field is an integer");
        get_ = [locate]() -> int { return static_cast<int>(locate()); };
        set_ = [locate](int value) { locate() = static_cast<T>(value); };
        const FieldInfo info = findField(voice, &locate());
        if (info.path.empty())
            throw std::logic_error("an editor control is bound to a place that is not a voice field");
        path_ = info.path;
        min_ = info.min;
        max_ = info.max;
    }

    int get() const { return get_(); }
    void set(int value) const { set_(value); }
    int storedMin() const { return min_; }
    int storedMax() const { return max_; }
    // The field's place when the control was made, as "elementA.lfoSpeed".
    const std::string& path() const { return path_; }

private:
    std::function<int()> get_;
    std::function<void(int)> set_;
    std::string path_;
    int min_ = 0;
    int max_ = 0;
};

struct ShownRange {
    int min;
    int max;
};

// The stored range seen through the shown form.
inline ShownRange shownRange(const FieldRef& field, ShownForm form)
{
    const int a = form.shown(field.storedMin());
    const int b = form.shown(field.storedMax());
    return a <= b ? ShownRange{a, b} : ShownRange{b, a};
}

} // namespace morvane
