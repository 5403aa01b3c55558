#include "VoiceTransforms.h"

#include "VoiceFields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace morvane {

namespace {

constexpr int kLongestStep = kStepRepeat - 1;

bool isStepMarker(int value)
{
    return value == kStepRepeat || value == kStepEnd;
}

// The six envelopes of a voice, for working out their peak stage again.
std::array<EnvelopeParams*, 6> envelopes(VoiceParameters& v)
{
    return {&v.elementA.envelope,           &v.elementB.modulator.envelope, &v.elementB.carrier.envelope,
            &v.elementC.envelope,           &v.elementD.modulator.envelope, &v.elementD.carrier.envelope};
}

bool sameLevels(const EnvelopeParams& x, const EnvelopeParams& y)
{
    return x.initialLevel == y.initialLevel && x.attackLevel == y.attackLevel && x.decay1Level == y.decay1Level
           && x.decay2Level == y.decay2Level;
}

// An envelope whose levels differ from those of the voice it came from gets
// its peak stage worked out again; one that kept them keeps its own.
void updatePeakStages(VoiceParameters& voice, const VoiceParameters& source)
{
    VoiceParameters copy = source;
    const auto changed = envelopes(voice);
    const auto original = envelopes(copy);
    for (std::size_t i = 0; i < changed.size(); ++i)
        if (!sameLevels(*changed[i], *original[i]))
            updatePeakStage(*changed[i]);
}

// The walk over one voice keeps the path of groups it is in, so a field is
// known by where it lives: "level" is an element's output level in an AWM
// element or an FM carrier, but a modulation depth in an FM modulator.
struct PathWalk {
    std::vector<std::string_view> groups;

    void group(const char* name, auto body)
    {
        groups.emplace_back(name);
        body();
        groups.pop_back();
    }
    bool inGroup(std::string_view name) const { return std::find(groups.begin(), groups.end(), name) != groups.end(); }

    unsigned part() const
    {
        const std::string_view top = groups.empty() ? std::string_view{} : groups.front();
        if (top == "common")
            return kPartCommon;
        if (top == "elementA")
            return kPartElementA;
        if (top == "elementB")
            return kPartElementB;
        if (top == "elementC")
            return kPartElementC;
        if (top == "elementD")
            return kPartElementD;
        return kPartVectors;  // the two vectors and, outside any group, their speeds
    }

    // A level that randomise keeps audible.
    bool keptAudible(std::string_view name) const
    {
        return name == "attackLevel" || (name == "level" && !inGroup("modulator"));
    }
};

// Rounds numerator / 100 to the nearest whole number, halves away from zero.
int roundHundredths(long long numerator)
{
    return static_cast<int>(numerator >= 0 ? (numerator + 50) / 100 : -((-numerator + 50) / 100));
}

struct Randomiser : PathWalk {
    int amount;
    unsigned parts;
    std::mt19937 rng;

    // Up to amount % of `range` either way. The draw uses the generator's raw
    // output only, which the standard fixes, so a seed gives the same voice
    // with every compiler.
    int offset(int range)
    {
        const long long reach = static_cast<long long>(amount) * range;  // in hundredths
        const long long draw = static_cast<long long>(rng() % static_cast<unsigned long long>(2 * reach + 1)) - reach;
        return roundHundredths(draw);
    }

    template <typename T>
    void field(std::string_view name, T& value, int min, int max)
    {
        if ((parts & part()) == 0 || fieldKind(name, min, max) == FieldKind::Derived)
            return;
        int high = max;
        if (keptAudible(name))
            high = std::max<int>(value, std::min(max, kQuietestRandomLevel));
        value = static_cast<T>(std::clamp(value + offset(max - min), min, high));
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(std::string_view name, T* values, int count, int min, int max)
    {
        for (int i = 0; i < count; ++i) {
            if (name != "stepTime")
                field(name, values[i], min, max);
            else if (!isStepMarker(values[i]))
                field(name, values[i], min, kLongestStep);
        }
    }
};

// Rounds numerator / denominator (above 0) to the nearest whole number,
// halves away from zero.
int roundRatio(long long numerator, long long denominator)
{
    return static_cast<int>(numerator >= 0 ? (2 * numerator + denominator) / (2 * denominator)
                                           : -((-2 * numerator + denominator) / (2 * denominator)));
}

// Weighs up to four voices. Walks the result voice, which starts as a copy
// of the heaviest one, and reads the same field of each voice at the same
// place in its record. Only voices of some weight are held.
struct Weigher : PathWalk {
    VoiceParameters& out;
    const VoiceParameters* const* voices;
    const long long* weights;
    std::size_t count;
    long long total;

