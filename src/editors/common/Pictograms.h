// The small pictures beside the editors' track bars: each a yellow line on a
// grey ground in a dark frame, 33 × 17 pixels, drawn by the program from a
// polyline in the picture's own pixels (x 0-32 left to right, y 0-16 top to
// bottom).
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <initializer_list>

class QPixmap;

namespace morvane {

inline constexpr int kPictogramWidth = 33;
inline constexpr int kPictogramHeight = 17;

struct Pictogram {
    static constexpr int kMaxPoints = 12;
    int count = 0;
    std::array<std::array<std::int8_t, 2>, kMaxPoints> points{};

    constexpr Pictogram() = default;
    constexpr Pictogram(std::initializer_list<std::array<std::int8_t, 2>> line)
    {
        for (const auto& p : line)
            if (count < kMaxPoints)
                points[static_cast<std::size_t>(count++)] = p;
        if (line.size() < 2 || line.size() > kMaxPoints)
            throw "a pictogram is a line of 2 to 12 points";
    }
    constexpr bool inside() const
    {
        for (int i = 0; i < count; ++i) {
            const auto& p = points[static_cast<std::size_t>(i)];
            if (p[0] < 1 || p[0] > kPictogramWidth - 2 || p[1] < 1 || p[1] > kPictogramHeight - 2)
                return false;
        }
        return true;
    }
};

template <std::size_t N>
constexpr bool allInside(const std::array<Pictogram, N>& pictures)
{
    for (const Pictogram& p : pictures)
        if (!p.inside())
            return false;
    return true;
}

// Under a response track bar: its left end, middle and right end.
inline constexpr std::array<Pictogram, 3> kVelocityPictograms{{
    {{3, 4}, {16, 4}, {16, 12}, {29, 12}},  // steps down
    {{3, 8}, {29, 8}},                      // flat
    {{3, 12}, {16, 12}, {16, 4}, {29, 4}},  // steps up
}};
inline constexpr std::array<Pictogram, 3> kAftertouchPictograms{{
    {{3, 4}, {29, 12}},  // falls
    {{3, 8}, {29, 8}},   // flat
    {{3, 12}, {29, 4}},  // rises
}};

// Beside the LFO waveform bar, positions 0 to 4. The AWM element's random
// wave is an irregular line, the FM element's a random step wave.
inline constexpr Pictogram kFallingSaw{{3, 4}, {11, 12}, {11, 4}, {20, 12}, {20, 4}, {29, 12}};
inline constexpr Pictogram kTriangle{{3, 12}, {9, 4}, {16, 12}, {22, 4}, {29, 12}};
inline constexpr Pictogram kSquare{{3, 12}, {3, 4}, {10, 4}, {10, 12}, {16, 12}, {16, 4}, {23, 4}, {23, 12}, {29, 12}};
inline constexpr Pictogram kRandomLine{{3, 9}, {6, 4}, {9, 11}, {12, 6}, {15, 13}, {18, 5}, {21, 10}, {24, 3}, {27, 12}, {29, 7}};
inline constexpr Pictogram kRandomSteps{{3, 9}, {7, 9}, {7, 4}, {11, 4}, {11, 12}, {15, 12}, {15, 6}, {19, 6}, {19, 10}, {23, 10}, {23, 5}, {29, 5}};
inline constexpr Pictogram kRisingSaw{{3, 12}, {11, 4}, {11, 12}, {20, 4}, {20, 12}, {29, 4}};
inline constexpr std::array<Pictogram, 5> kAwmLfoPictograms{kFallingSaw, kTriangle, kSquare, kRandomLine, kRisingSaw};
inline constexpr std::array<Pictogram, 5> kFmLfoPictograms{kFallingSaw, kTriangle, kSquare, kRandomSteps, kRisingSaw};

// Beside the rate scaling bar, positions 0 to 7 from the top.
inline constexpr std::array<Pictogram, 8> kRateScalingPictograms{{
    {{3, 6}, {29, 6}},                      // flat
    {{3, 6}, {24, 6}, {29, 10}},            // short fall at the right end
    {{3, 6}, {18, 6}, {29, 12}},            // longer fall at the right end
    {{3, 6}, {29, 10}},                     // gentle fall across
    {{3, 4}, {29, 13}},                     // steeper fall across
    {{3, 5}, {16, 5}, {21, 13}, {29, 13}},  // flat, then a steep fall from the middle
    {{3, 10}, {8, 5}, {29, 5}},             // short rise at the left, then flat
    {{3, 13}, {14, 5}, {29, 5}},            // longer rise at the left, then flat
}};

// Beside the level scaling bar, positions 0 to 15 from the top.
inline constexpr std::array<Pictogram, 16> kLevelScalingPictograms{{
    {{3, 6}, {29, 6}},                               // flat
    {{3, 6}, {24, 6}, {29, 10}},                     // short fall at the right end
    {{3, 6}, {18, 6}, {29, 11}},                     // longer fall
    {{3, 5}, {25, 5}, {28, 14}, {29, 14}},           // steep fall to the bottom at the right end
    {{3, 5}, {16, 5}, {29, 12}},                     // flat, then a fall from the middle
    {{3, 5}, {16, 5}, {29, 9}},                      // flat, then a gentle fall from the middle
    {{3, 5}, {29, 10}},                              // gentle fall across
    {{3, 3}, {29, 13}},                              // steeper fall across
    {{3, 5}, {20, 5}, {24, 6}, {27, 9}, {29, 13}},   // flat, then a curved fall at the right end
    {{3, 13}, {6, 5}, {29, 5}},                      // steep rise at the left, then flat
    {{3, 12}, {29, 4}},                              // rise across
    {{3, 12}, {9, 5}, {23, 5}, {29, 12}},            // rise, flat, fall
    {{3, 12}, {12, 12}, {20, 4}, {29, 4}},           // low, rising in the middle, high
    {{3, 4}, {12, 4}, {20, 12}, {29, 12}},           // high, falling in the middle, low
    {{3, 12}, {16, 12}, {16, 4}, {29, 4}},           // low, a step up in the middle
    {{3, 4}, {16, 4}, {16, 12}, {29, 12}},           // high, a step down in the middle
}};

static_assert(allInside(kVelocityPictograms) && allInside(kAftertouchPictograms));
static_assert(allInside(kAwmLfoPictograms) && allInside(kFmLfoPictograms));
static_assert(allInside(kRateScalingPictograms) && allInside(kLevelScalingPictograms));

QPixmap drawPictogram(const Pictogram& pictogram);

// A column of pictograms beside a vertical bar, one per position, or a row
// of three under a horizontal bar (left end, middle, right end).
template <std::size_t N>
QWidget* pictogramStrip(const std::array<Pictogram, N>& pictures, Qt::Orientation orientation, QWidget* parent);
QWidget* pictogramStrip(const Pictogram* pictures, std::size_t count, Qt::Orientation orientation, QWidget* parent);

template <std::size_t N>
QWidget* pictogramStrip(const std::array<Pictogram, N>& pictures, Qt::Orientation orientation, QWidget* parent)
{
    return pictogramStrip(pictures.data(), N, orientation, parent);
}

} // namespace morvane
