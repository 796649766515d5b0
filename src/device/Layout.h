#pragma once

#include <array>
#include <cstddef>

namespace kordan {

// Where a control sits in the main window's picture of the controller, in twips (1/1440
// inch): left and top edge, width, height. The picture follows the controls' places on the
// device; the assignment sheet draws the same picture.
struct FieldPlace {
    int left, top, width, height;
};

// Lever i's field at index i - 1; its caption sits 240 twips above it.
inline constexpr std::array<FieldPlace, 7> kLeverPlaces = {{{2115, 4680, 615, 285},
                                                            {3075, 4680, 615, 285},
                                                            {3915, 4680, 615, 285},
                                                            {4875, 4680, 615, 285},
                                                            {4875, 5280, 615, 285},
                                                            {5955, 4680, 615, 285},
                                                            {5955, 5280, 615, 285}}};

// Button k's field at index k - 1: two rows of 14, a pair, a cross, four small ones, four
// more, and "Up" above "Down".
inline constexpr std::array<FieldPlace, 44> kButtonPlaces = [] {
    std::array<FieldPlace, 44> p{};
    for (int i = 0; i < 28; ++i)
        p[size_t(i)] = {300 + 360 * (i % 14), i < 14 ? 5880 : 6240, 255, 285};
    const FieldPlace rest[16] = {
        {5580, 5760, 255, 405}, {5580, 6120, 255, 405}, {6360, 5760, 255, 285},
        {6600, 6000, 255, 285}, {6360, 6240, 255, 285}, {6120, 6000, 255, 285},
        {300, 4320, 255, 195},  {300, 4560, 255, 195},  {840, 4320, 255, 195},
        {840, 4560, 255, 195},  {300, 4920, 255, 285},  {840, 4920, 255, 285},
        {300, 5280, 255, 285},  {840, 5280, 255, 285},  {1620, 4560, 255, 285},
        {1620, 4920, 255, 285}};
    for (int i = 0; i < 16; ++i)
        p[size_t(28 + i)] = rest[i];
    return p;
}();

// The captions "Up" and "Down" beside buttons 43 and 44.
inline constexpr FieldPlace kUpCaption = {1635, 4320, 360, 240};
inline constexpr FieldPlace kDownCaption = {1515, 5280, 480, 240};

} // namespace kordan
