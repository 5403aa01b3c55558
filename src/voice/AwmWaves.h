// The AWM waves: their names on the two instrument families, and the
// envelope each wave brings with the envelope type "Preset".
#pragma once

#include "FactSource.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace morvane {

// The waves as the SY-22 and the TG-33 name them. "SEQ 1" stands twice.
inline constexpr std::array<std::string_view, 128> kAwmWaveNames{
    "Piano", "E Piano", "Clavi", "Cembalo", "Celesta", "P Organ", "E Organ1", "E Organ2", "Reed", "Trumpet",
    "Mute Trp", "Trombone", "Flugel", "Fr Horn", "BrasAtak", "SynBrass", "Flute", "Clarinet", "Oboe", "Sax",
    "Gut", "Steel", "E Gtr 1", "E Gtr 2", "Mute Gtr", "Sitar", "Pluck 1", "Pluck 2", "Wood B 1", "Wood B 2",
    "E Bass 1", "E Bass 2", "E Bass 3", "E Bass 4", "Slap", "Fretless", "SynBass1", "SynBass2", "Strings",
    "Vn Ens", "Cello", "Pizz", "Syn Str", "Choir", "Itopia", "Ooo!", "Vibes", "Marimba", "Bells", "Timpani",
    "Toms", "E Tom", "Cuica", "Whistle", "Claps", "Hit", "Harmonic", "Mix", "Sync", "Bell Mix", "Styroll",
    "DigiAtak", "Noise 1", "Noise 2", "Oh Hit", "Water 1", "Water 2", "Stream", "Coin", "Crash", "Bottle",
    "Tear", "Cracker", "Scratch", "Metal 1", "Metal 2", "Metal 3", "Metal 4", "Wood", "Bamboo", "Slam",
    "Tp Body", "Tb Body", "HornBody", "Fl Body", "Str Body", "AirBlown", "Reverse1", "Reverse2", "Reverse3",
    "EP wv", "Organ wv", "M Tp wv", "Gtr wv", "Str wv 1", "Str wv 2", "Pad wv", "Digital1", "Digital2",
    "Digital3", "Digital4", "Digital5", "Saw 1", "Saw 2", "Saw 3", "Saw 4", "Square 1", "Square 2", "Square 3",
    "Square 4", "Pulse 1", "Pulse 2", "Pulse 3", "Pulse 4", "Pulse 5", "Pulse 6", "Triangle", "Sin 8'",
    "Sin8'+4'", "SEQ 1", "SEQ 1", "SEQ 2", "SEQ 3", "SEQ 4", "SEQ 5", "SEQ 6", "SEQ 7", "Drum Set"
};

// Where the SY-35 names a wave otherwise.
struct WaveRename {
    int wave;
    std::string_view first;
    std::string_view second;
};
inline constexpr std::array<WaveRename, 15> kSy35Renames{{
    {8, "Reed", "Bandneon"},   {14, "BrasAtak", "Bras Ens"}, {45, "Ooo!", "Choir pa"},   {50, "Toms", "Tom"},
    {54, "Claps", "ThumbStr"}, {55, "Hit", "Syn Pad"},       {57, "Mix", "SynLead1"},    {58, "Sync", "SynLead2"},
    {60, "Styroll", "Sweep"},  {61, "DigiAtak", "HumanAtk"}, {64, "Oh Hit", "Pops Hit"}, {65, "Water 1", "NoisPad1"},
    {66, "Water 2", "NoisPad2"}, {67, "Stream", "NoisPad3"}, {71, "Tear", "BottlOpn"},
}};

constexpr std::array<std::string_view, 128> sy35WaveNames()
{
    std::array<std::string_view, 128> names = kAwmWaveNames;
    for (const WaveRename& r : kSy35Renames)
        names[static_cast<std::size_t>(r.wave)] = r.second;
    return names;
}
// The waves as the SY-35 names them.
inline constexpr std::array<std::string_view, 128> kSy35WaveNames = sy35WaveNames();

