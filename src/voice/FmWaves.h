// The FM waves: their names, built from the instrument's naming rules, and
// the settings each wave brings when it is chosen (the wave preset) and the
// carrier envelope it brings with the envelope type "Preset".
#pragma once

#include "FactSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

// ---- Names -------------------------------------------------------------

inline constexpr int kFmWaveCount = 256;

// A run of numbered names: "E Piano1" ... "E Piano6", "Brass 1" ... The
// prefix holds the blank where the name has one before its number.
struct FmWaveFamily {
    std::string_view prefix;
    int first;  // wave number of the family's first name
    int count;
};
inline constexpr std::array<FmWaveFamily, 19> kFmWaveFamilies{{
    {"E Piano", 0, 6},   {"E Organ", 6, 8},  {"Brass ", 14, 14}, {"Wood ", 28, 8},    {"Reed ", 36, 6},
    {"Clavi ", 42, 4},   {"Guitar ", 46, 8}, {"Bass ", 54, 9},   {"Str ", 63, 7},     {"Vibes ", 70, 4},
    {"Marimba", 74, 3},  {"Bells ", 77, 8},  {"Metal ", 85, 6},  {"Lead ", 91, 7},    {"Sus ", 98, 15},
    {"Attack ", 113, 5}, {"Move ", 118, 7},  {"Decay ", 125, 18}, {"SFX ", 143, 7},
}};
// The single waves that follow the families.
inline constexpr int kFirstSingleWave = 150;
inline constexpr std::array<std::string_view, 11> kFmSingleWaves{
    "Sin 16'", "Sin 8'", "Sin 4'", "Sin2 2/3", "Sin 2'", "Saw 1", "Saw 2", "Square", "LFOnoise", "Noise 1", "Noise 2"};
inline constexpr int kFirstDigiWave = 161;   // "Digi 1" ... "Digi 11"
inline constexpr int kDigiWaves = 11;
inline constexpr int kFirstWaveTriple = 172; // "Wave1-1", "Wave1-2", "Wave1-3", "Wave2-1" ... "Wave27-3"
inline constexpr int kWaveTriples = 27;
inline constexpr int kFirstWaveSingle = 253; // "Wave28", "Wave29", "Wave30"

// One name, at most eight characters.
struct FmWaveName {
    std::array<char, 8> text{};
    std::size_t size = 0;

    constexpr void append(std::string_view s)
    {
        for (char c : s)
            text[size++] = c;
    }
    constexpr void appendNumber(int n)
    {
        if (n >= 10)
            text[size++] = static_cast<char>('0' + n / 10);
        text[size++] = static_cast<char>('0' + n % 10);
    }
    constexpr std::string_view view() const { return {text.data(), size}; }
};

constexpr std::array<FmWaveName, kFmWaveCount> makeFmWaveNames()
{
    std::array<FmWaveName, kFmWaveCount> names{};
    int wave = 0;
    for (const FmWaveFamily& f : kFmWaveFamilies)
        for (int i = 1; i <= f.count; ++i) {
            names[static_cast<std::size_t>(wave)].append(f.prefix);
            names[static_cast<std::size_t>(wave++)].appendNumber(i);
        }
    for (std::string_view single : kFmSingleWaves)
        names[static_cast<std::size_t>(wave++)].append(single);
    for (int i = 1; i <= kDigiWaves; ++i) {
        names[static_cast<std::size_t>(wave)].append("Digi ");
        names[static_cast<std::size_t>(wave++)].appendNumber(i);
    }
    for (int n = 1; n <= kWaveTriples; ++n)
        for (int k = 1; k <= 3; ++k) {
            FmWaveName& name = names[static_cast<std::size_t>(wave++)];
            name.append("Wave");
            name.appendNumber(n);
            name.append("-");
            name.appendNumber(k);
        }
    for (int n = kWaveTriples + 1; wave < kFmWaveCount; ++n) {
        names[static_cast<std::size_t>(wave)].append("Wave");
        names[static_cast<std::size_t>(wave++)].appendNumber(n);
    }
    return names;
}
inline constexpr std::array<FmWaveName, kFmWaveCount> kFmWaveNameTable = makeFmWaveNames();

constexpr std::array<std::string_view, kFmWaveCount> fmWaveNameViews()
{
    std::array<std::string_view, kFmWaveCount> views{};
    for (std::size_t i = 0; i < views.size(); ++i)
        views[i] = kFmWaveNameTable[i].view();
    return views;
}
// The FM wave list: item index = wave number.
inline constexpr std::array<std::string_view, kFmWaveCount> kFmWaveNames = fmWaveNameViews();

// The families follow one another without gaps up to the single waves, and
// the numbered runs end where the next begins.
static_assert([] {
    int next = 0;
    for (const FmWaveFamily& f : kFmWaveFamilies) {
        if (f.first != next)
            return false;
        next += f.count;
    }
    return next == kFirstSingleWave && kFirstSingleWave + int(kFmSingleWaves.size()) == kFirstDigiWave
           && kFirstDigiWave + kDigiWaves == kFirstWaveTriple && kFirstWaveTriple + 3 * kWaveTriples == kFirstWaveSingle
           && kFirstWaveSingle + 3 == kFmWaveCount;
}());
static_assert(kFmWaveNames[0] == "E Piano1" && kFmWaveNames[5] == "E Piano6" && kFmWaveNames[6] == "E Organ1"
              && kFmWaveNames[14] == "Brass 1" && kFmWaveNames[27] == "Brass 14" && kFmWaveNames[74] == "Marimba1"
              && kFmWaveNames[142] == "Decay 18" && kFmWaveNames[149] == "SFX 7" && kFmWaveNames[150] == "Sin 16'"
              && kFmWaveNames[153] == "Sin2 2/3" && kFmWaveNames[160] == "Noise 2" && kFmWaveNames[171] == "Digi 11"
              && kFmWaveNames[172] == "Wave1-1" && kFmWaveNames[175] == "Wave2-1" && kFmWaveNames[252] == "Wave27-3"
              && kFmWaveNames[253] == "Wave28" && kFmWaveNames[255] == "Wave30");

// ---- Wave presets ----------------------------------------------------------

// An envelope with its scalings in stored form (levels are attenuations: 0
// loudest, 127 silent), in the order the preset tables keep them.
struct FmStoredEnvelope {
    std::uint8_t initialLevel, attackLevel, decay1Level, decay2Level;
    std::uint8_t levelScaling;
    std::uint8_t attackRate, decay1Rate, decay2Rate, releaseRate;
    std::uint8_t rateScaling;
};
static_assert(sizeof(FmStoredEnvelope) == 10);

// An operator's waveform and pitch settings.
struct FmTuning {
    std::uint8_t waveform, frequency, fixedFrequency, detune, temperament;
};

// What choosing a wave writes into an FM element: its feedback, both
// operators' tuning, the modulator's level and envelope.
struct FmWavePreset {
    std::uint8_t feedback;
    FmTuning carrier;
    FmTuning modulator;
    std::uint8_t modulatorLevel;
    FmStoredEnvelope modulatorEnvelope;
    FactSource source;
};

