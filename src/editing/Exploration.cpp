#include "Exploration.h"

#include "VoiceTransforms.h"

#include <algorithm>
#include <random>

namespace morvane {

namespace {

// A whole number from `low` to `high` from the generator's raw output, which
// the standard fixes, so a seed gives the same voices with every compiler.
int draw(std::mt19937& rng, int low, int high)
{
    return low + static_cast<int>(rng() % static_cast<std::uint32_t>(high - low + 1));
}

} // namespace

Exploration::Exploration(const VoiceParameters& start, int amount, std::uint32_t seed,
                         std::vector<VoiceParameters> mates)
    : mates_(std::move(mates)), seed_(seed)
{
    rounds_.push_back(make({&start}, std::clamp(amount, 1, 100)));
}

bool Exploration::next(const std::vector<int>& parents)
{
    std::vector<int> taken;
    std::vector<const VoiceParameters*> chosen;
    for (const int i : parents)
        if (i >= 0 && i < kVariations && std::find(taken.begin(), taken.end(), i) == taken.end()) {
            taken.push_back(i);
            chosen.push_back(&variations()[static_cast<std::size_t>(i)]);
        }
    if (chosen.empty())
        return false;
    Round round = make(chosen, std::max(1, amount() * kNarrowing / 100));
    rounds_.push_back(std::move(round));
    return true;
}

bool Exploration::back()
{
    if (rounds_.size() < 2)
        return false;
    rounds_.pop_back();
    return true;
}

Exploration::Round Exploration::make(const std::vector<const VoiceParameters*>& parents, int amount) const
{
    // Each round draws from the seed and its own number, so going back and
    // on with the same parents gives the same round again.
    std::seed_seq sequence{seed_, static_cast<std::uint32_t>(rounds_.size())};
    std::mt19937 rng(sequence);
    Round round{{}, amount};
    const int count = static_cast<int>(parents.size());
    for (int i = 0; i < kVariations; ++i) {
        // With several parents each variation starts between two of them,
        // the pairs taken in turn.
        const int first = i % count;
        VoiceParameters voice = *parents[static_cast<std::size_t>(first)];
        if (count > 1) {
            const int other = (first + 1 + (i / count) % (count - 1)) % count;
            voice = blendVoices(voice, *parents[static_cast<std::size_t>(other)], draw(rng, 25, 75));
        }
        int moveBy = amount;
        if (!mates_.empty()) {
            const VoiceParameters& mate = mates_[static_cast<std::size_t>(draw(rng, 0, static_cast<int>(mates_.size()) - 1))];
            voice = blendVoices(voice, mate, draw(rng, 1, amount));
            moveBy = std::max(1, amount / 4);  // the blend made the change; a little on top
        }
        randomiseVoice(voice, moveBy, kAllVoiceParts, rng());
        round.variations.push_back(voice);
    }
    return round;
}

} // namespace morvane
