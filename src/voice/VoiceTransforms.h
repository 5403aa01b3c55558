// Transformations of a whole voice for sound design: randomise and blend.
// Both are driven by the one walk over every field (VoiceFields.h), so the
// program and the voice tool change the same fields in the same way.
#pragma once

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

// How a transformation treats a field.
//   Number  a quantity: randomise moves it, blend weighs it.
//   Choice  a switch or a list choice: randomise moves it along the list like
//           a number, blend takes it from the heavier voice. A field is a
//           choice when its range is 0-1 (a switch) or when it picks one of
//           a list whose order means nothing to the ear: waveform,
//           opWaveform, lfoWaveform, envType, effectType, voiceConfig,
//           temperament.
//   Derived a field that follows from others: peakStage, the envelope's
//           loudest stage, which is worked out again when the levels change.
// A vector's step time is a number while it is a length (0-253); the markers
// 254 (repeat) and 255 (end) give the vector its shape and are choices.
enum class FieldKind { Number, Choice, Derived };
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

} // namespace morvane
