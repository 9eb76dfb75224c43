#pragma once
// Where the themed hard games put their things. The screens lay themselves out from these, and the
// demo content draws its scenes (the car park, the prize stall, the shelf, the map) to agree.
#include "core/Surface.h"

#include <array>

namespace parlora::ThemedHardLayout {

// Colours: the colour buttons in two columns (colours 1 to 6 on the left, 7 to 12 on the right),
// the large car and the twelve places of the car park.
constexpr std::array<int, 2> kColourButtonLefts{45, 139};
constexpr std::array<int, 6> kColourButtonTops{126, 218, 311, 403, 496, 588};
constexpr int kColourButtonW = 95, kColourButtonH = 93;
constexpr Rect kBigCar{321, 97, 367, 248};
constexpr int kSmallCarW = 90, kSmallCarH = 60;
constexpr std::array<std::array<int, 2>, 12> kCarPlaces{{
    {300, 392},
    {410, 392},
    {520, 392},
    {630, 392},
    {300, 484},
    {410, 484},
    {520, 484},
    {630, 484},
    {300, 576},
    {410, 576},
    {520, 576},
    {630, 576},
}};
constexpr Rect ColourButton(int colour) {
    return {kColourButtonLefts[size_t((colour - 1) / 6)], kColourButtonTops[size_t((colour - 1) % 6)],
            kColourButtonW, kColourButtonH};
}

// Numbers: the twenty number areas of the stall (1 to 10 on the upper counter, 11 to 20 on the
// lower), the prizes' home shelf, the spinner, the bottle and its cork.
constexpr int kNumberAreaW = 46, kNumberAreaH = 60;
constexpr Rect NumberArea(int n) {
    return {266 + 50 * ((n - 1) % 10), (n - 1) / 10 == 0 ? 300 : 420, kNumberAreaW, kNumberAreaH};
}
constexpr int kPrizeSize = 64;
constexpr Rect PrizeHome(int n) {
    return {190 + 66 * (n - 1), 100, kPrizeSize, kPrizeSize};
}
constexpr Rect kSpinner{437, 190, 150, 93};
constexpr Rect kBottle{780, 60, 60, 160};
constexpr Rect kCork{795, 32, 30, 30};

// Time: the four clocks, the small clocks and the shelf they stand on.
constexpr int kClockW = 106, kClockH = 111;
constexpr std::array<int, 4> kClockLefts{258, 390, 522, 654};
constexpr int kClockTop = 215;
constexpr int kSmallClockSize = 64;
constexpr int kShelfLeft = 240, kShelfRight = 771, kShelfY = 536;

// Countries: the flags and their buttons, the pins' tray, the arm and its mask.
constexpr int kFlagW = 135, kFlagH = 80;
constexpr std::array<int, 4> kFlagLefts{228, 386, 544, 702};
constexpr int kFlagTop = 110, kFlagButtonTop = 194, kFlagButtonH = 34;
constexpr int kPinW = 20, kPinH = 40;
constexpr Rect TrayPin(int n) {
    return {300 + 26 * (n - 1), 632, kPinW, kPinH};
}
constexpr int kArmHand = 94; // the arm's hand is this far right of its left edge
constexpr int kArmW = 188, kArmH = 300, kArmRestTop = 680;
constexpr Rect kArmMask{273, 676, 300, 92};
// Where the pin of each country goes, items 1 to 24: its left and top. The pin's point is at the
// middle of its bottom edge, which is where the map shows the country.
constexpr std::array<std::array<int, 2>, 24> kPinPoints{{
    {643, 507}, {405, 390}, {610, 427}, {509, 397}, {530, 434}, {520, 387}, {503, 408}, {515, 406},
    {523, 420}, {524, 412}, {585, 440}, {539, 428}, {515, 418}, {639, 417}, {671, 532}, {506, 387},
    {492, 417}, {546, 394}, {497, 417}, {515, 382}, {507, 401}, {532, 418}, {496, 399}, {400, 415},
}};

// The clock-strip frame that shows time item 1 to 36.
constexpr std::array<int, 36> kClockFrames{0,  3,  6,  9,  12, 15, 18, 21, 24, 27, 30, 33,
                                           13, 7,  16, 4,  19, 22, 1,  25, 28, 31, 23, 26,
                                           10, 29, 34, 14, 32, 20, 35, 17, 2,  5,  8,  11};
constexpr int ClockFrameOf(int item) {
    return item >= 1 && item <= 36 ? kClockFrames[size_t(item - 1)] : 0;
}

} // namespace parlora::ThemedHardLayout
