#pragma once
// Where the front screens place the buttons their caption pictures label. The screens lay
// themselves out from these, and the demo content draws its captions beside the same places.
#include "core/Surface.h"

#include <array>

namespace parlora::FrontLayout {

// Start screen: the caption strip along the bottom and the bottom buttons it labels.
constexpr Rect kStartLabels{185, 726, 640, 20};
constexpr Rect kStartBegin{761, 669, 100, 100};
constexpr Rect kStartQuit{24, 700, 60, 60};
constexpr Rect kStartHelp{242, 674, 60, 60};
constexpr Rect kStartChangeLang{486, 670, 60, 60};
// The four optional buttons (records, licence, information, read-me) and their captions.
constexpr int kStartOptionalX = 142, kStartOptionalW = 34, kStartOptionalH = 36;
constexpr std::array<int, 4> kStartOptionalY{278, 315, 351, 389};
constexpr Rect kStartOptionalCaptions{176, 258, 108, 184};

// Main menu: the picture under the sections and the top-left corners of the nine sections.
constexpr Rect kMenuPicture{234, 83, 555, 551};
constexpr int kMenuSectionW = 119, kMenuSectionH = 118;
constexpr std::array<std::array<int, 2>, 9> kMenuSectionAt{{
    {455, 132},
    {568, 173},
    {629, 277},
    {608, 396},
    {516, 474},
    {395, 473},
    {302, 396},
    {282, 277},
    {342, 173},
}};

// Main menu: the lights of the topics' activities stand on a ring about the sections' centre, five
// to a topic, each group centred on the direction of its section.
constexpr double kMenuLightRingX = 512, kMenuLightRingY = 340, kMenuLightRingRadius = 265;
constexpr double kMenuLightStepDegrees = 5.5;
constexpr int kMenuLightSize = 12;
// The direction of light n (1 to 45), in degrees clockwise from three o'clock: section k lies
// 40 degrees clockwise of section k - 1, the first straight above the centre.
constexpr double MenuLightDegrees(int n) {
    return -90.0 + 40.0 * ((n - 1) / 5) + ((n - 1) % 5 - 2) * kMenuLightStepDegrees;
}
// The volume sliders' tracks: the main menu's and the language screen's knobs slide along them.
constexpr Rect kMenuSliderTrack{432, 731, 159, 6};
constexpr Rect kLanguageSliderTrack{427, 711, 160, 6};

// Topic menus: the captions picture and the buttons it labels.
constexpr Rect kTopicCaptions{365, 310, 302, 240};
constexpr int kTopicButtonW = 81, kTopicButtonH = 79;
constexpr Rect kTopicPractice{399, 232, kTopicButtonW, kTopicButtonH};
constexpr Rect kTopicSpeak{538, 248, kTopicButtonW, kTopicButtonH};
constexpr Rect kTopicEasy{366, 342, kTopicButtonW, kTopicButtonH};
constexpr Rect kTopicHard{541, 346, kTopicButtonW, kTopicButtonH};
constexpr Rect kTopicPrint{465, 454, kTopicButtonW, kTopicButtonH};

} // namespace parlora::FrontLayout