static_assert([] {
    for (const WaveRename& r : kSy35Renames)
        if (kAwmWaveNames[static_cast<std::size_t>(r.wave)] != r.first)
            return false;
    return true;
}());
static_assert(kAwmWaveNames[119] == "SEQ 1" && kAwmWaveNames[120] == "SEQ 1" && kAwmWaveNames[121] == "SEQ 2"
              && kAwmWaveNames[126] == "SEQ 7" && kAwmWaveNames[127] == "Drum Set");

// A wave's preset envelope as the window shows it (levels 0 silent to 127
// loudest); its level scaling is always 0.
struct AwmPresetEnvelope {
    std::uint8_t initialLevel, attackLevel, decay1Level, decay2Level;
    std::uint8_t attackRate, decay1Rate, decay2Rate, releaseRate;
    std::uint8_t rateScaling;
    FactSource source;
};

// Rows from the documentation are the instrument's own presets; observed
// rows were read from voices that keep their wave's preset. The other rows
// are this program's own choice, made to suit each wave: pianos,
// plucked, mallet and drum waves decay to silence, organs, strings, pads and
// single-cycle waves sustain, brass and winds swell in and hold.
inline constexpr std::array<AwmPresetEnvelope, 128> kAwmPresetEnvelopes{{
    { 87, 127, 127,   0,  63,   0,  13,  30,   2, kDocumented},  //   0 Piano
    {  0, 127, 111,   0,  63,  19,  12,  39,   2, kDocumented},  //   1 E Piano
    {  0, 127, 110,   0,  63,  22,  14,  36,   2, kOwnChoice},  //   2 Clavi
    {  0, 127, 112,   0,  63,  18,  12,  38,   2, kOwnChoice},  //   3 Cembalo
    {  0, 127, 105,   0,  63,  24,  16,  34,   2, kOwnChoice},  //   4 Celesta
    {  0, 123, 123, 123,  63,   0,   0,  33,   0, kDocumented},  //   5 P Organ
    {  0, 124, 124, 124,  63,   0,   0,  34,   0, kOwnChoice},  //   6 E Organ1
    {  0, 122, 122, 122,  63,   0,   0,  35,   0, kOwnChoice},  //   7 E Organ2
    {  0, 124, 124, 124,  60,   0,   0,  36,   0, kDocumented},  //   8 Reed
    { 70, 121, 118, 118,  56,  22,   0,  36,   1, kOwnChoice},  //   9 Trumpet
    { 81, 119, 117, 117,  63,  20,   0,  35,   1, kDocumented},  //  10 Mute Trp
    { 60, 120, 117, 117,  52,  20,   0,  34,   1, kOwnChoice},  //  11 Trombone
    { 50, 119, 117, 117,  48,  18,   0,  33,   1, kOwnChoice},  //  12 Flugel
    { 40, 118, 116, 116,  44,  16,   0,  32,   1, kOwnChoice},  //  13 Fr Horn
    { 90, 127, 100,   0,  63,  26,  20,  38,   1, kOwnChoice},  //  14 BrasAtak
    { 60, 122, 118, 118,  50,  20,   0,  36,   1, kOwnChoice},  //  15 SynBrass
    {  0, 120, 118, 118,  50,  10,   0,  34,   0, kOwnChoice},  //  16 Flute
    {  0, 121, 120, 120,  55,   8,   0,  35,   0, kOwnChoice},  //  17 Clarinet
    {  0, 121, 119, 119,  56,  10,   0,  35,   0, kOwnChoice},  //  18 Oboe
    { 40, 122, 119, 119,  58,  14,   0,  36,   1, kOwnChoice},  //  19 Sax
    {  0, 127, 108,   0,  63,  24,  18,  38,   2, kOwnChoice},  //  20 Gut
    {  0, 127, 110,   0,  63,  22,  16,  40,   2, kOwnChoice},  //  21 Steel
    {  0, 127, 112,   0,  63,  20,  14,  40,   2, kOwnChoice},  //  22 E Gtr 1
    {  0, 127, 110,   0,  63,  20,  15,  40,   2, kOwnChoice},  //  23 E Gtr 2
    {  0, 127,  95,   0,  63,  32,  30,  44,   2, kOwnChoice},  //  24 Mute Gtr
    {  0, 127, 112,   0,  63,  18,  12,  40,   2, kOwnChoice},  //  25 Sitar
    {  0, 127, 100,   0,  63,  28,  22,  38,   3, kOwnChoice},  //  26 Pluck 1
    {  0, 127,  98,   0,  63,  30,  24,  38,   3, kOwnChoice},  //  27 Pluck 2
    {  0, 127, 112,   0,  63,  20,  16,  42,   2, kOwnChoice},  //  28 Wood B 1
    {  0, 127, 110,   0,  63,  22,  17,  42,   2, kOwnChoice},  //  29 Wood B 2
    {  0, 127, 115,   0,  63,  18,  12,  44,   2, kOwnChoice},  //  30 E Bass 1
    {  0, 127, 114,   0,  63,  18,  13,  44,   2, kOwnChoice},  //  31 E Bass 2
    {  0, 127, 113,   0,  63,  19,  13,  44,   2, kOwnChoice},  //  32 E Bass 3
    {  0, 127, 112,   0,  63,  20,  14,  44,   2, kOwnChoice},  //  33 E Bass 4
    {  0, 127, 105,   0,  63,  26,  18,  44,   2, kOwnChoice},  //  34 Slap
    {  0, 127, 116,  60,  63,  16,  10,  42,   1, kOwnChoice},  //  35 Fretless
    {  0, 127, 110,  90,  63,  20,   8,  44,   1, kOwnChoice},  //  36 SynBass1
    {  0, 127, 108,  85,  63,  22,  10,  44,   1, kOwnChoice},  //  37 SynBass2
    {  0, 124, 122, 122,  36,  12,   0,  28,   1, kOwnChoice},  //  38 Strings
    {117, 125, 122, 122,  32,  16,   0,  26,   1, kObserved},  //  39 Vn Ens
    {  0, 123, 121, 121,  40,  12,   0,  30,   1, kOwnChoice},  //  40 Cello
    {  0, 127, 100,   0,  63,  30,  24,  36,   2, kOwnChoice},  //  41 Pizz
    {  0, 123, 123, 123,  34,   0,   0,  30,   0, kOwnChoice},  //  42 Syn Str
    {  0, 122, 122, 122,  30,   0,   0,  26,   0, kOwnChoice},  //  43 Choir
    {  0, 121, 121, 121,  28,   0,   0,  24,   0, kOwnChoice},  //  44 Itopia
    {  0, 121, 120, 120,  34,   6,   0,  28,   0, kOwnChoice},  //  45 Ooo!
    {  0, 127, 110,   0,  63,  18,  12,  34,   2, kOwnChoice},  //  46 Vibes
    {  0, 127,  95,   0,  63,  30,  24,  36,   2, kOwnChoice},  //  47 Marimba
    {  0, 127, 112,   0,  63,  14,  10,  30,   1, kOwnChoice},  //  48 Bells
    {  0, 127, 105,   0,  63,  22,  18,  34,   2, kOwnChoice},  //  49 Timpani
    {  0, 127, 100,   0,  63,  28,  24,  40,   2, kOwnChoice},  //  50 Toms
    {  0, 127, 102,   0,  63,  26,  22,  40,   2, kOwnChoice},  //  51 E Tom
    {  0, 127, 105,   0,  63,  26,  20,  40,   2, kOwnChoice},  //  52 Cuica
    {  0, 120, 118, 118,  58,  10,   0,  40,   0, kOwnChoice},  //  53 Whistle
    {  0, 127,  90,   0,  63,  34,  30,  44,   2, kOwnChoice},  //  54 Claps
    {  0, 127, 100,   0,  63,  24,  20,  36,   1, kOwnChoice},  //  55 Hit
    {  0, 120, 120, 120,  16,   0,   0,  18,   0, kObserved},  //  56 Harmonic
    {  0, 123, 121, 121,  50,  10,   0,  34,   0, kOwnChoice},  //  57 Mix
    {  0, 124, 122, 122,  60,  10,   0,  36,   0, kOwnChoice},  //  58 Sync
    {  0, 127, 110,   0,  63,  16,  12,  32,   1, kOwnChoice},  //  59 Bell Mix
    {  0, 122, 120, 120,  30,   8,   0,  30,   0, kOwnChoice},  //  60 Styroll
    {  0, 127, 100,   0,  63,  30,  26,  40,   1, kOwnChoice},  //  61 DigiAtak
    {  0, 120, 120, 120,  63,   0,   0,  40,   0, kOwnChoice},  //  62 Noise 1
    {  0, 118, 118, 118,  60,   0,   0,  40,   0, kOwnChoice},  //  63 Noise 2
    {  0, 127, 105,   0,  63,  22,  18,  38,   1, kOwnChoice},  //  64 Oh Hit
    {  0, 120, 120, 120,  40,   0,   0,  36,   0, kOwnChoice},  //  65 Water 1
    {  0, 119, 119, 119,  42,   0,   0,  36,   0, kOwnChoice},  //  66 Water 2
    {  0, 118, 118, 118,  36,   0,   0,  34,   0, kOwnChoice},  //  67 Stream
    {  0, 127, 105,   0,  63,  24,  20,  40,   1, kOwnChoice},  //  68 Coin
    {  0, 127, 115,   0,  63,  14,  10,  32,   1, kOwnChoice},  //  69 Crash
    {  0, 127, 100,   0,  63,  26,  22,  40,   1, kOwnChoice},  //  70 Bottle
    {  0, 124, 120,   0,  63,  18,  14,  40,   1, kOwnChoice},  //  71 Tear
    {  0, 127,  95,   0,  63,  32,  28,  44,   1, kOwnChoice},  //  72 Cracker
    {  0, 124, 118, 118,  60,  12,   0,  40,   0, kOwnChoice},  //  73 Scratch
    {  0, 127, 112,   0,  63,  16,  12,  32,   1, kOwnChoice},  //  74 Metal 1
    {  0, 127, 110,   0,  63,  18,  13,  32,   1, kOwnChoice},  //  75 Metal 2
    {  0, 127, 108,   0,  63,  18,  14,  34,   1, kOwnChoice},  //  76 Metal 3
    {  0, 127, 106,   0,  63,  20,  15,  34,   1, kOwnChoice},  //  77 Metal 4
    {  0, 127,  95,   0,  63,  32,  28,  44,   2, kOwnChoice},  //  78 Wood
    {  0, 127,  98,   0,  63,  30,  26,  42,   2, kOwnChoice},  //  79 Bamboo
    {  0, 127, 100,   0,  63,  28,  24,  44,   2, kOwnChoice},  //  80 Slam
    {  0, 121, 119, 119,  52,  14,   0,  34,   1, kOwnChoice},  //  81 Tp Body
    {  0, 120, 118, 118,  48,  14,   0,  33,   1, kOwnChoice},  //  82 Tb Body
    {  0, 119, 117, 117,  44,  12,   0,  32,   1, kOwnChoice},  //  83 HornBody
    {  0, 120, 118, 118,  48,   8,   0,  34,   0, kOwnChoice},  //  84 Fl Body
    {  0, 123, 121, 121,  36,  10,   0,  28,   1, kOwnChoice},  //  85 Str Body
    {  0, 118, 116, 116,  40,   8,   0,  34,   0, kOwnChoice},  //  86 AirBlown
    {  0, 123, 123, 123,  63,   0,   0,  40,   0, kObserved},  //  87 Reverse1
    {  0, 127, 127, 127,  63,   0,   0,  40,   0, kObserved},  //  88 Reverse2
    {  0, 125, 125, 125,  63,   0,   0,  40,   0, kOwnChoice},  //  89 Reverse3
    {  0, 127, 108,   0,  63,  20,  13,  38,   2, kOwnChoice},  //  90 EP wv
    {  0, 123, 123, 123,  63,   0,   0,  34,   0, kOwnChoice},  //  91 Organ wv
    { 60, 120, 118, 118,  56,  20,   0,  35,   1, kOwnChoice},  //  92 M Tp wv
    {  0, 127, 108,   0,  63,  22,  16,  40,   2, kOwnChoice},  //  93 Gtr wv
    {  0, 123, 121, 121,  36,  10,   0,  28,   1, kOwnChoice},  //  94 Str wv 1
    {  0, 122, 121, 121,  34,  10,   0,  28,   1, kOwnChoice},  //  95 Str wv 2
    {  0, 121, 121, 121,  28,   0,   0,  24,   0, kOwnChoice},  //  96 Pad wv
    {  0, 124, 122, 122,  63,   8,   0,  36,   0, kOwnChoice},  //  97 Digital1
    {  0, 124, 121, 121,  63,  10,   0,  36,   0, kOwnChoice},  //  98 Digital2
    {  0, 123, 121, 121,  62,  10,   0,  36,   0, kOwnChoice},  //  99 Digital3
    {  0, 123, 120, 120,  60,  12,   0,  36,   0, kOwnChoice},  // 100 Digital4
    {  0, 122, 120, 120,  58,  12,   0,  36,   0, kOwnChoice},  // 101 Digital5
    {  0, 125, 125, 125,  63,   0,   0,  38,   0, kOwnChoice},  // 102 Saw 1
    {  0, 124, 124, 124,  63,   0,   0,  38,   0, kOwnChoice},  // 103 Saw 2
    {  0, 123, 123, 123,  63,   0,   0,  38,   0, kOwnChoice},  // 104 Saw 3
    {  0, 122, 122, 122,  63,   0,   0,  38,   0, kOwnChoice},  // 105 Saw 4
    {  0, 124, 124, 124,  63,   0,   0,  36,   0, kOwnChoice},  // 106 Square 1
    {  0, 123, 123, 123,  63,   0,   0,  36,   0, kOwnChoice},  // 107 Square 2
    {  0, 122, 122, 122,  63,   0,   0,  36,   0, kOwnChoice},  // 108 Square 3
    {  2, 114, 114, 114,  33,   0,   0,  35,   0, kObserved},  // 109 Square 4
    {  0, 124, 124, 124,  63,   0,   0,  36,   0, kOwnChoice},  // 110 Pulse 1
    {  0, 123, 123, 123,  63,   0,   0,  36,   0, kOwnChoice},  // 111 Pulse 2
    {  0, 122, 122, 122,  63,   0,   0,  36,   0, kOwnChoice},  // 112 Pulse 3
    {  0, 121, 121, 121,  63,   0,   0,  36,   0, kOwnChoice},  // 113 Pulse 4
    {  0, 120, 120, 120,  63,   0,   0,  36,   0, kOwnChoice},  // 114 Pulse 5
    {  0, 119, 119, 119,  63,   0,   0,  36,   0, kOwnChoice},  // 115 Pulse 6
    {  0, 125, 125, 125,  63,   0,   0,  36,   0, kOwnChoice},  // 116 Triangle
    {  0, 125, 125, 125,  63,   0,   0,  36,   0, kOwnChoice},  // 117 Sin 8'
    {  0, 124, 124, 124,  63,   0,   0,  36,   0, kOwnChoice},  // 118 Sin8'+4'
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 119 SEQ 1
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 120 SEQ 1
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 121 SEQ 2
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 122 SEQ 3
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 123 SEQ 4
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 124 SEQ 5
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kOwnChoice},  // 125 SEQ 6
    {  0, 123, 123, 123,  28,   0,   0,  22,   0, kDocumented},  // 126 SEQ 7
    {  0, 123, 123, 123,  63,   0,   0,  33,   0, kDocumented},  // 127 Drum Set
}};

constexpr bool presetsWithinBounds()
{
    for (const AwmPresetEnvelope& e : kAwmPresetEnvelopes) {
        if (e.initialLevel > 117 || e.attackLevel < 111 || e.attackLevel > 127 || e.decay1Level < 85
            || e.decay1Level > 127 || e.decay2Level > 127 || e.attackRate < 16 || e.attackRate > 63
            || e.decay1Rate > 34 || e.decay2Rate > 40 || e.releaseRate < 12 || e.releaseRate > 63 || e.rateScaling > 4)
            return false;
    }
    return true;
}
static_assert(presetsWithinBounds());

} // namespace morvane