// Rows from the documentation are the instrument's own presets. Observed
// rows come from real voices that keep their wave's preset; where
// every voice that uses a wave had changed its modulator level (which is 119
// in every preset), the row was taken with that level set back. The other
// rows are this program's own choice, made to suit each wave's family:
// electric pianos, clavis, guitars and mallets with a bright modulator that
// decays; organs, leads and the "Wave" and "Digi" timbres with a steady one;
// brass, woodwinds, strings and pads with a modulator that comes in slowly;
// bells and metal with harmonics off the carrier's series, wide detune and,
// where the sound is struck metal, a fixed-frequency modulator; "Sin" rows
// with a silent modulator; "Noise" with fixed high harmonics. Within a
// "Wave" number the three rows are one timbre an octave apart.
inline constexpr std::array<FmWavePreset, kFmWaveCount> kFmWavePresets{{
    { 0, { 0,  1,  0,  0,  0}, { 0,  9,  0,  3,  0}, 8, { 49,  49,  88, 127,   1,  63,  33,  16,   0,   0}, kDocumented},  //   0 E Piano1
    { 7, { 0,  2,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  19,  21,  24,   7,  45,  52,  19,   1,   3}, kObserved},  //   1 E Piano2
    { 1, { 0,  1,  0,  0,  0}, { 0, 14,  0,  2,  0}, 8, { 40,  40,  80, 127,   2,  63,  30,  14,   0,   1}, kOwnChoice},  //   2 E Piano3
    { 0, { 0,  1,  0,  0,  0}, { 0,  1,  0,  4,  0}, 8, { 55,  55,  95, 127,   1,  63,  36,  18,   0,   0}, kOwnChoice},  //   3 E Piano4
    { 2, { 0,  2,  0,  0,  0}, { 0,  5,  0,  3,  0}, 8, { 45,  45,  85, 127,   1,  63,  28,  12,   0,   1}, kOwnChoice},  //   4 E Piano5
    { 3, { 1,  1,  0,  0,  0}, { 0,  3,  0,  1,  0}, 8, { 50,  50,  90, 127,   2,  63,  34,  15,   0,   1}, kOwnChoice},  //   5 E Piano6
    { 6, { 0,  2,  0,  0,  0}, { 4,  1,  0,  3,  0}, 8, {112,  17,  24,  24,   1,  57,  39,   0,   0,   0}, kObserved},  //   6 E Organ1
    { 5, { 0,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,  63,   0,   0,   0,   0}, kOwnChoice},  //   7 E Organ2
    { 4, { 1,  1,  0,  0,  0}, { 0,  3,  0,  1,  0}, 8, { 36,  36,  36,  36,   0,  63,   0,   0,   0,   0}, kOwnChoice},  //   8 E Organ3
    { 6, { 0,  2,  0,  0,  0}, { 1,  1,  0,  2,  0}, 8, { 20,  20,  20,  20,   1,  63,   0,   0,   0,   0}, kOwnChoice},  //   9 E Organ4
    { 3, { 2,  1,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, { 40,  40,  40,  40,   0,  63,   0,   0,   0,   0}, kOwnChoice},  //  10 E Organ5
    { 7, { 0,  0,  0,  0,  0}, { 4,  1,  0,  3,  0}, 8, { 26,  26,  26,  26,   1,  63,   0,   0,   0,   0}, kOwnChoice},  //  11 E Organ6
    { 5, { 1,  2,  0,  0,  0}, { 2,  2,  0,  1,  0}, 8, { 32,  32,  32,  32,   0,  63,   0,   0,   0,   0}, kOwnChoice},  //  12 E Organ7
    { 4, { 3,  1,  0,  0,  0}, { 0,  6,  0,  0,  0}, 8, { 44,  44,  44,  44,   1,  63,   0,   0,   0,   0}, kOwnChoice},  //  13 E Organ8
    { 7, { 4,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 14,  53,  19,  19,   1,  41,  36,   0,   0,   3}, kDocumented},  //  14 Brass 1
    { 6, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  40,  30,  30,   1,  30,  28,   0,   0,   2}, kOwnChoice},  //  15 Brass 2
    { 7, { 4,  1,  0,  1,  0}, { 0,  1,  0,  2,  0}, 8, {127,  30,  22,  22,   1,  38,  30,   0,   8,   2}, kOwnChoice},  //  16 Brass 3
    { 5, { 0,  1,  0,  0,  0}, { 0,  1,  0,  1,  0}, 8, {127,  35,  30,  30,   1,  28,  24,   0,   0,   1}, kOwnChoice},  //  17 Brass 4
    { 7, { 4,  0,  0,  2,  0}, { 0,  1,  0,  0,  0}, 8, {127,  45,  33,  33,   1,  44,  34,   0,   0,   3}, kOwnChoice},  //  18 Brass 5
    { 6, { 0,  1,  0,  0,  0}, { 0,  2,  0,  3,  0}, 8, {127,  38,  32,  32,   1,  32,  26,   0,   6,   2}, kOwnChoice},  //  19 Brass 6
    { 7, { 2,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  28,  23,  23,   1,  36,  28,   0,   0,   1}, kOwnChoice},  //  20 Brass 7
    { 7, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  20,  25,  25,   1,  34,  24,   0,  32,   2}, kObserved},  //  21 Brass 8
    { 7, { 0,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, {127,  33,  26,  26,   1,  26,  22,   0,   4,   2}, kOwnChoice},  //  22 Brass 9
    { 7, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 28,  27,  20,  24,   0,  20,  27,  23,   0,   1}, kObserved},  //  23 Brass 10
    { 7, { 4,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  36,  30,  30,   1,  30,  26,   0,   0,   3}, kOwnChoice},  //  24 Brass 11
    { 6, { 2,  0,  0,  3,  0}, { 0,  1,  0,  1,  0}, 8, {127,  40,  32,  32,   1,  38,  30,   0,   0,   2}, kOwnChoice},  //  25 Brass 12
    { 7, { 4,  1,  0,  0,  0}, { 0,  3,  0,  0,  0}, 8, {127,  44,  34,  34,   1,  42,  34,   0,   0,   2}, kOwnChoice},  //  26 Brass 13
    { 7, { 4,  0,  0,  0,  0}, { 0,  0,  0,  1,  0}, 8, { 48,  18,  24,  24,   0,  33,  17,   0,   0,   0}, kObserved},  //  27 Brass 14 (modulator level set back to 119)
    { 0, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  70,  76,  76,   0,  48,  14,   0,   6,   1}, kOwnChoice},  //  28 Wood 1
    { 1, { 0,  1,  0,  0,  0}, { 0,  2,  0,  1,  0}, 8, {127,  64,  70,  70,   1,  44,  12,   0,   4,   1}, kOwnChoice},  //  29 Wood 2
    { 2, { 0,  1,  0,  0,  0}, { 0,  3,  0,  0,  0}, 8, {127,  58,  64,  64,   0,  50,  10,   0,   0,   1}, kOwnChoice},  //  30 Wood 3
    { 0, { 1,  1,  0,  0,  0}, { 0,  2,  0,  2,  0}, 8, {127,  75,  81,  81,   1,  42,  16,   0,   5,   1}, kOwnChoice},  //  31 Wood 4
    { 3, { 0,  2,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  66,  72,  72,   2,  46,  12,   0,   0,   1}, kOwnChoice},  //  32 Wood 5
    { 1, { 0,  1,  0,  0,  0}, { 0,  3,  0,  1,  0}, 8, {127,  60,  66,  66,   0,  40,  14,   0,   8,   1}, kOwnChoice},  //  33 Wood 6
    { 0, { 0,  1,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, {127,  80,  86,  86,   1,  52,  10,   0,   0,   1}, kOwnChoice},  //  34 Wood 7
    { 2, { 1,  2,  0,  0,  0}, { 0,  2,  0,  3,  0}, 8, {127,  68,  74,  74,   0,  45,  12,   0,   3,   1}, kOwnChoice},  //  35 Wood 8
    { 6, { 2,  1,  0,  0,  0}, { 5,  0,  0,  1,  0}, 8, { 40,  28,  30,  30,   2,  52,  30,   0,   0,   2}, kOwnChoice},  //  36 Reed 1
    { 7, { 3,  1,  0,  0,  0}, { 4,  1,  0,  0,  0}, 8, { 36,  24,  26,  26,   2,  56,  26,   0,   0,   2}, kOwnChoice},  //  37 Reed 2
    { 5, { 2,  1,  0,  0,  0}, { 0,  3,  0,  2,  0}, 8, { 46,  34,  36,  36,   2,  48,  34,   0,   0,   2}, kOwnChoice},  //  38 Reed 3
    { 7, { 3,  1,  0,  0,  0}, { 5,  2,  0,  0,  0}, 8, { 38,  26,  28,  28,   2,  54,  28,   0,   0,   2}, kOwnChoice},  //  39 Reed 4
    { 6, { 2,  1,  0,  0,  0}, { 4,  1,  0,  1,  0}, 8, { 42,  30,  32,  32,   2,  50,  32,   0,   0,   2}, kOwnChoice},  //  40 Reed 5
    { 7, { 2,  1,  0,  0,  0}, { 5,  0,  0,  0,  0}, 8, { 30,  23,  21,  21,   2,  32,  38,  30,   0,   2}, kObserved},  //  41 Reed 6
    { 7, { 5,  1,  0,  0,  0}, { 3,  7,  0,  6,  0}, 8, {110,  20,  40,  70,   1,  63,  42,  18,   0,   5}, kOwnChoice},  //  42 Clavi 1
    { 7, { 4,  1,  0,  1,  0}, { 2, 10,  0,  4,  0}, 8, {105,  20,  40,  70,   1,  63,  44,  16,   0,   5}, kOwnChoice},  //  43 Clavi 2
    { 7, { 5,  0,  0,  0,  0}, { 3, 12,  0,  8,  0}, 8, {112,  20,  40,  70,   1,  63,  40,  20,   0,   5}, kOwnChoice},  //  44 Clavi 3
    { 7, { 5,  0,  0,  2,  0}, { 3,  4,  0, 10,  0}, 8, {100,  27,  43,  64,   1,  46,  38,  14,   0,   5}, kObserved},  //  45 Clavi 4
    { 6, { 0,  1,  0,  0,  0}, { 0,  3,  0,  2,  0}, 8, {127,  10,  28,  50,   3,  58,  40,  18,   0,   3}, kOwnChoice},  //  46 Guitar 1
    { 7, { 5,  1,  0,  0,  0}, { 5,  5,  0,  0,  0}, 8, {127,   8,  24,  42,   5,  54,  59,  16,   0,   5}, kObserved},  //  47 Guitar 2
    { 6, { 6,  1,  0,  0,  0}, { 0,  5,  0,  3,  0}, 8, {127,  12,  30,  52,   4,  60,  44,  20,   0,   2}, kOwnChoice},  //  48 Guitar 3
    { 6, { 7,  1,  0,  0,  0}, { 7,  3,  0,  0,  0}, 8, {127,  15,  25,  45,   8,  63,  40,  30,   0,   0}, kObserved},  //  49 Guitar 4
    { 7, { 5,  1,  0,  0,  0}, { 4,  5,  0,  0,  0}, 8, {115,  23,  38,  65,  11,  39,  34,  25,   0,   4}, kObserved},  //  50 Guitar 5
    { 6, { 7,  1,  0,  0,  0}, { 7,  3,  0,  0,  0}, 8, {127,  15,  33,  55,   8,  63,  40,  30,   0,   0}, kOwnChoice},  //  51 Guitar 6
    { 7, { 5,  1,  0,  0,  0}, { 3,  1,  0,  1,  0}, 8, {  0,  27,  36,  50,   5,  51,  37,  19,   0,   3}, kObserved},  //  52 Guitar 7 (modulator level set back to 119)
    { 7, { 5,  1,  0,  0,  0}, { 3,  1,  0,  1,  0}, 8, {127,  27,  45,  67,   5,  51,  37,  19,   0,   3}, kOwnChoice},  //  53 Guitar 8
    { 7, { 0,  0,  0,  0,  0}, { 0,  1,  0,  2,  0}, 8, {127,  16,  30,  40,   4,  63,  30,  10,   0,   2}, kOwnChoice},  //  54 Bass 1
    { 6, { 0,  1,  0,  0,  0}, { 0,  0,  0,  4,  0}, 8, {127,  18,  24,  28,   5,  45,  18,   9,   0,   2}, kObserved},  //  55 Bass 2
    { 7, { 0,  2,  0,  0,  0}, { 0,  0,  0,  4,  0}, 8, {  0,  34,  15,  22,   5,  49,  58,   9,  33,   3}, kObserved},  //  56 Bass 3 (modulator level set back to 119)
    { 5, { 6,  0,  0,  0,  0}, { 0,  6,  0,  0,  0}, 8, { 21,  21,  43,  52,   2,  63,  50,  19,   0,   1}, kObserved},  //  57 Bass 4 (modulator level set back to 119)
    { 7, { 0,  1,  0,  0,  0}, { 3,  0,  0,  9,  0}, 8, { 22,  22,  39,  49,   1,  63,  29,   3,   0,   0}, kOwnChoice},  //  58 Bass 5
    { 7, { 0,  0,  0,  1,  0}, { 3,  0,  0,  9,  0}, 8, { 22,  22,  39,  49,   1,  63,  29,   3,   0,   0}, kObserved},  //  59 Bass 6
    { 4, { 0,  0,  0,  0,  0}, { 4,  1,  0,  0,  0}, 8, {  2,   2,  23,  50,   1,  63,   9,   6,   0,   4}, kOwnChoice},  //  60 Bass 7
    { 4, { 4,  1,  0,  0,  0}, { 4,  0,  0,  0,  0}, 8, {  2,   2,  23,  50,   1,  63,   9,   6,   0,   4}, kObserved},  //  61 Bass 8
    { 6, { 0,  1,  0,  0,  0}, { 6,  0,  0,  0,  0}, 8, {  9,   9,  14,  27,   0,  63,  45,  17,  33,   3}, kObserved},  //  62 Bass 9 (modulator level set back to 119)
    { 7, { 1,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  19,  23,  23,   1,  63,  63,  63,  23,   1}, kObserved},  //  63 Str 1
    { 7, { 0,  1,  0,  2,  0}, { 1,  1,  0,  3,  0}, 8, {127,  24,  28,  28,   2,  28,  20,   0,   0,   1}, kOwnChoice},  //  64 Str 2
    { 7, { 2,  0,  0,  0,  0}, { 1,  3,  0,  0,  0}, 8, {127,  27,  32,  32,   6,  33,  24,  63,  20,   2}, kObserved},  //  65 Str 3 (modulator level set back to 119)
    { 7, { 4,  1,  0,  1,  0}, { 6,  1,  0, 10,  0}, 8, {127,  16,  20,  20,   0,  30,   9,   0,   0,   5}, kOwnChoice},  //  66 Str 4
    { 7, { 1,  1,  0,  0,  0}, { 0,  2,  0,  2,  0}, 8, {127,  22,  26,  26,   1,  24,  18,   0,   0,   1}, kOwnChoice},  //  67 Str 5
    { 7, { 4,  1,  0,  1,  0}, { 6,  1,  0, 10,  0}, 8, {127,  32,  81,  93,   0,  30,   9,   0,   0,   5}, kObserved},  //  68 Str 6
    { 7, { 2,  2,  0,  0,  0}, { 0,  1,  0,  4,  0}, 8, {127,  26,  30,  30,   1,  22,  20,   0,   0,   1}, kOwnChoice},  //  69 Str 7
    { 4, { 0,  1,  0,  0,  0}, { 0,  9,  0,  0,  1}, 8, {100,  24,  70, 100,   2,  63,  30,  12,   0,   1}, kOwnChoice},  //  70 Vibes 1
    { 0, { 0,  1,  0,  0,  0}, { 2,  7,  0,  0,  0}, 8, { 27,  27,  80,  89,   2,  63,  29,  10,   0,   1}, kObserved},  //  71 Vibes 2
    { 7, { 0,  1,  0,  0,  0}, { 0, 11,  0,  0,  0}, 8, { 10,  10,  37, 104,   3,  63,  53,  22,  14,   1}, kObserved},  //  72 Vibes 3 (modulator level set back to 119)
    { 7, { 0,  2,  0,  0,  0}, { 6,  9,  0,  0,  1}, 8, { 35,  44,  87,  96,   0,  40,  27,  10,   0,   5}, kObserved},  //  73 Vibes 4
    { 0, { 0,  1,  0,  0,  0}, { 0,  3,  0,  2,  2}, 8, {127,  24,  80, 127,   3,  60,  42,  14,   0,   1}, kOwnChoice},  //  74 Marimba1
    { 0, { 0,  2,  0,  0,  0}, { 0,  3,  0,  4,  2}, 8, {127,  20,  72, 127,   4,  55,  39,  10,   0,   1}, kObserved},  //  75 Marimba2
    { 2, { 0,  1,  0,  0,  0}, { 1,  5,  0,  1,  2}, 8, {127,  18,  76, 127,   3,  62,  44,  16,   0,   2}, kOwnChoice},  //  76 Marimba3
    { 4, { 0,  1,  0,  0,  0}, { 4,  2,  0,  0,  3}, 8, {  6,   6,  16,  96,   7,  63,  32,  10,   0,   0}, kObserved},  //  77 Bells 1
    { 2, { 0,  2,  0,  0,  0}, { 0,  7,  1, 12,  1}, 8, { 30,  30,  50, 110,   7,  63,  28,   8,   0,   0}, kOwnChoice},  //  78 Bells 2
    { 0, { 0,  1,  0,  0,  0}, { 2,  6,  0,  0,  1}, 8, { 29,  29,  39, 127,   7,  63,  32,  10,   0,   0}, kObserved},  //  79 Bells 3
    { 3, { 0,  0,  0,  2,  0}, { 3, 13,  1,  9,  2}, 8, { 20,  20,  45, 105,   7,  63,  24,   6,   0,   0}, kOwnChoice},  //  80 Bells 4
    { 5, { 0,  1,  0,  0,  0}, { 2, 11,  0,  5,  3}, 8, { 10,  10,  30, 100,   7,  63,  30,   9,   0,   0}, kOwnChoice},  //  81 Bells 5
    { 1, { 0,  2,  0,  0,  0}, { 5,  9,  0,  7,  1}, 8, { 25,  25,  48, 115,   7,  63,  26,   7,   0,   0}, kOwnChoice},  //  82 Bells 6
    { 6, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  3}, 8, { 19,  19,  39, 109,   0,  63,  32,  10,   0,   0}, kObserved},  //  83 Bells 7
    { 0, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  3}, 8, { 19,  19,  39, 109,   7,  63,  32,  10,   0,   0}, kOwnChoice},  //  84 Bells 8
    { 7, { 5,  1,  0,  3,  0}, { 6, 11,  1,  7,  0}, 8, {127,  20,  36,  60,   4,  50,  30,  28,   0,   4}, kOwnChoice},  //  85 Metal 1
    { 6, { 4,  2,  0,  0,  0}, { 7, 13,  0, 13,  0}, 8, {110,  24,  40,  72,   3,  46,  28,  24,   0,   3}, kOwnChoice},  //  86 Metal 2
    { 6, { 7,  3,  0,  6,  0}, { 5, 13,  0, 10,  0}, 8, {127,  26,  42,  69,   1,  44,  26,  30,   0,   4}, kOwnChoice},  //  87 Metal 3
    { 5, { 0,  4,  0,  2,  0}, { 6,  3,  0, 10,  0}, 8, {127,  26,  42,  69,   1,  44,  26,  30,   0,   4}, kObserved},  //  88 Metal 4
    { 7, { 3,  3,  0,  1,  0}, { 5, 15,  0,  8,  0}, 8, {120,  30,  48,  80,   2,  48,  24,  20,   0,   2}, kOwnChoice},  //  89 Metal 5
    { 6, { 7,  2,  0,  4,  0}, { 6,  9,  1, 15,  0}, 8, {127,  18,  38,  66,   5,  56,  32,  22,   0,   3}, kOwnChoice},  //  90 Metal 6
    { 7, { 0,  1,  0,  0,  0}, { 5,  1,  0,  0,  0}, 8, { 16,  16,  16,  16,   0,  63,   0,   0,   0,   0}, kObserved},  //  91 Lead 1
    { 7, { 2,  1,  0,  1,  0}, { 3,  3,  0,  2,  0}, 8, { 30,  18,  22,  22,   1,  63,  20,   0,   0,   1}, kOwnChoice},  //  92 Lead 2
    { 7, { 4,  1,  0,  0,  0}, { 4,  2,  0,  3,  0}, 8, {116,  19,  39,  39,   5,  63,  10,   0,   0,   0}, kObserved},  //  93 Lead 3
    { 7, { 1,  1,  0,  0,  0}, { 1,  2,  0,  2,  0}, 8, {127,   0,  19,  19,   5,  63,  55,   0,   0,   3}, kObserved},  //  94 Lead 4
    { 7, { 4,  2,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 20,  20,  26,  26,   1,  63,  14,   0,   0,   1}, kOwnChoice},  //  95 Lead 5
    { 7, { 6,  1,  0,  1,  0}, { 2,  1,  0,  4,  0}, 8, { 26,  26,  26,  26,   0,  63,   0,   0,   0,   0}, kOwnChoice},  //  96 Lead 6
    { 7, { 5,  1,  0,  0,  0}, { 4,  3,  0,  1,  0}, 8, { 34,  30,  32,  32,   2,  63,  12,   0,   0,   1}, kOwnChoice},  //  97 Lead 7
    { 7, { 2,  0,  0,  0,  0}, { 7,  5,  0,  1,  0}, 8, {127,   0,  27,  27,   5,  63,  63,   0,   0,   3}, kObserved},  //  98 Sus 1 (modulator level set back to 119)
    { 7, { 0,  1,  0,  1,  0}, { 3,  2,  0,  0,  0}, 8, {127,  22,  28,  28,   0,  16,   8,   0,   0,   1}, kOwnChoice},  //  99 Sus 2
    { 7, { 1,  1,  0,  0,  0}, { 0,  0,  0,  5,  0}, 8, {127,  15,  38,  25,   1,  57,  59,   9,   0,   3}, kObserved},  // 100 Sus 3
    { 7, { 4,  1,  0,  2,  0}, { 0,  3,  0,  1,  0}, 8, {127,  36,  42,  42,   1,  18,   6,   0,   0,   1}, kOwnChoice},  // 101 Sus 4
    { 6, { 0,  1,  0,  3,  0}, { 5,  1,  0,  4,  0}, 8, {127,  18,  24,  24,   1,  14,   9,   0,   0,   1}, kOwnChoice},  // 102 Sus 5
    { 7, { 0,  1,  0, 10,  0}, { 0,  1,  0,  5,  0}, 8, { 84,  34,  34,  34,   0,  26,   0,   0,   0,   1}, kObserved},  // 103 Sus 6 (modulator level set back to 119)
    { 7, { 5,  1,  0,  0,  0}, { 4,  1,  0,  3,  0}, 8, { 33,  23,  33,  33,   0,  24,  11,   0,   0,   0}, kObserved},  // 104 Sus 7
    { 5, { 0,  1,  0,  1,  0}, { 4,  0,  0,  5,  0}, 8, {127,  24,  30,  30,   1,  17,  10,   0,   0,   1}, kOwnChoice},  // 105 Sus 8
    { 0, { 5,  1,  0,  0,  0}, { 4,  5,  0,  4,  1}, 8, { 53,  50,  50,  50,   7,  30,  52,   9,  10,   3}, kObserved},  // 106 Sus 9 (modulator level set back to 119)
    { 3, { 2,  1,  0,  2,  0}, { 6,  4,  0,  3,  0}, 8, {127,  20,  26,  26,   1,  15,  12,   0,   0,   1}, kOwnChoice},  // 107 Sus 10
    { 7, { 0,  2,  0,  0,  0}, { 2,  1,  0,  0,  0}, 8, {127,  34,  40,  40,   1,  21,   6,   0,   0,   1}, kOwnChoice},  // 108 Sus 11
    { 6, { 6,  1,  0,  5,  0}, { 0,  2,  0,  2,  1}, 8, {127,  27,  33,  33,   2,  25,   9,   0,   0,   1}, kOwnChoice},  // 109 Sus 12
    { 5, { 1,  1,  0,  1,  0}, { 3,  1,  0,  6,  0}, 8, {127,  38,  44,  44,   0,  16,  11,   0,   0,   1}, kOwnChoice},  // 110 Sus 13
    { 4, { 3,  0,  0,  0,  0}, { 1,  1,  0,  1,  0}, 8, {127,  23,  29,  29,   1,  23,   7,   0,   0,   1}, kOwnChoice},  // 111 Sus 14
    { 7, { 2,  1,  0,  3,  0}, { 4,  2,  0,  0,  0}, 8, {127,  29,  35,  35,   1,  18,  10,   0,   0,   1}, kOwnChoice},  // 112 Sus 15
    { 7, { 0,  1,  0,  0,  0}, { 0,  0,  0,  4,  0}, 8, { 17,  51,  29,  28,   1,  11,   8,  13,   0,   3}, kObserved},  // 113 Attack 1
    { 6, { 1,  1,  0,  0,  0}, { 0,  1,  0,  2,  0}, 8, {  5,   8,  60,  68,   2,  63,  44,   6,   0,   2}, kOwnChoice},  // 114 Attack 2
    { 7, { 4,  1,  0,  0,  0}, { 5,  2,  0,  0,  0}, 8, { 10,  12,  55,  60,   1,  63,  40,   8,   0,   1}, kOwnChoice},  // 115 Attack 3
    { 5, { 0,  1,  0,  0,  0}, { 3,  4,  0,  6,  0}, 8, {  0,   4,  70,  76,   3,  63,  48,   5,   0,   3}, kOwnChoice},  // 116 Attack 4
    { 7, { 2,  1,  0,  0,  0}, { 1,  3,  0,  1,  0}, 8, {  8,  10,  62,  70,   2,  63,  38,  10,   0,   2}, kOwnChoice},  // 117 Attack 5
    { 7, { 5,  0,  0,  0,  0}, { 1,  0,  0,  1,  0}, 8, { 16,  52,  16,  32,   5,  12,  12,   8,   0,   3}, kObserved},  // 118 Move 1
    { 5, { 0,  0,  0,  0,  0}, { 1,  1,  0,  2,  0}, 8, { 11,  55,  22,  36,   5,  14,   8,  10,   0,   3}, kObserved},  // 119 Move 2
    { 6, { 3,  1,  0,  0,  0}, { 2,  3,  0,  2,  0}, 8, {100,  20,  60,  24,   3,  10,  11,  12,   0,   3}, kOwnChoice},  // 120 Move 3
    { 7, { 0,  0,  0,  0,  0}, { 0,  0,  0,  2,  0}, 8, {127,  17,  34,  20,   3,   8,   8,   8,  23,   3}, kObserved},  // 121 Move 4
    { 5, { 5,  0,  0,  0,  0}, { 2,  1,  0,  2,  0}, 8, {127,   8,  34,   8,   5,   8,   8,   8,  23,   3}, kObserved},  // 122 Move 5
    { 6, { 4,  2,  0,  0,  0}, { 0,  0,  0,  2,  0}, 8, {127,   8,  34,  10,   5,   8,   8,   8,  13,   3}, kObserved},  // 123 Move 6
    { 7, { 2,  1,  0,  0,  0}, { 3,  2,  0,  4,  0}, 8, { 90,  30,  10,  44,   2,   9,  13,   7,   0,   3}, kOwnChoice},  // 124 Move 7
    { 6, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127,  10,  40,  60,   1,  62,  40,  16,   0,   2}, kOwnChoice},  // 125 Decay 1
    { 7, { 4,  1,  0,  0,  0}, { 2,  2,  0,  3,  0}, 8, {127,  14,  44,  64,   2,  58,  42,  12,   0,   3}, kOwnChoice},  // 126 Decay 2
    { 5, { 2,  2,  0,  0,  0}, { 1,  4,  0,  1,  0}, 8, {127,   6,  36,  56,   0,  60,  44,  18,   0,   1}, kOwnChoice},  // 127 Decay 3
    { 7, { 4,  1,  0,  0,  0}, { 6,  5,  0,  0,  0}, 8, {127,  18,  48,  68,   7,  48,  39,  23,   0,   1}, kOwnChoice},  // 128 Decay 4
    { 7, { 5,  2,  0,  0,  0}, { 6,  7,  0,  1,  0}, 8, {127,   2,  32,  52,   5,  58,  46,   9,   0,   3}, kOwnChoice},  // 129 Decay 5
    { 7, { 4,  1,  0,  0,  0}, { 6,  5,  0,  0,  0}, 8, { 59,  29,  49,  58,   7,  48,  39,  23,   0,   1}, kObserved},  // 130 Decay 6 (modulator level set back to 119)
    { 4, { 5,  0,  0,  0,  0}, { 4,  1,  0,  2,  0}, 8, {127,  12,  42,  62,   1,  56,  48,  10,   0,   1}, kOwnChoice},  // 131 Decay 7
    { 4, { 5,  2,  0,  0,  0}, { 6,  7,  0,  1,  0}, 8, {127,   2,  35,  44,   5,  58,  46,   9,   0,   3}, kObserved},  // 132 Decay 8
    { 5, { 3,  2,  0,  0,  0}, { 5,  5,  0,  2,  0}, 8, {127,   6,  36,  56,   4,  54,  50,  12,   0,   3}, kOwnChoice},  // 133 Decay 9
    { 7, { 0,  1,  0,  0,  0}, { 2,  2,  0,  0,  0}, 8, {127,  20,  50,  70,   0,  61,  38,  16,   0,   1}, kOwnChoice},  // 134 Decay 10
    { 6, { 3,  2,  0,  0,  0}, { 2,  3,  0,  0,  0}, 8, {127,   4,  34,  54,   0,  58,  46,   9,   0,   3}, kOwnChoice},  // 135 Decay 11
    { 7, { 4,  1,  0,  0,  0}, { 1,  2,  0,  1,  0}, 8, {127,  12,  42,  62,   6,  52,  50,  15,   0,   2}, kOwnChoice},  // 136 Decay 12
    { 6, { 3,  2,  0,  0,  0}, { 2,  0,  0,  1,  0}, 8, {127,   6,  15,  26,  11,  63,  63,  17,   0,   2}, kObserved},  // 137 Decay 13
    { 5, { 7,  1,  0,  0,  0}, { 4,  7,  0,  0,  0}, 8, {127,  15,  45,  65,   2,  59,  44,   8,   0,   4}, kOwnChoice},  // 138 Decay 14
    { 7, { 7,  0,  0,  0,  0}, { 5,  8,  0,  0,  0}, 8, {127,  44,  90,  99,   8,  63,  10,   6,   0,   5}, kObserved},  // 139 Decay 15
    { 6, { 2,  0,  0,  0,  0}, { 1,  3,  0,  4,  0}, 8, {127,   8,  38,  58,   1,  57,  42,  13,   0,   2}, kOwnChoice},  // 140 Decay 16
    { 7, { 0,  0,  0,  0,  0}, { 6,  0,  0,  3,  0}, 8, {127,  15,  30,  34,   0,  53,  47,  10,   0,   1}, kObserved},  // 141 Decay 17
    { 5, { 1,  1,  0,  0,  0}, { 3,  1,  0,  0,  0}, 8, {127,  22,  52,  72,   3,  61,  40,  14,   0,   2}, kOwnChoice},  // 142 Decay 18
    { 7, { 0,  1,  0,  0,  0}, { 2, 11,  0,  4,  0}, 8, { 22, 127,  22, 127,   7,  36,  63,  21,  63,   3}, kObserved},  // 143 SFX 1
    { 0, { 0,  2,  0,  0,  0}, { 4,  0,  1,  0,  0}, 8, {  0,   0,   0,   0,   0,  63,   0,   0,   0,   0}, kObserved},  // 144 SFX 2
    { 0, { 5,  0,  1,  0,  0}, { 6,  2,  0,  0,  0}, 8, { 39,  39,  39,  39,   0,  63,   0,   0,   0,   0}, kObserved},  // 145 SFX 3
    { 5, { 0,  3,  0,  0,  0}, { 7, 15,  1, 15,  3}, 8, {  0,  60,   0, 127,   0,   8,   5,   3,   0,   0}, kOwnChoice},  // 146 SFX 4
    { 7, { 0,  1,  0,  0,  0}, { 0,  3,  0,  4,  1}, 8, {127,  57,  57,  49,   0,  13,  63,  13,   3,   0}, kObserved},  // 147 SFX 5
    { 7, { 0,  0,  0,  0,  0}, { 1,  1,  0,  1,  1}, 8, {127,  32,  32,  32,   0,  13,  63,  13,   3,   0}, kObserved},  // 148 SFX 6
    { 7, { 0,  0,  1, 12,  0}, { 7, 15,  1, 15,  3}, 8, { 60,   0, 127,   0,   0,  20,   4,   2,   0,   0}, kOwnChoice},  // 149 SFX 7
    { 0, { 0,  0,  0,  0,  0}, { 0,  0,  0,  0,  0}, 8, {127, 127, 127, 127,   0,   0,   0,   0,   0,   0}, kObserved},  // 150 Sin 16'
    { 0, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, {127, 127, 127, 127,   0,   0,   0,   0,   0,   0}, kDocumented},  // 151 Sin 8'
    { 0, { 0,  2,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, {127, 127, 127, 127,   0,   0,   0,   0,   0,   0}, kObserved},  // 152 Sin 4'
    { 0, { 0,  3,  0,  0,  0}, { 0,  3,  0,  0,  0}, 8, {127, 127, 127, 127,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 153 Sin2 2/3
    { 0, { 0,  4,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, {127, 127, 127, 127,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 154 Sin 2'
    { 7, { 0,  0,  0,  0,  0}, { 0,  0,  0,  0,  0}, 8, { 24,  24,  24,  24,   0,   0,   0,   0,   0,   0}, kObserved},  // 155 Saw 1
    { 7, { 5,  0,  0,  0,  0}, { 5,  0,  0,  0,  0}, 8, { 27,  27,  27,  27,   0,   0,   0,   0,   0,   0}, kObserved},  // 156 Saw 2
    { 7, { 0,  0,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 26,  26,  26,  26,   0,   0,   0,   0,   0,   0}, kObserved},  // 157 Square
    { 0, { 4,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 158 LFOnoise
    { 7, { 0, 15,  1,  0,  0}, { 0, 15,  1,  0,  0}, 8, {  0,   0,   0,   0,   0,   0,   0,   0,   0,   0}, kDocumented},  // 159 Noise 1
    { 4, { 7, 15,  0,  7,  0}, { 6, 15,  0,  7,  3}, 8, {  0,   0,   0,   0,   0,   0,   0,   0,   0,   0}, kObserved},  // 160 Noise 2
    { 0, { 2,  1,  0,  0,  0}, { 1,  0,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 161 Digi 1
    { 2, { 2,  1,  0,  0,  0}, { 1,  1,  0,  0,  0}, 8, { 40,  40,  40,  40,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 162 Digi 2
    { 0, { 2,  1,  0,  0,  0}, { 1,  2,  0,  1,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 163 Digi 3
    { 4, { 2,  1,  0,  0,  0}, { 1,  3,  0,  0,  0}, 8, { 38,  38,  38,  38,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 164 Digi 4
    { 0, { 2,  1,  0,  0,  0}, { 1,  4,  0,  2,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 165 Digi 5
    { 3, { 2,  1,  0,  0,  0}, { 1,  5,  0,  0,  0}, 8, { 44,  44,  44,  44,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 166 Digi 6
    { 0, { 2,  1,  0,  0,  0}, { 1,  6,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 167 Digi 7
    { 2, { 2,  1,  0,  0,  0}, { 1,  8,  0,  1,  0}, 8, { 40,  40,  40,  40,   2,   0,   0,   0,   0,   0}, kOwnChoice},  // 168 Digi 8
    { 0, { 2,  1,  0,  0,  0}, { 1, 10,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 169 Digi 9
    { 5, { 2,  1,  0,  0,  0}, { 1, 12,  0,  0,  0}, 8, { 36,  36,  36,  36,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 170 Digi 10
    { 0, { 2,  1,  0,  0,  0}, { 1, 14,  0,  0,  0}, 8, { 42,  42,  42,  42,   4,   0,   0,   0,   0,   0}, kObserved},  // 171 Digi 11 (modulator level set back to 119)
    { 7, { 0,  0,  0,  0,  0}, { 0,  0,  0,  0,  0}, 8, { 40,  40,  40,  40,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 172 Wave1-1
    { 7, { 0,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 40,  40,  40,  40,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 173 Wave1-2
    { 7, { 0,  2,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 40,  40,  40,  40,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 174 Wave1-3
    { 5, { 1,  0,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 175 Wave2-1
    { 5, { 1,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 176 Wave2-2
    { 5, { 1,  2,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 177 Wave2-3
    { 6, { 2,  0,  0,  0,  0}, { 1,  0,  0,  0,  0}, 8, { 44,  44,  44,  44,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 178 Wave3-1
    { 6, { 2,  1,  0,  0,  0}, { 1,  1,  0,  0,  0}, 8, { 44,  44,  44,  44,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 179 Wave3-2
    { 6, { 2,  2,  0,  0,  0}, { 1,  2,  0,  0,  0}, 8, { 44,  44,  44,  44,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 180 Wave3-3
    { 4, { 3,  0,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 181 Wave4-1
    { 4, { 3,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 182 Wave4-2
    { 4, { 3,  2,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 183 Wave4-3
    { 3, { 0,  0,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 38,  38,  38,  38,   0,   0,   0,   0,   0,   0}, kObserved},  // 184 Wave5-1
    { 3, { 0,  1,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 185 Wave5-2
    { 3, { 0,  2,  0,  0,  0}, { 0,  4,  0,  0,  0}, 8, { 38,  38,  38,  38,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 186 Wave5-3 (octaves from Wave5-1)
    { 7, { 0,  0,  0,  0,  0}, { 7,  4,  0,  0,  0}, 8, { 24,  24,  24,  24,   8,   0,   0,   0,   0,   0}, kOwnChoice},  // 187 Wave6-1 (octaves from Wave6-2)
    { 7, { 0,  1,  0,  0,  0}, { 7,  8,  0,  0,  0}, 8, { 24,  24,  24,  24,   8,   0,   0,   0,   0,   0}, kObserved},  // 188 Wave6-2 (modulator level set back to 119)
    { 7, { 0,  2,  0,  0,  0}, { 7,  8,  0,  0,  0}, 8, { 24,  24,  24,  24,   8,   0,   0,   0,   0,   0}, kOwnChoice},  // 189 Wave6-3 (octaves from Wave6-2)
    { 2, { 4,  0,  0,  0,  0}, { 2,  1,  0,  0,  0}, 8, { 34,  34,  34,  34,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 190 Wave7-1
    { 2, { 4,  1,  0,  0,  0}, { 2,  2,  0,  0,  0}, 8, { 34,  34,  34,  34,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 191 Wave7-2
    { 2, { 4,  2,  0,  0,  0}, { 2,  4,  0,  0,  0}, 8, { 34,  34,  34,  34,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 192 Wave7-3
    { 5, { 2,  0,  0,  0,  0}, { 4,  0,  0,  0,  0}, 8, { 12,  12,  12,  12,   1,   0,   0,   0,   0,   0}, kObserved},  // 193 Wave8-1
    { 5, { 2,  1,  0,  0,  0}, { 4,  1,  0,  0,  0}, 8, { 12,  12,  12,  12,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 194 Wave8-2 (octaves from Wave8-1)
    { 5, { 2,  2,  0,  0,  0}, { 4,  2,  0,  0,  0}, 8, { 12,  12,  12,  12,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 195 Wave8-3 (octaves from Wave8-1)
    { 6, { 3,  1,  0,  0,  0}, { 0,  0,  0,  0,  0}, 8, { 19,  19,  19,  19,   0,   0,   0,   0,   0,   0}, kObserved},  // 196 Wave9-1
    { 6, { 3,  2,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 19,  19,  19,  19,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 197 Wave9-2 (octaves from Wave9-1)
    { 6, { 3,  4,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 19,  19,  19,  19,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 198 Wave9-3 (octaves from Wave9-1)
    { 6, { 7,  0,  0,  0,  0}, { 4,  3,  0,  0,  0}, 8, { 33,  33,  33,  33,   1,   0,   0,   0,   0,   0}, kObserved},  // 199 Wave10-1 (modulator level set back to 119)
    { 6, { 7,  1,  0,  0,  0}, { 4,  6,  0,  0,  0}, 8, { 33,  33,  33,  33,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 200 Wave10-2 (octaves from Wave10-1)
    { 6, { 7,  2,  0,  0,  0}, { 4, 12,  0,  0,  0}, 8, { 33,  33,  33,  33,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 201 Wave10-3 (octaves from Wave10-1)
    { 5, { 4,  0,  0,  0,  0}, { 4,  0,  0,  0,  0}, 8, { 12,  12,  12,  12,   0,   0,   0,   0,   0,   0}, kObserved},  // 202 Wave11-1
    { 5, { 4,  1,  0,  0,  0}, { 4,  1,  0,  0,  0}, 8, { 12,  12,  12,  12,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 203 Wave11-2 (octaves from Wave11-1)
    { 5, { 4,  2,  0,  0,  0}, { 4,  2,  0,  0,  0}, 8, { 12,  12,  12,  12,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 204 Wave11-3 (octaves from Wave11-1)
    { 6, { 5,  0,  0,  0,  0}, { 5,  0,  0,  0,  0}, 8, { 28,  28,  28,  28,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 205 Wave12-1
    { 6, { 5,  1,  0,  0,  0}, { 5,  1,  0,  0,  0}, 8, { 28,  28,  28,  28,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 206 Wave12-2
    { 6, { 5,  2,  0,  0,  0}, { 5,  2,  0,  0,  0}, 8, { 28,  28,  28,  28,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 207 Wave12-3
    { 3, { 6,  0,  0,  0,  0}, { 2,  0,  0,  0,  0}, 8, { 40,  40,  40,  40,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 208 Wave13-1
    { 3, { 6,  1,  0,  0,  0}, { 2,  1,  0,  0,  0}, 8, { 40,  40,  40,  40,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 209 Wave13-2
    { 3, { 6,  2,  0,  0,  0}, { 2,  2,  0,  0,  0}, 8, { 40,  40,  40,  40,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 210 Wave13-3
    { 3, { 3,  0,  0,  0,  0}, { 3,  0,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 211 Wave14-1
    { 3, { 3,  1,  0,  0,  0}, { 3,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 212 Wave14-2 (octaves from Wave14-1)
    { 3, { 3,  2,  0,  0,  0}, { 3,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 213 Wave14-3 (octaves from Wave14-1)
    { 1, { 7,  0,  0,  0,  0}, { 4,  1,  0,  0,  0}, 8, { 46,  46,  46,  46,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 214 Wave15-1
    { 1, { 7,  1,  0,  0,  0}, { 4,  2,  0,  0,  0}, 8, { 46,  46,  46,  46,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 215 Wave15-2
    { 1, { 7,  2,  0,  0,  0}, { 4,  4,  0,  0,  0}, 8, { 46,  46,  46,  46,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 216 Wave15-3
    { 7, { 2,  0,  0,  0,  0}, { 6,  0,  0,  0,  0}, 8, { 20,  20,  20,  20,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 217 Wave16-1
    { 7, { 2,  1,  0,  0,  0}, { 6,  1,  0,  0,  0}, 8, { 20,  20,  20,  20,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 218 Wave16-2
    { 7, { 2,  2,  0,  0,  0}, { 6,  2,  0,  0,  0}, 8, { 20,  20,  20,  20,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 219 Wave16-3
    { 0, { 1,  0,  0,  0,  0}, { 3,  0,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 220 Wave17-1
    { 0, { 1,  1,  0,  0,  0}, { 3,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 221 Wave17-2 (octaves from Wave17-1)
    { 0, { 1,  2,  0,  0,  0}, { 3,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 222 Wave17-3 (octaves from Wave17-1)
    { 4, { 0,  0,  0,  0,  0}, { 7,  2,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 223 Wave18-1
    { 4, { 0,  1,  0,  0,  0}, { 7,  4,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 224 Wave18-2
    { 4, { 0,  2,  0,  0,  0}, { 7,  8,  0,  0,  0}, 8, { 36,  36,  36,  36,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 225 Wave18-3
    { 5, { 4,  0,  0,  0,  0}, { 1,  1,  0,  0,  0}, 8, { 26,  26,  26,  26,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 226 Wave19-1
    { 5, { 4,  1,  0,  0,  0}, { 1,  2,  0,  0,  0}, 8, { 26,  26,  26,  26,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 227 Wave19-2
    { 5, { 4,  2,  0,  0,  0}, { 1,  4,  0,  0,  0}, 8, { 26,  26,  26,  26,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 228 Wave19-3
    { 2, { 5,  0,  0,  0,  0}, { 3,  1,  0,  0,  0}, 8, { 38,  38,  38,  38,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 229 Wave20-1
    { 2, { 5,  1,  0,  0,  0}, { 3,  2,  0,  0,  0}, 8, { 38,  38,  38,  38,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 230 Wave20-2
    { 2, { 5,  2,  0,  0,  0}, { 3,  4,  0,  0,  0}, 8, { 38,  38,  38,  38,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 231 Wave20-3
    { 6, { 7,  0,  0,  0,  0}, { 0,  0,  0,  0,  0}, 8, { 24,  24,  24,  24,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 232 Wave21-1
    { 6, { 7,  1,  0,  0,  0}, { 0,  1,  0,  0,  0}, 8, { 24,  24,  24,  24,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 233 Wave21-2
    { 6, { 7,  2,  0,  0,  0}, { 0,  2,  0,  0,  0}, 8, { 24,  24,  24,  24,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 234 Wave21-3
    { 0, { 6,  0,  0,  0,  0}, { 1,  0,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 235 Wave22-1
    { 0, { 6,  1,  0,  0,  0}, { 1,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 236 Wave22-2 (octaves from Wave22-1)
    { 0, { 6,  2,  0,  0,  0}, { 1,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 237 Wave22-3 (octaves from Wave22-1)
    { 0, { 6,  0,  0,  0,  0}, { 3,  0,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 238 Wave23-1
    { 0, { 6,  1,  0,  0,  0}, { 3,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 239 Wave23-2 (octaves from Wave23-1)
    { 0, { 6,  2,  0,  0,  0}, { 3,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 240 Wave23-3 (octaves from Wave23-1)
    { 1, { 2,  0,  0,  0,  0}, { 5,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 241 Wave24-1
    { 1, { 2,  1,  0,  0,  0}, { 5,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 242 Wave24-2
    { 1, { 2,  2,  0,  0,  0}, { 5,  4,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 243 Wave24-3
    { 3, { 3,  0,  0,  0,  0}, { 6,  1,  0,  0,  0}, 8, { 32,  32,  32,  32,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 244 Wave25-1
    { 3, { 3,  1,  0,  0,  0}, { 6,  2,  0,  0,  0}, 8, { 32,  32,  32,  32,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 245 Wave25-2
    { 3, { 3,  2,  0,  0,  0}, { 6,  4,  0,  0,  0}, 8, { 32,  32,  32,  32,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 246 Wave25-3
    { 3, { 5,  1,  0,  0,  0}, { 1,  1,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 247 Wave26-1 (octaves from Wave26-3)
    { 3, { 5,  2,  0,  0,  0}, { 1,  2,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kOwnChoice},  // 248 Wave26-2 (octaves from Wave26-3)
    { 3, { 5,  4,  0,  0,  0}, { 1,  4,  0,  0,  0}, 8, { 42,  42,  42,  42,   0,   0,   0,   0,   0,   0}, kObserved},  // 249 Wave26-3
    { 5, { 1,  0,  0,  0,  0}, { 7,  1,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 250 Wave27-1
    { 5, { 1,  1,  0,  0,  0}, { 7,  2,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 251 Wave27-2
    { 5, { 1,  2,  0,  0,  0}, { 7,  4,  0,  0,  0}, 8, { 30,  30,  30,  30,   1,   0,   0,   0,   0,   0}, kOwnChoice},  // 252 Wave27-3
    { 0, { 5,  1,  0,  2,  0}, { 3,  7,  1,  0,  0}, 8, {  4,   4,   4,   4,   0,  12,  12,  12,   0,   0}, kOwnChoice},  // 253 Wave28
    { 0, { 6,  1,  0,  2,  0}, { 4, 11,  1,  0,  0}, 8, {  3,   3,   3,   3,   0,  11,  11,  11,   0,   0}, kOwnChoice},  // 254 Wave29
    { 0, { 6,  2,  0,  3,  0}, { 4,  9,  1,  0,  0}, 8, {  2,   2,   2,   2,   0,  10,  10,  10,   0,   0}, kDocumented},  // 255 Wave30
}};

constexpr bool fmWavePresetsWithinBounds()
{
    for (const FmWavePreset& p : kFmWavePresets) {
        const FmTuning& c = p.carrier;
        const FmTuning& m = p.modulator;
        const FmStoredEnvelope& e = p.modulatorEnvelope;
        if (p.feedback > 7 || c.waveform > 7 || c.frequency > 15 || c.fixedFrequency > 1 || c.detune > 12
            || c.temperament != 0 || m.waveform > 7 || m.frequency > 15 || m.fixedFrequency > 1 || m.detune > 15
            || m.temperament > 3 || p.modulatorLevel != 8)
            return false;
        if (e.initialLevel > 127 || e.attackLevel > 127 || e.decay1Level > 127 || e.decay2Level > 127
            || e.levelScaling > 13 || e.attackRate > 63 || e.decay1Rate > 63 || e.decay2Rate > 63
            || e.releaseRate > 63 || e.rateScaling > 5)
            return false;
    }
    return true;
}
static_assert(fmWavePresetsWithinBounds());

// ---- Carrier preset envelopes ------------------------------------------------

// The carrier envelope each wave brings with the type "Preset". Rows from
// the documentation are the instrument's own presets; observed rows come
// from FM elements of real voices whose type is "Preset". The other
// rows are this program's own choice, by family: pianos, clavis, guitars,
// mallets, bells, metal and the "Decay" waves fall to silence, basses to a
// low level; organs, leads and the single-cycle waves hold at once; brass,
// woodwinds, strings, pads and the "Move" waves swell in and hold.
struct FmCarrierPreset {
    FmStoredEnvelope envelope;
    FactSource source;
};
inline constexpr std::array<FmCarrierPreset, kFmWaveCount> kFmCarrierEnvelopes{{
    {{ 57,   0,  28, 127,   0,  59,  16,  14,  34,   1}, kDocumented},  //   0 E Piano1
    {{ 70,   0,  22, 127,   0,  61,  18,  12,  36,   1}, kOwnChoice},  //   1 E Piano2
    {{ 50,   0,  32, 127,   0,  63,  14,  15,  32,   2}, kOwnChoice},  //   2 E Piano3
    {{ 64,   0,  26, 127,   0,  60,  17,  13,  35,   1}, kOwnChoice},  //   3 E Piano4
    {{ 57,   0,  30, 127,   0,  58,  15,  16,  33,   2}, kOwnChoice},  //   4 E Piano5
    {{ 60,   0,  24, 127,   0,  62,  19,  11,  37,   1}, kOwnChoice},  //   5 E Piano6
    {{127,   4,   4,   4,   0,  63,   0,   0,  36,   0}, kOwnChoice},  //   6 E Organ1
    {{127,   2,   2,   2,   0,  63,   0,   0,  38,   0}, kOwnChoice},  //   7 E Organ2
    {{127,   6,   6,   6,   0,  63,   0,   0,  34,   0}, kOwnChoice},  //   8 E Organ3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  //   9 E Organ4
    {{127,   5,   5,   5,   0,  63,   0,   0,  36,   0}, kOwnChoice},  //  10 E Organ5
    {{127,   2,   2,   2,   0,  63,   0,   0,  42,   0}, kOwnChoice},  //  11 E Organ6
    {{127,   4,   4,   4,   0,  63,   0,   0,  38,   0}, kOwnChoice},  //  12 E Organ7
    {{127,   7,   7,   7,   0,  63,   0,   0,  35,   0}, kOwnChoice},  //  13 E Organ8
    {{127,   0,   0,   0,   0,  33,  20,   6,  38,   2}, kDocumented},  //  14 Brass 1
    {{127,   2,   8,   8,   0,  30,  18,   4,  36,   1}, kOwnChoice},  //  15 Brass 2
    {{127,   0,   4,   4,   0,  36,  22,   5,  40,   2}, kOwnChoice},  //  16 Brass 3
    {{127,   4,  12,  12,   0,  28,  16,   3,  34,   1}, kOwnChoice},  //  17 Brass 4
    {{127,   1,   6,   6,   0,  40,  24,   7,  39,   2}, kOwnChoice},  //  18 Brass 5
    {{127,   0,   3,   3,   0,  34,  19,   5,  37,   2}, kOwnChoice},  //  19 Brass 6
    {{127,   3,   9,   9,   0,  31,  17,   4,  35,   1}, kOwnChoice},  //  20 Brass 7
    {{127,   0,   4,   4,   0,  38,  21,   6,  41,   2}, kOwnChoice},  //  21 Brass 8
    {{127,   2,   4,   4,   0,  29,  15,   3,  33,   1}, kOwnChoice},  //  22 Brass 9
    {{127,   5,  13,  13,   0,  35,  23,   5,  38,   2}, kOwnChoice},  //  23 Brass 10
    {{127,   0,   5,   5,   0,  32,  18,   4,  36,   1}, kOwnChoice},  //  24 Brass 11
    {{127,   1,   7,   7,   0,  37,  20,   6,  40,   2}, kOwnChoice},  //  25 Brass 12
    {{127,   3,   7,   7,   0,  30,  16,   5,  34,   2}, kOwnChoice},  //  26 Brass 13
    {{127,   0,   3,   3,   0,  42,  22,   7,  39,   1}, kOwnChoice},  //  27 Brass 14
    {{127,   4,   6,   6,   0,  46,  12,   0,  38,   1}, kOwnChoice},  //  28 Wood 1
    {{127,   6,   8,   8,   0,  42,  14,   0,  36,   1}, kOwnChoice},  //  29 Wood 2
    {{127,   3,   5,   5,   0,  50,  10,   0,  40,   1}, kOwnChoice},  //  30 Wood 3
    {{127,   5,   7,   7,   0,  44,  16,   0,  37,   1}, kOwnChoice},  //  31 Wood 4
    {{127,   8,  10,  10,   0,  48,  12,   0,  39,   1}, kOwnChoice},  //  32 Wood 5
    {{127,   4,   6,   6,   0,  40,  14,   0,  35,   1}, kOwnChoice},  //  33 Wood 6
    {{127,   7,   9,   9,   0,  52,  10,   0,  41,   1}, kOwnChoice},  //  34 Wood 7
    {{127,   5,   7,   7,   0,  45,  12,   0,  36,   1}, kOwnChoice},  //  35 Wood 8
    {{127,   2,   5,   5,   0,  54,  10,   0,  36,   1}, kOwnChoice},  //  36 Reed 1
    {{127,   4,   7,   7,   0,  52,  10,   0,  34,   1}, kOwnChoice},  //  37 Reed 2
    {{127,   1,   4,   4,   0,  56,  10,   0,  38,   1}, kOwnChoice},  //  38 Reed 3
    {{127,   3,   6,   6,   0,  50,  10,   0,  35,   1}, kOwnChoice},  //  39 Reed 4
    {{127,   5,   8,   8,   0,  55,  10,   0,  37,   1}, kOwnChoice},  //  40 Reed 5
    {{127,   2,   5,   5,   0,  58,  10,   0,  33,   1}, kOwnChoice},  //  41 Reed 6
    {{127,   0,  20, 127,   0,  63,  22,  16,  40,   2}, kOwnChoice},  //  42 Clavi 1
    {{127,   0,  24, 127,   0,  63,  20,  18,  42,   2}, kOwnChoice},  //  43 Clavi 2
    {{127,   0,  18, 127,   0,  63,  24,  14,  38,   2}, kOwnChoice},  //  44 Clavi 3
    {{127,   0,  26, 127,   0,  63,  19,  20,  44,   2}, kOwnChoice},  //  45 Clavi 4
    {{127,   0,  16, 127,   0,  63,  18,  12,  38,   2}, kOwnChoice},  //  46 Guitar 1
    {{127,   0,  14, 127,   1,  63,  20,  14,  36,   2}, kOwnChoice},  //  47 Guitar 2
    {{127,   0,  18, 110,   0,  63,  16,  10,  40,   2}, kOwnChoice},  //  48 Guitar 3
    {{127,   0,  12, 127,   1,  63,  22,  16,  35,   2}, kOwnChoice},  //  49 Guitar 4
    {{127,   0,  20, 120,   0,  63,  17,  11,  39,   2}, kOwnChoice},  //  50 Guitar 5
    {{127,   0,  10, 127,   2,  63,  24,  13,  34,   2}, kOwnChoice},  //  51 Guitar 6
    {{127,   0,  15, 115,   1,  63,  19,  15,  37,   2}, kOwnChoice},  //  52 Guitar 7
    {{127,   0,  13, 127,   0,  63,  21,  12,  41,   2}, kOwnChoice},  //  53 Guitar 8
    {{127,   0,  12,  60,   1,  63,  20,  10,  38,   1}, kOwnChoice},  //  54 Bass 1
    {{127,   0,  10,  70,   0,  63,  22,  12,  40,   1}, kOwnChoice},  //  55 Bass 2
    {{127,   0,  16,  50,   1,  63,  18,   9,  36,   1}, kOwnChoice},  //  56 Bass 3
    {{127,   0,   8,  80,   2,  63,  24,  14,  42,   1}, kOwnChoice},  //  57 Bass 4
    {{127,   0,  14,  64,   0,  63,  19,  11,  37,   1}, kOwnChoice},  //  58 Bass 5
    {{127,   0,  18,  90,   1,  63,  26,   8,  39,   1}, kOwnChoice},  //  59 Bass 6
    {{127,   0,   6,  40,   0,  63,  16,  13,  35,   1}, kOwnChoice},  //  60 Bass 7
    {{127,   0,  12,  72,   1,  63,  21,  10,  41,   1}, kOwnChoice},  //  61 Bass 8
    {{127,   0,  10,  56,   2,  63,  23,  12,  44,   1}, kOwnChoice},  //  62 Bass 9
    {{127,   4,   4,   4,   0,  26,   0,   0,  30,   1}, kOwnChoice},  //  63 Str 1
    {{127,   6,   6,   6,   0,  24,   0,   0,  28,   1}, kOwnChoice},  //  64 Str 2
    {{127,   3,   3,   3,   0,  30,   0,   0,  32,   1}, kOwnChoice},  //  65 Str 3
    {{127,   5,   5,   5,   0,  22,   0,   0,  26,   1}, kOwnChoice},  //  66 Str 4
    {{127,   8,   8,   8,   0,  28,   0,   0,  31,   1}, kOwnChoice},  //  67 Str 5
    {{127,   2,   2,   2,   0,  20,   0,   0,  27,   1}, kOwnChoice},  //  68 Str 6
    {{127,   4,   4,   4,   0,  32,   0,   0,  29,   1}, kOwnChoice},  //  69 Str 7
    {{127,   0,  30, 127,   0,  63,  14,  12,  30,   1}, kOwnChoice},  //  70 Vibes 1
    {{127,   0,  26, 127,   0,  63,  12,  10,  28,   1}, kOwnChoice},  //  71 Vibes 2
    {{127,   0,  34, 127,   0,  63,  16,  14,  32,   1}, kOwnChoice},  //  72 Vibes 3
    {{127,   0,  28, 127,   0,  63,  13,  11,  29,   1}, kOwnChoice},  //  73 Vibes 4
    {{127,   0,  40, 127,   0,  63,  26,  20,  32,   2}, kOwnChoice},  //  74 Marimba1
    {{127,   0,   0,  27,   1,  56,   0,  14,  30,   1}, kObserved},  //  75 Marimba2
    {{127,   0,  36, 127,   0,  63,  24,  22,  30,   2}, kOwnChoice},  //  76 Marimba3
    {{127,   0,  10, 127,   0,  63,  10,   8,  24,   1}, kOwnChoice},  //  77 Bells 1
    {{127,   0,   8, 127,   1,  63,   9,   6,  22,   1}, kOwnChoice},  //  78 Bells 2
    {{127,   0,  12, 127,   0,  63,  11,   9,  26,   1}, kOwnChoice},  //  79 Bells 3
    {{127,   0,   6, 127,   2,  63,   8,   5,  20,   1}, kOwnChoice},  //  80 Bells 4
    {{127,   0,  14, 127,   1,  63,  12,   7,  25,   1}, kOwnChoice},  //  81 Bells 5
    {{127,   0,   9, 127,   0,  63,  10,   8,  23,   1}, kOwnChoice},  //  82 Bells 6
    {{127,   0,  11, 127,   1,  63,   9,   6,  21,   1}, kOwnChoice},  //  83 Bells 7
    {{127,   0,   7, 127,   0,  63,  11,  10,  27,   1}, kOwnChoice},  //  84 Bells 8
    {{127,   0,  16, 127,   1,  63,  14,  10,  28,   1}, kOwnChoice},  //  85 Metal 1
    {{127,   0,  14, 127,   0,  63,  12,   8,  26,   1}, kOwnChoice},  //  86 Metal 2
    {{127,   0,  18, 127,   2,  63,  16,  12,  30,   1}, kOwnChoice},  //  87 Metal 3
    {{127,   0,  12, 127,   1,  63,  13,   9,  24,   1}, kOwnChoice},  //  88 Metal 4
    {{127,   0,  20, 127,   0,  63,  15,  11,  29,   1}, kOwnChoice},  //  89 Metal 5
    {{127,   0,  15, 127,   1,  63,  11,  13,  27,   1}, kOwnChoice},  //  90 Metal 6
    {{127,   5,   5,   5,   0,  63,   0,   0,  32,   0}, kObserved},  //  91 Lead 1
    {{127,   3,   3,   3,   0,  63,   0,   0,  36,   0}, kOwnChoice},  //  92 Lead 2
    {{121,   5,   5,   5,   0,  63,   0,   0,  41,   0}, kObserved},  //  93 Lead 3
    {{127,   4,   4,   4,   0,  63,   0,   0,  34,   0}, kOwnChoice},  //  94 Lead 4
    {{127,   6,   6,   6,   0,  63,   0,   0,  38,   0}, kOwnChoice},  //  95 Lead 5
    {{127,   2,   2,   2,   0,  63,   0,   0,  33,   0}, kOwnChoice},  //  96 Lead 6
    {{127,   5,   5,   5,   0,  63,   0,   0,  35,   0}, kOwnChoice},  //  97 Lead 7
    {{127,   4,   4,   4,   0,  20,   0,   0,  24,   0}, kOwnChoice},  //  98 Sus 1
    {{127,   6,   6,   6,   0,  18,   0,   0,  22,   0}, kOwnChoice},  //  99 Sus 2
    {{127,   3,   3,   3,   0,  22,   0,   0,  26,   0}, kOwnChoice},  // 100 Sus 3
    {{127,   5,   5,   5,   0,  16,   0,   0,  20,   0}, kOwnChoice},  // 101 Sus 4
    {{127,   2,   2,   2,   0,  24,   0,   0,  25,   0}, kOwnChoice},  // 102 Sus 5
    {{127,   7,   7,   7,   0,  19,   0,   0,  23,   0}, kOwnChoice},  // 103 Sus 6
    {{127,   4,   4,   4,   0,  17,   0,   0,  21,   0}, kOwnChoice},  // 104 Sus 7
    {{127,   6,   6,   6,   0,  21,   0,   0,  27,   0}, kOwnChoice},  // 105 Sus 8
    {{127,   3,   3,   3,   0,  15,   0,   0,  19,   0}, kOwnChoice},  // 106 Sus 9
    {{127,   5,   5,   5,   0,  23,   0,   0,  24,   0}, kOwnChoice},  // 107 Sus 10
    {{127,   8,   8,   8,   0,  18,   0,   0,  22,   0}, kOwnChoice},  // 108 Sus 11
    {{127,   4,   4,   4,   0,  20,   0,   0,  26,   0}, kOwnChoice},  // 109 Sus 12
    {{127,   6,   6,   6,   0,  16,   0,   0,  20,   0}, kOwnChoice},  // 110 Sus 13
    {{127,   3,   3,   3,   0,  22,   0,   0,  25,   0}, kOwnChoice},  // 111 Sus 14
    {{127,   5,   5,   5,   0,  25,   0,   0,  23,   0}, kOwnChoice},  // 112 Sus 15
    {{127,   0,  10,  10,   0,  63,  30,   0,  36,   1}, kOwnChoice},  // 113 Attack 1
    {{127,   0,  12,  12,   0,  63,  32,   0,  34,   1}, kOwnChoice},  // 114 Attack 2
    {{127,   0,   8,   8,   0,  63,  28,   0,  38,   1}, kOwnChoice},  // 115 Attack 3
    {{127,   0,  14,  14,   0,  63,  34,   0,  32,   1}, kOwnChoice},  // 116 Attack 4
    {{127,   0,   9,   9,   0,  63,  29,   0,  37,   1}, kOwnChoice},  // 117 Attack 5
    {{127,   4,   4,   4,   0,  40,   0,   0,  30,   0}, kOwnChoice},  // 118 Move 1
    {{127,   6,   6,   6,   0,  36,   0,   0,  28,   0}, kOwnChoice},  // 119 Move 2
    {{127,   3,   3,   3,   0,  44,   0,   0,  32,   0}, kOwnChoice},  // 120 Move 3
    {{127,   5,   5,   5,   0,  38,   0,   0,  26,   0}, kOwnChoice},  // 121 Move 4
    {{127,   2,   2,   2,   0,  42,   0,   0,  31,   0}, kOwnChoice},  // 122 Move 5
    {{127,   7,   7,   7,   0,  34,   0,   0,  29,   0}, kOwnChoice},  // 123 Move 6
    {{127,   4,   4,   4,   0,  46,   0,   0,  27,   0}, kOwnChoice},  // 124 Move 7
    {{127,   0,  24, 127,   0,  63,  18,  14,  34,   1}, kOwnChoice},  // 125 Decay 1
    {{127,   0,  20, 127,   1,  62,  20,  12,  32,   2}, kOwnChoice},  // 126 Decay 2
    {{127,   0,  28, 127,   0,  63,  16,  16,  36,   1}, kOwnChoice},  // 127 Decay 3
    {{127,   0,  18, 127,   1,  61,  22,  10,  30,   2}, kOwnChoice},  // 128 Decay 4
    {{127,   0,  30, 127,   2,  63,  14,  18,  38,   1}, kOwnChoice},  // 129 Decay 5
    {{127,   0,  22, 127,   0,  60,  19,  13,  33,   1}, kOwnChoice},  // 130 Decay 6
    {{127,   0,  26, 127,   1,  63,  17,  15,  35,   2}, kOwnChoice},  // 131 Decay 7
    {{127,   0,  16, 127,   0,  62,  21,  11,  31,   1}, kOwnChoice},  // 132 Decay 8
    {{127,   0,  32, 127,   2,  63,  15,  17,  37,   2}, kOwnChoice},  // 133 Decay 9
    {{127,   0,  20, 127,   1,  61,  23,  12,  29,   1}, kOwnChoice},  // 134 Decay 10
    {{127,   0,  26, 127,   0,  63,  18,  14,  34,   1}, kOwnChoice},  // 135 Decay 11
    {{127,   0,  22, 127,   1,  62,  20,  16,  32,   2}, kOwnChoice},  // 136 Decay 12
    {{127,   0,  28, 127,   0,  63,  16,  10,  36,   1}, kOwnChoice},  // 137 Decay 13
    {{127,   0,  18, 127,   2,  60,  22,  18,  30,   2}, kOwnChoice},  // 138 Decay 14
    {{127,   0,  24, 127,   1,  63,  19,  13,  38,   1}, kOwnChoice},  // 139 Decay 15
    {{127,   0,  30, 127,   0,  62,  17,  15,  33,   1}, kOwnChoice},  // 140 Decay 16
    {{127,   0,  20, 127,   1,  63,  21,  11,  35,   2}, kOwnChoice},  // 141 Decay 17
    {{127,   0,  26, 127,   0,  61,  15,  17,  31,   1}, kOwnChoice},  // 142 Decay 18
    {{127,   0,  30, 127,   0,  20,  10,   8,  20,   0}, kOwnChoice},  // 143 SFX 1
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 144 SFX 2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 145 SFX 3
    {{127,  10,  10,  10,   0,  14,   0,   0,  16,   0}, kOwnChoice},  // 146 SFX 4
    {{127,   0,  20,  60,   0,  63,  12,  10,  30,   0}, kOwnChoice},  // 147 SFX 5
    {{127,   6,   6,   6,   0,  13,   0,   0,  18,   0}, kOwnChoice},  // 148 SFX 6
    {{127,   2,   2,   2,   0,  28,   0,   0,  24,   0}, kOwnChoice},  // 149 SFX 7
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 150 Sin 16'
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kDocumented},  // 151 Sin 8'
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kObserved},  // 152 Sin 4'
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 153 Sin2 2/3
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 154 Sin 2'
    {{127,  10,  10,  10,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 155 Saw 1
    {{127,  10,  10,  10,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 156 Saw 2
    {{127,   9,   9,   9,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 157 Square
    {{127,  11,  11,  11,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 158 LFOnoise
    {{127,  12,  12,  12,   0,  63,   0,   0,  40,   0}, kDocumented},  // 159 Noise 1
    {{127,  12,  12,  12,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 160 Noise 2
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 161 Digi 1
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 162 Digi 2
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 163 Digi 3
    {{127,   9,   9,   9,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 164 Digi 4
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 165 Digi 5
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 166 Digi 6
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 167 Digi 7
    {{127,   8,   8,   8,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 168 Digi 8
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 169 Digi 9
    {{127,  10,  10,  10,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 170 Digi 10
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 171 Digi 11
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 172 Wave1-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 173 Wave1-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 174 Wave1-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 175 Wave2-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 176 Wave2-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 177 Wave2-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 178 Wave3-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 179 Wave3-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 180 Wave3-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 181 Wave4-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 182 Wave4-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 183 Wave4-3
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 184 Wave5-1
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 185 Wave5-2
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 186 Wave5-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 187 Wave6-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 188 Wave6-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 189 Wave6-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 190 Wave7-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 191 Wave7-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 192 Wave7-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 193 Wave8-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 194 Wave8-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 195 Wave8-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 196 Wave9-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 197 Wave9-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 198 Wave9-3
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 199 Wave10-1
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 200 Wave10-2
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 201 Wave10-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 202 Wave11-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 203 Wave11-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 204 Wave11-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 205 Wave12-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 206 Wave12-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 207 Wave12-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 208 Wave13-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 209 Wave13-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 210 Wave13-3
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 211 Wave14-1
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 212 Wave14-2
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 213 Wave14-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 214 Wave15-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 215 Wave15-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 216 Wave15-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 217 Wave16-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 218 Wave16-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 219 Wave16-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 220 Wave17-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 221 Wave17-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 222 Wave17-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 223 Wave18-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 224 Wave18-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 225 Wave18-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 226 Wave19-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 227 Wave19-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 228 Wave19-3
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 229 Wave20-1
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 230 Wave20-2
    {{127,   5,   5,   5,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 231 Wave20-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 232 Wave21-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 233 Wave21-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 234 Wave21-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 235 Wave22-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 236 Wave22-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 237 Wave22-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 238 Wave23-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 239 Wave23-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 240 Wave23-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 241 Wave24-1
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 242 Wave24-2
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 243 Wave24-3
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 244 Wave25-1
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 245 Wave25-2
    {{127,   6,   6,   6,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 246 Wave25-3
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 247 Wave26-1
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 248 Wave26-2
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 249 Wave26-3
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 250 Wave27-1
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 251 Wave27-2
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 252 Wave27-3
    {{127,   4,   4,   4,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 253 Wave28
    {{127,   3,   3,   3,   0,  63,   0,   0,  40,   0}, kOwnChoice},  // 254 Wave29
    {{127,   2,   2,   2,   0,  63,   0,   0,  40,   0}, kDocumented},  // 255 Wave30
}};

constexpr bool fmCarrierEnvelopesWithinBounds()
{
    for (const FmCarrierPreset& row : kFmCarrierEnvelopes) {
        const FmStoredEnvelope& e = row.envelope;
        if (e.initialLevel > 127 || e.attackLevel > 127 || e.decay1Level > 127 || e.decay2Level > 127
            || e.levelScaling > 6 || e.attackRate < 13 || e.attackRate > 63 || e.decay1Rate > 63 || e.decay2Rate > 35
            || e.releaseRate < 11 || e.releaseRate > 61 || e.rateScaling > 3)
            return false;
    }
    return true;
}
static_assert(fmCarrierEnvelopesWithinBounds());

} // namespace morvane
