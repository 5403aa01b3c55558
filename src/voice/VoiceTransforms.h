// Transformations of a whole voice for sound design: randomise and blend.
// Both are driven by the one walk over every field (VoiceFields.h), so the
// program and the voice tool change the same fields in the same way.
#pragma once

#include "VoiceLayout.h"
#include "VoiceParameters.h"

#include <cstdint>
#include <string_view>

namespace morvane {

// The parts of a voice that randomise may change, as bits. The name is never
// one of them. The vectors part holds both vectors and their speeds.
enum VoicePart : unsigned {
    kPartCommon = 1u << 0,
    kPartElementA = 1u << 1,
    kPartElementB = 1u << 2,
    kPartElementC = 1u << 3,
    kPartElementD = 1u << 4,
    kPartVectors = 1u << 5,
    kAllVoiceParts = (1u << 6) - 1,
};

// How a transformation treats a field (FieldKind), as the field table says
// for the named field `name`; a name the table does not hold is a choice
// when its range is 0-1 and a number otherwise.
FieldKind fieldKind(std::string_view name, int min, int max);

// Element levels and envelope attack levels are attenuations (0 loudest,
// 127 silent). Randomise never makes one quieter than this, nor quieter than
// it already was, so a randomised voice still sounds.
inline constexpr int kQuietestRandomLevel = 96;

// Moves every field of the chosen parts from its value by up to `amount`
// percent (1-100) of its range, within its range; the same seed gives the
// same voice. The name, the fields of parts not chosen and the vector
// markers are left as they are.
void randomiseVoice(VoiceParameters& voice, int amount, unsigned parts, std::uint32_t seed);

// The voice `mix` percent (0-100) of the way from `a` to `b`: numbers are
// weighted and rounded to the nearest value (halves away from zero), within
// their range; choices come from the heavier voice, `a` up to 50 % and `b`
// above; the name is `a`'s up to 50 % and `b`'s above. 0 % gives `a` and
// 100 % gives `b`, unchanged.
VoiceParameters blendVoices(const VoiceParameters& a, const VoiceParameters& b, int mix);

// A point of the morph square is placed to this many steps along each side.
inline constexpr int kMorphSteps = 10000;

// The voice at the point (x, y) of a square with `a` at (0, 0), `b` at
// (1, 0), `c` at (0, 1) and `d` at (1, 1); x and y are kept within 0-1 and
// placed to 1/kMorphSteps. Every voice weighs by the point's bilinear
// weights, by the same rules as blendVoices: numbers are weighted and
// rounded, choices and the name come from the nearest corner (the first of
// a, b, c, d where the point is as near to several). On a side the result is
// blendVoices of that side's two voices, and a corner gives its voice.
VoiceParameters morphVoices(const VoiceParameters& a, const VoiceParameters& b, const VoiceParameters& c,
                            const VoiceParameters& d, double x, double y);

} // namespace morvane