    template <typename T>
    const T& same(const VoiceParameters& other, const T& value) const
    {
        const std::size_t at = static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&value)
                                                        - reinterpret_cast<const unsigned char*>(&out));
        return *reinterpret_cast<const T*>(reinterpret_cast<const unsigned char*>(&other) + at);
    }
    template <typename T>
    void weigh(T& value, int min, int max)
    {
        long long sum = 0;
        for (std::size_t i = 0; i < count; ++i)
            sum += static_cast<long long>(same(*voices[i], value)) * weights[i];
        value = static_cast<T>(std::clamp(roundRatio(sum, total), min, max));
    }
    template <typename T>
    bool anyMarker(const T& value) const
    {
        for (std::size_t i = 0; i < count; ++i)
            if (isStepMarker(same(*voices[i], value)))
                return true;
        return false;
    }

    template <typename T>
    void field(std::string_view name, T& value, int min, int max)
    {
        if (fieldKind(name, min, max) == FieldKind::Number)
            weigh(value, min, max);
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(std::string_view name, T* values, int count_, int min, int max)
    {
        for (int i = 0; i < count_; ++i) {
            if (name != "stepTime")
                weigh(values[i], min, max);
            else if (!anyMarker(values[i]))
                weigh(values[i], min, kLongestStep);
        }
    }
};

// The one weighing behind blend and morph: numbers are the weighted mean,
// rounded (halves away from zero) and kept in range; choices, the vectors'
// markers and the name come from the heaviest voice, the first of equals.
// A voice that carries the whole weight is given back unchanged, also where
// a field lies outside its range (the reset voice's vector speeds are 0).
VoiceParameters weighVoices(const std::array<const VoiceParameters*, 4>& all,
                            const std::array<long long, 4>& allWeights, std::size_t count)
{
    std::array<const VoiceParameters*, 4> voices{};
    std::array<long long, 4> weights{};
    std::size_t held = 0;
    std::size_t heaviest = 0;
    long long total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (allWeights[i] <= 0)
            continue;
        voices[held] = all[i];
        weights[held] = allWeights[i];
        if (weights[held] > weights[heaviest])
            heaviest = held;
        total += allWeights[i];
        ++held;
    }
    if (held == 1)
        return *voices[0];
    VoiceParameters out = *voices[heaviest];
    Weigher weigher{{}, out, voices.data(), weights.data(), held, total};
    visitVoice(out, weigher);
    updatePeakStages(out, *voices[heaviest]);
    return out;
}

} // namespace

FieldKind fieldKind(std::string_view name, int min, int max)
{
    const detail::RowFacts facts = fieldFacts(name);
    if (facts.found())
        return facts.kind;
    return max - min == 1 ? FieldKind::Choice : FieldKind::Number;
}

void randomiseVoice(VoiceParameters& voice, int amount, unsigned parts, std::uint32_t seed)
{
    const VoiceParameters before = voice;
    Randomiser randomiser{{}, std::clamp(amount, 0, 100), parts, std::mt19937(seed)};
    visitVoice(voice, randomiser);
    updatePeakStages(voice, before);
}

VoiceParameters blendVoices(const VoiceParameters& a, const VoiceParameters& b, int mix)
{
    mix = std::clamp(mix, 0, 100);
    return weighVoices({&a, &b, nullptr, nullptr}, {100 - mix, mix, 0, 0}, 2);
}

VoiceParameters morphVoices(const VoiceParameters& a, const VoiceParameters& b, const VoiceParameters& c,
                            const VoiceParameters& d, double x, double y)
{
    const auto steps = [](double t) {
        return std::isfinite(t) ? std::clamp<long long>(std::llround(t * kMorphSteps), 0, kMorphSteps) : 0;
    };
    const long long across = steps(x);
    const long long up = steps(y);
    return weighVoices({&a, &b, &c, &d},
                       {(kMorphSteps - across) * (kMorphSteps - up), across * (kMorphSteps - up),
                        (kMorphSteps - across) * up, across * up},
                       4);
}

} // namespace morvane
