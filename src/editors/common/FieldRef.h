// Where an editor control's value lives in the voice, and how it is shown.
//
// A FieldRef finds its field again at every use: it holds a function that
// returns the field from the editor's current record, so switching element
// A/C, B/D, carrier/modulator, level/detune vector or the selected step
// re-points every control at once. Its stored range comes from the one
// table of fields (VoiceLayout.h), looked up once by the field's place, as is
// the name an undo step of the field carries.
#pragma once

#include "VoiceFields.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace morvane {

// ShownForm and the forms the windows use are the field table's
// (VoiceLayout.h).

class FieldRef {
public:
    // `locate` returns a reference to the field in the current record.
    template <typename Locate>
    FieldRef(VoiceParameters& voice, Locate locate)
    {
        using T = std::remove_reference_t<decltype(locate())>;
        static_assert(std::is_integral_v<T>, "a bound field is an integer");
        get_ = [locate]() -> int { return static_cast<int>(locate()); };
        address_ = [locate]() -> const void* { return &locate(); };
        voice_ = &voice;
        set_ = [locate](int value) { locate() = static_cast<T>(value); };
        const FieldInfo info = findField(voice, &locate());
        if (info.path.empty())
            throw std::logic_error("an editor control is bound to a place that is not a voice field");
        path_ = info.path;
        words_ = info.words;
        min_ = info.min;
        max_ = info.max;
    }

    // A field of a record other than the voice (a multi's): read and written
    // through `get` and `set`, with the range, place and words that record's
    // own table gives.
    FieldRef(std::function<int()> get, std::function<void(int)> set, int min, int max, std::string path,
             std::string words)
        : get_(std::move(get)), set_(std::move(set)), path_(std::move(path)), words_(std::move(words)), min_(min),
          max_(max)
    {
    }

    int get() const { return get_(); }
    void set(int value) const { set_(value); }
    int storedMin() const { return min_; }
    int storedMax() const { return max_; }
    // The field's place when the control was made, as "elementA.lfoSpeed".
    const std::string& path() const { return path_; }
    // The place of the field it points at now (another element's, say, once
    // the window shows that one).
    std::string currentPath() const { return findField(*voice_, address_()).path; }
    // What a user reads for the field, as the table names it: "Attack rate".
    const std::string& words() const { return words_; }

private:
    std::function<int()> get_;
    std::function<void(int)> set_;
    std::function<const void*()> address_;
    VoiceParameters* voice_ = nullptr;
    std::string path_;
    std::string words_;
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
