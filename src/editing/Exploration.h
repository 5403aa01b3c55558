// Guided variation: rounds of eight voices around the voices the user chose.
// The first round varies the starting voice; each next round varies the
// parents chosen from the round before (several parents are first blended
// two by two), by a smaller amount each time, so the search narrows as the
// user goes. A variation is either a randomised copy (randomiseVoice) or a
// blend with one of a set of mates, say voices of the library (blendVoices),
// then randomised by a little. Everything is drawn from one seed: the same
// seed, starting voice, mates and choices give the same rounds.
#pragma once

#include "VoiceParameters.h"

#include <cstdint>
#include <vector>

namespace morvane {

class Exploration {
public:
    static constexpr int kVariations = 8;
    // Each round moves by this share (in percent) of the amount of the one
    // before, and never by less than 1 %.
    static constexpr int kNarrowing = 60;

    // `amount` 1-100: how far the first round moves from `start` (see
    // randomiseVoice; for blends, the most of a mate mixed in). With `mates`
    // the variations are blends with them, otherwise randomised.
    Exploration(const VoiceParameters& start, int amount, std::uint32_t seed, std::vector<VoiceParameters> mates = {});

    // The variations of the round shown, and its number (1 for the first).
    const std::vector<VoiceParameters>& variations() const { return rounds_.back().variations; }
    int round() const { return static_cast<int>(rounds_.size()); }
    int amount() const { return rounds_.back().amount; }

    // The next round around the variations numbered in `parents` (0-7);
    // false, and nothing changes, when none is a variation.
    bool next(const std::vector<int>& parents);
    // Back to the round before; false on the first.
    bool back();

private:
    struct Round {
        std::vector<VoiceParameters> variations;
        int amount;
    };
    std::vector<Round> rounds_;
    std::vector<VoiceParameters> mates_;
    std::uint32_t seed_;

    Round make(const std::vector<const VoiceParameters*>& parents, int amount) const;
};

} // namespace morvane
