#include "tools/content/DemoPictures.h"

#include "activities/ThemedHardLayout.h"
#include "core/Errors.h"
#include "core/StringUtil.h"
#include "front/FrontLayout.h"
#include "tools/content/DemoArt.h"
#include "tools/content/DemoCanvas.h"
#include "tools/content/DemoFacts.h"
#include "tools/content/DemoTexts.h"
#include "tools/content/Vocabulary.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

namespace parlora::DemoPictures {
namespace {

// Where the actor screen's volume knob slides (its left edge from 427 to 577, 24 high at 702).
constexpr Rect kActorSliderTrack{427, 711, 160, 6};

// Where the practice screens lay the level bar over the recording panel.
constexpr Rect kBarInPanel{464 - 255, 714 - 682, 206, 22};

// How much of a main-menu section its picture takes from the top; the board's words show below.
constexpr int kSectionPictureH = 80;

// The countries practice's night sky, behind the globe too: a JPEG frame has no transparency.
constexpr uint32_t kGlobeSky = 0x0B1A3A;

// The main menu's board edge, and the ring its activity lights stand on.
constexpr uint32_t kMenuRingBrown = 0x8B5A2B;

// The topic menus: their five buttons' faces, all of one size, stand in three even rows within
// the buttons' frames; the rest of a frame is the panel's paper, the colour of the captions too.
constexpr int kTopicFace = 63;
constexpr uint32_t kTopicPaper = 0xFFF8DC;
constexpr const char* kTopicNames[9] = {"first words", "food", "colours", "phrases", "body",
                                        "numbers",     "time", "shopping", "countries"};
constexpr const char* kTopicIcons[9] = {"🐱", "🍎", "🎨", "💬", "🖐️", "🔢", "🕒", "🛒", "🌍"};

// The face of a topic menu button inside its frame: rows share the top of the lower button.
Rect TopicFace(const Rect& button) {
    using namespace FrontLayout;
    const int row1 = std::max(kTopicPractice.y, kTopicSpeak.y), row2 = std::max(kTopicEasy.y, kTopicHard.y),
              row3 = kTopicPrint.y + (kTopicButtonH - kTopicFace) / 2;
    const int top = button.y <= kTopicSpeak.y ? row1 : button.y <= kTopicHard.y ? row2 : row3;
    return {button.x + (kTopicButtonW - kTopicFace) / 2, top, kTopicFace, kTopicFace};
}

// The records screen's big medal stands at top 180, the first detail line at 321.
constexpr double kRecordsMedalClear = 321 - 180 - 6;

// The speaking screen's strip window, its recording bar and the left edges of its strip buttons.
constexpr Rect kSpeakWindow{372, 257, 375, 130}, kSpeakRecBar{381, 393, 261, 12};
constexpr int kSpeakStripButtonX[3] = {464, 534, 604};

// Where the memory quiz lays its cards (110 x 130 frames) and puts its dealer and disc: the table,
// the dealer's body and his reach are drawn to agree with them.
constexpr int kQuizCardLeft[11] = {348, 549, 449, 430, 545, 248, 649, 319, 647, 435, 544};
constexpr int kQuizCardTop[11] = {429, 426, 404, 508, 510, 483, 462, 564, 549, 600, 597};
// The card inside its frame: cards of this size centred in their frames never overlap at those
// places; the rest of the frame is the key colour. The card's picture lies 10, 15 into the frame.
constexpr Rect kQuizCardFace{20, 23, 70, 84};
constexpr int kQuizPicLeft = 10, kQuizPicTop = 15;
constexpr Rect kQuizRightArm{296, 200, 120, 200}, kQuizLeftArm{608, 200, 120, 200};
constexpr Rect kQuizHead{432, 110, 160, 160}, kQuizDisc{780, 130, 200, 200};
constexpr int kQuizTileRadius = 114, kQuizTileSize = 40;
// The shoulder in an arm's frame (from the body's side), and the place each arm frame reaches.
constexpr int kQuizShoulderIn = 90, kQuizShoulderY = 22;
constexpr int kQuizRightReach[7] = {0, 1, 3, 4, 6, 8, 10};
constexpr int kQuizLeftReach[7] = {0, 2, 5, 7, 9, 11, 0};
constexpr uint32_t kQuizFelt = 0x2F7D4F, kQuizWaistcoat = 0x7A2E3A;

struct Size {
    int w, h;
};

Size FrameSize(const ManifestEntry& e, int defW, int defH) {
    return {e.frameW > 0 ? e.frameW : defW, e.frameH > 0 ? e.frameH : defH};
}

std::string PickCaption(const std::string& caption, int language) {
    std::vector<std::string> parts = Split(caption, '~');
    if (language >= 0 && size_t(language) < parts.size() && !Trim(parts[size_t(language)]).empty())
        return Trim(parts[size_t(language)]);
    return parts.empty() ? std::string() : Trim(parts[0]);
}

using DemoArt::Box;

uint32_t TextColourOn(uint32_t rgb) {
    double y = 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
    return y > 140 ? 0x202020 : 0xFFFFFF;
}

std::string TopicOf(const std::string& art) {
    auto colon = art.find(':');
    return colon == std::string::npos ? std::string() : art.substr(colon + 1);
}

std::string Stem(const DemoPicture& p) {
    std::string path = p.file.path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return std::filesystem::path(path).stem().string();
}

bool PathHas(const DemoPicture& p, const std::string& part) {
    return ToLowerAscii(p.file.path).find(ToLowerAscii(part)) != std::string::npos;
}

void Save(DemoCanvas& c, const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return char(std::tolower(ch)); });
    if (ext == ".jpg" || ext == ".jpeg")
        c.writeJpeg(path);
    else
        c.writePng(path);
}

// Sprites are drawn with hard edges on the key colour, whose bottom-left pixel the course drops.
void Keyed(DemoCanvas& c) {
    c.setAntialias(false);
}
void FinishKeyed(DemoCanvas& c) {
    c.fillRect(0, c.height() - 1, 1, 1, kKeyColour);
}

// An item on a white card with a coloured edge, so neighbours on a sheet stay apart.
void ItemCard(DemoCanvas& c, Box b, const std::string& topic, int n) {
    // Square edges: an opaque picture's corners show wherever a screen puts it.
    uint32_t edge = Hsv(std::fmod(n * 47.0 + topic.size() * 90.0, 360.0), 0.45, 0.85);
    c.fillRect(b.x, b.y, b.w, b.h, edge);
    c.fillRect(b.x + 3, b.y + 3, b.w - 6, b.h - 6, 0xFFFFFF);
    double m = std::max(6.0, std::min(b.w, b.h) * 0.1);
    DemoArt::Item(c, topic, n, {b.x + m, b.y + m, b.w - 2 * m, b.h - 2 * m});
}

// The hard games' scenes, drawn where the screens put their things: the car park's places, the
// numbers of the prize stall, the clocks' shelf, and the countries at the points the pins go to.
void ThemedHardScene(DemoCanvas& c, const std::string& stem) {
    namespace L = ThemedHardLayout;
    if (stem == "countrieshardbg") {
        c.fillRect(0, 0, c.width(), c.height(), 0x4A90C8);
        // Land round every country's point, then the point itself where the pin's tip lands.
        for (const auto& [x, y] : L::kPinPoints)
            c.fillCircle(x + L::kPinW / 2.0, y + L::kPinH, 30, 0x7CB35A);
        for (const auto& [x, y] : L::kPinPoints)
            c.fillCircle(x + L::kPinW / 2.0, y + L::kPinH, 3, 0x3A2A1A);
        // The pins' tray.
        c.fillRoundRect(L::kArmMask.x, 616, L::kArmMask.w, 70, 8, 0x8A5A30);
        return;
    }
    DemoArt::Scenery(c, stem);
    if (stem == "colhardbg") {
        c.fillRect(280, 380, 460, 268, 0x5A5A60);
        for (const auto& [x, y] : L::kCarPlaces)
            c.strokeRect(x - 6, y - 6, L::kSmallCarW + 12, L::kSmallCarH + 12, 2, 0xF0F0F0);
    } else if (stem == "numhardbg") {
        c.fillRect(170, L::PrizeHome(1).y + L::kPrizeSize, 690, 10, 0x8A5A30);
        c.fillRect(250, 280, 520, 220, 0xC8503C);
        for (int n = 1; n <= 20; ++n) {
            Rect a = L::NumberArea(n);
            c.fillRect(a.x, a.y, a.w, a.h, 0xFFF6E0);
            DemoArt::NumberWithDots(c, n,
                                    {double(a.x + 2), double(a.y + 2), double(a.w - 4), double(a.h - 4)});
        }
    } else if (stem == "timehardbg") {
        c.fillRect(L::kShelfLeft - 10, L::kShelfY, L::kShelfRight - L::kShelfLeft + 20, 14, 0x8A5A30);
    }
}

void QuizRoom(DemoCanvas& c);
void TopicMenuRoom(DemoCanvas& c, const std::string& topic);
void MenuLightRing(DemoCanvas& c, double left, double top);
void SpeakRoom(DemoCanvas& c);

void Background(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 1024, 768);
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    std::string stem = ToLowerAscii(Stem(p));
    if (stem == "bodypracbg") {
        DemoArt::Scenery(c, stem);
        // The figure stands where the practice screen's spots point.
        DemoArt::Figure(c, {300, 150, 400, 530});
    } else if (stem == "newuserbg") {
        // The welcome screen writes the learner's name in white: an evening sky keeps it readable.
        cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, s.h);
        cairo_pattern_add_color_stop_rgb(sky, 0, 0.12, 0.16, 0.42);
        cairo_pattern_add_color_stop_rgb(sky, 1, 0.36, 0.22, 0.52);
        cairo_set_source(c.cr(), sky);
        cairo_paint(c.cr());
        cairo_pattern_destroy(sky);
        for (int i = 0; i < 60; ++i)
            DemoArt::Star(c, (i * 7919) % s.w, (i * 104729) % (s.h * 2 / 3), 3 + i % 5, 0xFFF2A8);
    } else if (stem == "chooseactbg") {
        DemoArt::Scenery(c, stem);
        // The track the volume slider's knob runs along.
        const Rect& t = kActorSliderTrack;
        c.fillRoundRect(t.x, t.y, t.w, t.h, 3, 0x505860);
        DemoArt::Emoji(c, "🔈", {t.x - 40.0, t.y - 14.0, 30, 30});
        DemoArt::Emoji(c, "🔊", {t.x + t.w + 10.0, t.y - 14.0, 30, 30});
    } else if (stem == "timepracbg") {
        DemoArt::Scenery(c, stem);
        // The face the hands turn on; the hour and minute buttons ring it.
        DemoArt::ClockFace(c, {512 - 128, 380 - 128, 256, 256}, {}, false);
    } else if (stem == "countriespracbg") {
        // A night sky the globe turns in: its frames have the same plain colour behind them.
        c.fillRect(0, 0, s.w, s.h, kGlobeSky);
        for (int i = 0; i < 90; ++i) {
            int x = (i * 7919) % s.w, y = (i * 104729) % s.h;
            if (x > 320 && x < 680 && y > 240 && y < 610) continue;
            c.fillCircle(x, y, 1 + i % 3, 0xF0F0C0);
        }
    } else if (stem == "recordsbg") {
        DemoArt::Scenery(c, stem);
        // A card behind the student list and its scroll buttons, and one under the details.
        c.fillRoundRect(212, 212, 288, 306, 16, 0x2E5FB8);
        c.fillRect(222, 249, 196, 224, 0x1A2A6C);
        c.fillRect(226, 253, 188, 216, 0xFFFFFF);
        c.fillRoundRect(505, 155, 500, 425, 18, 0xFFF8E8);
        c.strokeRect(505, 155, 500, 425, 4, 0xC89A3C);
        c.fillRect(520, 300, 470, 3, 0xC89A3C);
    } else if (stem == "awardbg") {
        DemoArt::Scenery(c, stem);
        // The dial: a track from the lower left over the top to the lower right, coloured by the
        // medal each stretch earns, round a dark middle the total is written on in white.
        const double cx = 513, cy = 389, r = 129;
        c.fillCircle(cx, cy, r + 26, 0x2C3E50);
        c.fillCircle(cx, cy, r - 24, 0x1E2A5A);
        const std::pair<int, uint32_t> stretches[] = {
            {900, 0x8FA3B0}, {1200, 0xCD7F32}, {1500, 0xC0C0C0}, {1800, 0xE5B80B}};
        int from = 0;
        for (const auto& [to, colour] : stretches) {
            double a0 = from * 4.27 / 1800 + 1.01 + M_PI / 2, a1 = to * 4.27 / 1800 + 1.01 + M_PI / 2;
            cairo_new_path(c.cr());
            cairo_arc(c.cr(), cx, cy, r, a0, a1);
            cairo_set_line_width(c.cr(), 14);
            c.setColour(colour);
            cairo_stroke(c.cr());
            from = to;
        }
        for (int v : {0, 900, 1200, 1500, 1800}) {
            double a = v * 4.27 / 1800 + 1.01;
            c.line(cx - std::sin(a) * (r - 12), cy + std::cos(a) * (r - 12), cx - std::sin(a) * (r + 14),
                   cy + std::cos(a) * (r + 14), 4, 0xFFFFFF);
        }
        // Stands for the three medals beside their marks, and a card under the ranking.
        const int stands[][2] = {{621, 147}, {763, 271}, {788, 453}};
        for (const auto& st : stands)
            c.fillCircle(st[0], st[1], 64, 0xFFF2C0);
        c.fillRoundRect(128, 536, 313, 200, 12, 0x6A2C91);
        c.fillRect(138, 546, 293, 180, 0xFEE7C7);
    } else if (PathHas(p, "\\SubMenu\\")) {
        TopicMenuRoom(c, ToLowerAscii(p.entry->caption));
    } else if (stem == "menubg" || stem == "changelangbg") {
        DemoArt::Scenery(c, stem);
        if (stem == "menubg") MenuLightRing(c, 0, 0);
        // The track the volume knob runs along, quiet on the left and loud on the right.
        const Rect& t = stem == "menubg" ? FrontLayout::kMenuSliderTrack : FrontLayout::kLanguageSliderTrack;
        c.fillRoundRect(t.x - 4, t.y - 4, t.w + 8, t.h + 8, 7, 0xF0F0F0);
        c.fillRoundRect(t.x, t.y, t.w, t.h, 3, 0x505860);
        DemoArt::Emoji(c, "🔈", {t.x - 34.0, t.y - 12.0, 28, 28});
        DemoArt::Emoji(c, "🔊", {t.x + t.w + 6.0, t.y - 12.0, 28, 28});
    } else if (stem == "quizbg") {
        QuizRoom(c);
    } else if (stem == "speakbg") {
        SpeakRoom(c);
    } else if (stem == "colhardbg" || stem == "numhardbg" || stem == "timehardbg" ||
               stem == "countrieshardbg") {
        ThemedHardScene(c, stem);
    } else {
        DemoArt::Scenery(c, p.file.path);
    }
    Save(c, p.outPath);
}

// The topic of a memory-quiz icon or a worksheet's section icon, as an emoji.
std::string TopicIcon(const DemoPicture& p) {
    static const std::map<std::string, std::string> icons = {
        {"all", "🧠"},   {"fw", "🐱"}, {"fd", "🍎"}, {"co", "🎨"},    {"use", "💬"},
        {"fg", "🖐️"}, {"sc", "🔢"}, {"t", "🕒"},  {"sh", "🛒"}, {"cy", "🌍"}};
    static const char* const sections[] = {"fw", "fd", "co", "use", "fg", "sc", "t", "sh", "cy"};
    std::string stem = ToLowerAscii(Stem(p));
    if (PathHas(p, "\\Icons\\") && stem.size() > 4)
        stem = stem.substr(0, stem.size() - 4);
    else if (PathHas(p, "\\sections\\") && p.file.item >= 1 && p.file.item <= 9)
        stem = sections[p.file.item - 1];
    else
        return {};
    auto it = icons.find(stem);
    return it == icons.end() ? std::string() : it->second;
}

// Frames of a strip that must look different from each other, with no numbers on them.
void StripFrame(DemoCanvas& c, Box b, int index, int count, const std::string& role, bool keyed) {
    std::string r = ToLowerAscii(role);
    double cx = b.x + b.w / 2, cy = b.y + b.h / 2, s = std::min(b.w, b.h);
    if (r.find("doors") == 0) {
        // Two doors that slide apart frame by frame.
        double open = count > 1 ? double(index) / (count - 1) : 0;
        c.fillRect(b.x, b.y, b.w, b.h, 0x3A2A1A);
        double dw = b.w / 2 * (1 - open * 0.9);
        c.fillRect(b.x, b.y, dw, b.h, 0xB07A3A);
        c.fillRect(b.x + b.w - dw, b.y, dw, b.h, 0xB07A3A);
        c.strokeRect(b.x, b.y, b.w, b.h, 4, 0x5A3A1A);
        return;
    }
    if (r.find("lights") == 0) {
        // On the brown of the ring the main menu's lights stand on (see MenuLightRing).
        static const uint32_t lights[] = {0xF0F0F0, 0xE03030, 0xF0C020, 0x30B040, 0x3070E0};
        c.fillRect(b.x, b.y, b.w, b.h, kMenuRingBrown);
        c.fillCircle(cx, cy, s / 2 - 1, lights[index % 5]);
        return;
    }
    if (r.find("safe") == 0) {
        c.fillRoundRect(b.x + 4, b.y + 4, b.w - 8, b.h - 8, 10, 0x707A84);
        c.fillCircle(cx, cy, s * 0.3, 0x404850);
        double a = index * 2 * M_PI / std::max(1, count);
        c.line(cx, cy, cx + std::sin(a) * s * 0.26, cy - std::cos(a) * s * 0.26, 5, 0xE0E0E0);
        return;
    }
    if (r.find("bronze") == 0 || r.find("silver") == 0 || r.find("gold") == 0) {
        uint32_t metal = r[0] == 'b' ? 0xCD7F32 : r[0] == 's' ? 0xC0C0C0 : 0xE5B80B;
        double turn = std::abs(std::cos(M_PI * index / std::max(1, count)));
        cairo_save(c.cr());
        cairo_translate(c.cr(), cx, cy);
        cairo_scale(c.cr(), std::max(0.08, turn), 1);
        c.fillCircle(0, 0, s * 0.45, Darker(metal, 0.8));
        c.fillCircle(0, 0, s * 0.38, metal);
        DemoArt::Star(c, 0, 0, s * 0.22, Lighter(metal, 0.5));
        cairo_restore(c.cr());
        return;
    }
    if (r.find("card") == 0) {
        // Back, turning, face.
        if (index % 3 == 0) {
            c.fillRoundRect(b.x + 4, b.y + 4, b.w - 8, b.h - 8, 10, 0x2E5FB8);
            DemoArt::Star(c, cx, cy, s * 0.25, 0xF0D040);
        } else if (index % 3 == 1) {
            c.fillRoundRect(cx - b.w * 0.12, b.y + 4, b.w * 0.24, b.h - 8, 6, 0x5A7FC8);
        } else {
            c.fillRoundRect(b.x + 4, b.y + 4, b.w - 8, b.h - 8, 10, 0xFFFFFF);
        }
        return;
    }
    if (r.find("spark") == 0) {
        for (int i = 0; i < 8; ++i) {
            double a = i * M_PI / 4 + index * 0.4;
            c.line(cx, cy, cx + std::cos(a) * s * 0.45, cy + std::sin(a) * s * 0.45, 4,
                   index ? 0xFFE040 : 0xFFA020);
        }
        return;
    }
    // Any other strip: a disc that turns, so every frame is different.
    uint32_t fill = Hsv(std::fmod(index * 37.0, 360.0), 0.5, 0.9);
    if (!keyed) c.fillRect(b.x, b.y, b.w, b.h, Lighter(fill, 0.6));
    c.fillCircle(cx, cy, s * 0.42, fill);
    double a = index * 2 * M_PI / std::max(1, count);
    c.fillCircle(cx + std::sin(a) * s * 0.25, cy - std::cos(a) * s * 0.25, s * 0.1, Darker(fill, 0.5));
}

// The card dealer of the memory quiz, frame by frame: his face rests, looks about, talks, shakes
// and nods; his hands reach further out with each frame; his fingers drum; he shuffles his cards.
void DealerFrame(DemoCanvas& c, Box b, int index, int count, const std::string& role) {
    const double s = std::min(b.w, b.h);
    if (role == "dealer head") {
        // 0 rest, 1 to 5 and 12 looking about, 6 and 7 talking, 8 and 9 shaking, 10 and 11 nodding.
        static const char* const faces[13] = {"🙂", "🙄", "🤔", "😏", "😌", "🧐", "😮",
                                              "😃",    "🙁", "😕",    "😊", "😄", "😐"};
        const char* face = count == 3 ? (index == 0   ? "🙂"
                                         : index == 1 ? "🤔"
                                                      : "🙄")
                                      : faces[index % 13];
        double dx = index == 8   ? -0.1
                    : index == 9 ? 0.1
                                 : 0,
               dy = index == 10   ? 0.08
                    : index == 11 ? -0.06
                                  : 0;
        DemoArt::Emoji(c, face, {b.x + b.w * (0.1 + dx), b.y + b.h * (0.1 + dy), b.w * 0.8, b.h * 0.8}, true);
        return;
    }
    if (role == "right arm" || role == "left arm") {
        // The sleeve leaves the shoulder his body has on the background; frame 0 rests the hand on
        // his waistcoat, the others reach towards the place the arm deals to.
        const bool right = role == "right arm";
        const Rect& at = right ? kQuizRightArm : kQuizLeftArm;
        const double sx = b.x + (right ? kQuizShoulderIn : b.w - kQuizShoulderIn), sy = b.y + kQuizShoulderY;
        double hx = b.x + (right ? 100 : b.w - 100), hy = b.y + 150;
        const int place = index > 0 && index < 7 ? (right ? kQuizRightReach : kQuizLeftReach)[index] : 0;
        if (place > 0) {
            const double cardX = kQuizCardLeft[place - 1] + 55.0 - at.x, cardY = kQuizCardTop[place - 1] + 65.0 - at.y;
            hx = b.x + std::clamp(cardX, 24.0, b.w - 24.0);
            hy = b.y + std::clamp(cardY, 60.0, b.h - 24.0);
        }
        c.line(sx, sy, hx, hy, s * 0.2, Darker(kQuizWaistcoat, 0.7));
        c.fillCircle(sx, sy, s * 0.1, Darker(kQuizWaistcoat, 0.7));
        DemoArt::Emoji(c, "🤚", {hx - s * 0.19, hy - s * 0.19, s * 0.38, s * 0.38}, true);
        return;
    }
    if (role == "drum") {
        // While he waits he taps his pack of cards on the table between his hands.
        const double lift = index % 2 ? 0 : 8.0 * (1 + index % 3) / 3;
        for (int k = 0; k < 4; ++k)
            c.fillRect(b.x + 72 + k * 2, b.y + 40 - lift - k * 3, 52, 70, k == 3 ? 0x2E5FB8 : 0xF2F2F2);
        c.strokeRect(b.x + 78, b.y + 31 - lift, 52, 70, 2, 0x1A3A7A);
        DemoArt::Star(c, b.x + 104, b.y + 66 - lift, 12, 0xF0D040);
        if (lift > 0)
            for (int side : {-1, 1})
                c.line(b.x + 104 + side * 36, b.y + 106, b.x + 104 + side * 48, b.y + 98 - lift, 3, 0x404040);
        return;
    }
    // The menu's dealer shuffles: a fan of cards that turns frame by frame.
    for (int k = 0; k < 3; ++k) {
        cairo_save(c.cr());
        cairo_translate(c.cr(), b.x + b.w / 2, b.y + b.h * 0.7);
        cairo_rotate(c.cr(), (k - 1) * 0.35 + (index - count / 2.0) * 0.12);
        c.fillRoundRect(-s * 0.16, -s * 0.55, s * 0.32, s * 0.45, 5, k == 1 ? 0xFFFFFF : 0x2E5FB8);
        if (k != 1) DemoArt::Star(c, 0, -s * 0.33, s * 0.08, 0xF0D040);
        cairo_restore(c.cr());
    }
}

// A topic menu: the topic's picture at the top in its colour on the main menu, so the screen
// names its topic, and a panel round the five buttons and their captions.
void TopicMenuRoom(DemoCanvas& c, const std::string& topic) {
    using namespace FrontLayout;
    DemoArt::Scenery(c, "submenu " + topic);
    int n = 0;
    while (n < 9 && topic != kTopicNames[n])
        ++n;
    const uint32_t base = Hsv((std::min(n, 8) + 1) * 40.0, 0.35, 0.97);
    c.fillCircle(512, 112, 76, Darker(base, 0.7));
    c.fillCircle(512, 112, 70, base);
    DemoArt::Emoji(c, kTopicIcons[std::min(n, 8)], {512 - 50, 112 - 50, 100, 100});
    const Rect panel{kTopicEasy.x - 26, kTopicPractice.y - 20, 0, 0};
    const int right = kTopicHard.x + kTopicButtonW + 56, bottom = kTopicCaptions.y + kTopicCaptions.h + 14;
    c.fillRoundRect(panel.x - 6, panel.y - 6, right - panel.x + 12, bottom - panel.y + 12, 26, Darker(base, 0.7));
    c.fillRoundRect(panel.x, panel.y, right - panel.x, bottom - panel.y, 22, kTopicPaper);
}

// The memory quiz's room: a green table the cards lie on, the dealer's body behind it (his head
// and arms are sprites that join it at the neck and shoulders), and the tray the counter disc sits
// on, whose tiles ring the disc.
void QuizRoom(DemoCanvas& c) {
    DemoArt::Scenery(c, "quizbg");
    const double dcx = kQuizDisc.x + kQuizDisc.w / 2.0, dcy = kQuizDisc.y + kQuizDisc.h / 2.0;
    const double tray = kQuizTileRadius + kQuizTileSize / 2.0 + 6;
    c.fillCircle(dcx, dcy, tray, 0x8A5A30);
    c.fillCircle(dcx, dcy, tray - 6, kQuizFelt);
    // Body: neck under the head, shoulders where the arms' sleeves start, a white shirt front.
    const double neckX = kQuizHead.x + kQuizHead.w / 2.0, neckY = kQuizHead.y + kQuizHead.h * 0.8;
    const double left = kQuizRightArm.x + kQuizShoulderIn - 14,
                 right = kQuizLeftArm.x + kQuizLeftArm.w - kQuizShoulderIn + 14;
    const double top = kQuizRightArm.y + kQuizShoulderY - 14;
    c.fillRect(neckX - 16, neckY - 20, 32, 40, 0xF5C242);
    c.fillRoundRect(left, top, right - left, 400 - top, 40, kQuizWaistcoat);
    c.polygon({{neckX - 40, top}, {neckX + 40, top}, {neckX, top + 120}}, 0xFFFFFF);
    c.polygon({{neckX - 22, neckY + 12}, {neckX, neckY + 22}, {neckX - 22, neckY + 32}}, 0x202050);
    c.polygon({{neckX + 22, neckY + 12}, {neckX, neckY + 22}, {neckX + 22, neckY + 32}}, 0x202050);
    for (int k = 0; k < 3; ++k)
        c.fillCircle(neckX, top + 60 + k * 28, 4, 0xE5B80B);
    // The table: its far edge hides the dealer's waist; the cards lie on the felt.
    c.fillRoundRect(196, 392, 632, 348, 24, 0x6B4226);
    c.fillRoundRect(206, 400, 612, 330, 18, kQuizFelt);
}

// The speaking screen: a viewer round the strip window, with the recording bar's trough under it.
// The window itself is see-through until a strip is chosen, and shows what to do: arrows from
// the viewer up to the three strip buttons, a mouth that will speak on the left, a film strip on
// the right.
void SpeakRoom(DemoCanvas& c) {
    DemoArt::Scenery(c, "speakbg");
    const Rect& w = kSpeakWindow;
    c.fillRoundRect(w.x - 14, w.y - 14, w.w + 28, w.h + 40, 16, 0x2C3440);
    c.fillRect(kSpeakRecBar.x - 2, kSpeakRecBar.y - 2, kSpeakRecBar.w + 4, kSpeakRecBar.h + 4, 0x101418);
    c.fillRect(w.x, w.y, w.w, w.h, 0xFFF6D8);
    // The strip's first picture will stand in the middle third: until then a hand there points
    // up to the three strip buttons, and the thirds either side show what the strip is for.
    const double mid = w.x + w.w / 2.0, from = w.y + w.h - 48;
    const uint32_t inks[3] = {0xD04080, 0x2F8FD0, 0x3CA040};
    for (int i = 0; i < 3; ++i) {
        const double tipX = std::clamp(kSpeakStripButtonX[i] + 30.0, w.x + w.w / 3.0 + 12, w.x + w.w * 2 / 3.0 - 12);
        const double tipY = w.y + 8.0, dx = tipX - mid, dy = tipY - from, len = std::hypot(dx, dy);
        const double ux = dx / len, uy = dy / len;
        c.line(mid, from, tipX - ux * 14, tipY - uy * 14, 6, inks[i]);
        c.polygon({{tipX, tipY}, {tipX - ux * 18 - uy * 9, tipY - uy * 18 + ux * 9},
                   {tipX - ux * 18 + uy * 9, tipY - uy * 18 - ux * 9}},
                  inks[i]);
    }
    DemoArt::Emoji(c, "👆", {mid - 22, from - 8, 44, 52});
    DemoArt::Emoji(c, "🗣️", {w.x + 8.0, w.y + 25.0, 80, 80});
    DemoArt::Emoji(c, "🎞️", {w.x + w.w - 88.0, w.y + 25.0, 80, 80});
}

// The quiz's cards, one row a place: back, turning, face. Only the card is drawn, centred in its
// frame on the key colour, so neighbouring places never cover each other.
void QuizCards(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 110, 130);
    const FrameGrid& g = p.entry->grid;
    DemoCanvas c(s.w * g.x, s.h * g.y, kKeyColour);
    Keyed(c);
    const Rect& f = kQuizCardFace;
    for (int row = 0; row < g.y; ++row)
        for (int col = 0; col < g.x; ++col) {
            const double x = col * s.w + f.x, y = row * s.h + f.y, cx = x + f.w / 2.0;
            const int side = col % 3;
            if (side == 0) {
                c.fillRoundRect(x, y, f.w, f.h, 8, 0x1A3A7A);
                c.fillRoundRect(x + 4, y + 4, f.w - 8, f.h - 8, 6, 0x2E5FB8);
                DemoArt::Star(c, cx, y + f.h / 2.0, f.w * 0.28, 0xF0D040);
            } else if (side == 1) {
                c.fillRoundRect(cx - f.w * 0.15, y, f.w * 0.3, f.h, 4, 0x1A3A7A);
            } else {
                c.fillRoundRect(x, y, f.w, f.h, 8, Hsv(row * 33.0, 0.45, 0.85));
                c.fillRoundRect(x + 4, y + 4, f.w - 8, f.h - 8, 6, 0xFFFFFF);
            }
        }
    FinishKeyed(c);
    Save(c, p.outPath);
}

// An item's picture as the quiz lays it on a card's face: the white face round the item, the key
// colour where the picture's frame reaches past the card.
void QuizPicture(const DemoPicture& p, const std::string& topic) {
    Size s = FrameSize(*p.entry, 90, 100);
    DemoCanvas c(s.w, s.h, kKeyColour);
    const double fx = kQuizCardFace.x - kQuizPicLeft + 4, fy = kQuizCardFace.y - kQuizPicTop + 4;
    const double fw = kQuizCardFace.w - 8, fh = kQuizCardFace.h - 8;
    c.fillRect(fx, fy, fw, fh, 0xFFFFFF);
    const double m = 4, side = std::min(fw, fh) - 2 * m;
    DemoArt::Item(c, topic, p.file.item, {fx + (fw - side) / 2, fy + (fh - side) / 2, side, side});
    FinishKeyed(c);
    Save(c, p.outPath);
}

// The counter's tiles: a little card for every card dealt (the second frame turned face up).
void QuizCounter(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 40, 40);
    const FrameGrid& g = p.entry->grid;
    DemoCanvas c(s.w * g.x, s.h * g.y, kKeyColour);
    Keyed(c);
    for (int i = 0; i < g.x * g.y; ++i) {
        const double x = (i % g.x) * s.w + s.w * 0.2, y = (i / g.x) * s.h + s.h * 0.1;
        const double w = s.w * 0.6, h = s.h * 0.8;
        c.fillRoundRect(x, y, w, h, 4, 0x1A3A7A);
        c.fillRoundRect(x + 2, y + 2, w - 4, h - 4, 3, i % 2 ? 0xF8F8F8 : 0x2E5FB8);
        DemoArt::Star(c, x + w / 2, y + h / 2, w * 0.3, 0xF0D040);
    }
    FinishKeyed(c);
    Save(c, p.outPath);
}

// The lid over the counter's tray: the quiz whitens a growing sector of it, so white is its key
// colour (the bottom-left pixel) and nothing on the lid is pure white. It fills the circle the
// quiz cuts, so the cut never reaches past its edge.
void QuizLid(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 200, 200);
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    Keyed(c);
    const double cx = s.w / 2.0, cy = s.h / 2.0, r = std::min(s.w, s.h) / 2.0 - 0.5;
    c.fillCircle(cx, cy, r, 0x1A3A7A);
    c.fillCircle(cx, cy, r - 7, 0xCFE3FF);
    for (int k = 0; k < 12; ++k) {
        const double a = k * M_PI / 6;
        c.line(cx + std::sin(a) * (r - 12), cy - std::cos(a) * (r - 12), cx + std::sin(a) * (r - 24),
               cy - std::cos(a) * (r - 24), k % 3 ? 3 : 6, 0x1A3A7A);
    }
    DemoArt::Star(c, cx, cy, r * 0.35, 0xF0D040);
    c.fillRect(0, s.h - 1, 1, 1, 0xFFFFFF);
    Save(c, p.outPath);
}

// Panels the learner looks at: plain shapes that frame what the screens draw on them.
void Panel(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 120, 90);
    const FrameGrid& g = p.entry->grid;
    std::string role = ToLowerAscii(p.entry->caption);
    if (PathHas(p, "memory\\Card.png")) return QuizCards(p);
    if (PathHas(p, "memory\\Num.png")) return QuizCounter(p);
    DemoCanvas c(s.w * g.x, s.h * g.y, 0xFFFFFF);
    if (!g.single()) {
        int count = g.x * g.y;
        for (int i = 0; i < count; ++i)
            StripFrame(c, {double(i % g.x) * s.w, double(i / g.x) * s.h, double(s.w), double(s.h)}, i, count,
                       role, false);
    } else if (role == "score" || role == "score back") {
        // The score disc on its square card: the game writes the score in yellow on the dark middle.
        uint32_t ring = role == "score" ? 0xF5B323 : 0x3A7BD5;
        c.fillRect(0, 0, s.w, s.h, 0x6A2C91);
        for (int i = 0; i < 4; ++i)
            DemoArt::Star(c, i % 2 ? s.w - 22.0 : 22.0, i / 2 ? s.h - 22.0 : 22.0, 16, 0xFFE45C);
        c.fillCircle(s.w / 2.0, s.h / 2.0, s.w / 2.0 - 4, ring);
        c.fillCircle(s.w / 2.0, s.h / 2.0, s.w * 0.36, 0x1E2A5A);
    } else if (role.find("level bar") != std::string::npos) {
        // The recording's progress: it grows from the left over the recording panel's trough.
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, s.w, 0);
        cairo_pattern_add_color_stop_rgb(fill, 0, 0.2, 0.75, 0.3);
        cairo_pattern_add_color_stop_rgb(fill, 0.6, 0.95, 0.8, 0.1);
        cairo_pattern_add_color_stop_rgb(fill, 1, 0.9, 0.2, 0.15);
        cairo_set_source(c.cr(), fill);
        cairo_rectangle(c.cr(), 0, 0, s.w, s.h);
        cairo_fill(c.cr());
        cairo_pattern_destroy(fill);
        c.strokeRect(0, 0, s.w, s.h, 2, 0x603020);
    } else if (role.find("progress") != std::string::npos) {
        // A star for each of the ten questions: the game uncovers it from the left as they go.
        c.fillRect(0, 0, s.w, s.h, 0x2C3E50);
        for (int q = 0; q < 10; ++q) {
            double cellW = s.w / 10.0;
            c.fillRect(q * cellW + 2, 2, cellW - 4, s.h - 4, Hsv(q * 36.0, 0.45, 0.98));
            DemoArt::Star(c, q * cellW + cellW / 2, s.h / 2.0, std::min(cellW, double(s.h)) * 0.4, 0xF5B323);
        }
    } else if (role == "recording") {
        // A red light and a microphone on the left; on the right the trough the level bar fills,
        // at the place the practice screens put the bar over this panel.
        c.fillRect(0, 0, s.w, s.h, 0x7A1F1F);
        c.fillRoundRect(4, 4, s.w - 8, s.h - 8, 14, 0xFBE3E3);
        c.fillCircle(34, s.h / 2.0, 16, 0xE02020);
        DemoArt::Emoji(c, "🎙️", {62, 10, s.h - 20.0, s.h - 20.0});
        c.fillRect(kBarInPanel.x - 3, kBarInPanel.y - 3, kBarInPanel.w + 6, kBarInPanel.h + 6, 0x603020);
        c.fillRect(kBarInPanel.x, kBarInPanel.y, kBarInPanel.w, kBarInPanel.h, 0xFFFFFF);
    } else if (role == "playback" || role == "tape") {
        c.fillRect(0, 0, s.w, s.h, 0x1E6B3A);
        c.fillRoundRect(4, 4, s.w - 8, s.h - 8, 14, 0xE3F7E9);
        DemoArt::Emoji(c, "🔊", {20, 12, s.h - 24.0, s.h - 24.0});
        // Sound waves running out of the loudspeaker.
        for (int i = 0; i < 24; ++i) {
            double x = 110 + i * (s.w - 140) / 24.0, a = 6 + 26 * std::fabs(std::sin(i * 0.7));
            c.line(x, s.h / 2.0 - a, x, s.h / 2.0 + a, 5, 0x27AE60);
        }
    } else if (role == "scroll") {
        // A parchment scroll on the export dialog's see-through red, rolled at both ends, with the
        // trough the progress bar fills (at 70, 32, 273 x 17 in this picture).
        c.fillRect(0, 0, s.w, s.h, 0xFF0000);
        c.fillRoundRect(14, 10, s.w - 28, s.h - 20, 6, 0xF3E2B3);
        c.strokeRect(14, 10, s.w - 28, s.h - 20, 2, 0xB08850);
        for (double x : {4.0, s.w - 24.0}) {
            c.fillRoundRect(x, 2, 20, s.h - 4, 10, 0xD9B77A);
            c.strokeRect(x + 2, 4, 16, s.h - 8, 2, 0x8A6030);
        }
        c.fillRect(68, 30, 277, 21, 0xB08850);
        DemoArt::Emoji(c, "🎵", {34, 56, 30, 30});
    } else if (role == "dustbin") {
        // The records' delete question: a bin whose lid the dialog lays on top.
        c.fillRect(0, 0, s.w, s.h, 0x5A6A7A);
        c.fillRoundRect(3, 3, s.w - 6, s.h - 6, 14, 0xE8EEF2);
        std::vector<double> bin{80, 80, 164, 80, 154, 196, 90, 196};
        cairo_move_to(c.cr(), bin[0], bin[1]);
        for (size_t i = 2; i < bin.size(); i += 2)
            cairo_line_to(c.cr(), bin[i], bin[i + 1]);
        cairo_close_path(c.cr());
        c.setColour(0x607D8B);
        cairo_fill(c.cr());
        for (int k = 0; k < 3; ++k)
            c.line(100 + k * 22, 92, 104 + k * 18, 184, 4, 0x455A64);
    } else if (role.find("black") == 0 || role.find("light off") == 0) {
        c.fillRect(0, 0, s.w, s.h, 0x000000);
    } else if (role.find("cover") == 0) {
        c.fillRect(0, 0, s.w, s.h, 0x2E5FB8);
        for (int i = 0; i < 40; ++i)
            DemoArt::Star(c, (i * 7919) % s.w, (i * 104729) % s.h, 8 + i % 10,
                          Lighter(0x2E5FB8, 0.3 + (i % 4) * 0.1));
    } else if (role == "footer") {
        // The foot of the printed records: the course's name, small and grey, on the paper.
        DemoArt::Emoji(c, "🌍", {4, 8, s.h - 16.0, s.h - 16.0});
        c.text("Parlora Plus", s.h - 6, 0, s.w - s.h + 4, s.h, 0x707070, 22, true);
    } else if (role == "print medal" || role == "bronze" || role == "silver" || role == "gold") {
        // Printed pages show pictures opaque: medals sit on white paper, not on the key colour.
        uint32_t metal = p.file.path.find("ronze") != std::string::npos   ? 0xCD7F32
                         : p.file.path.find("ilver") != std::string::npos ? 0xC0C0C0
                                                                          : 0xE5B80B;
        DemoArt::Medal(c, {s.w * 0.1, s.h * 0.05, s.w * 0.8, s.h * 0.9}, metal);
    } else if (role == "lozenges" || role == "second written form") {
        // Rounded frames where a worksheet cell's written words go (their pictures start 81 pixels in).
        c.fillRect(0, 0, s.w, s.h, 0xFFFFFF);
        int rows = role == "lozenges" ? 2 : 1;
        for (int i = 0; i < rows; ++i)
            c.fillRoundRect(70, 3 + i * 41, s.w - 80, 36, 18, i ? 0xE3F7E9 : 0xE3ECFB);
    } else if (role == "signature") {
        // A pen's flourish over the line a teacher signs on.
        c.line(s.w * 0.08, s.h * 0.8, s.w * 0.92, s.h * 0.8, 2, 0x404040);
        for (int i = 0; i < 6; ++i)
            c.line(s.w * (0.15 + i * 0.11), s.h * (i % 2 ? 0.25 : 0.65), s.w * (0.26 + i * 0.11),
                   s.h * (i % 2 ? 0.65 : 0.25), 3, 0x1A3A8A);
    } else if (role == "certificate" || role == "worksheet" || role == "student record") {
        // A ribbon banner with stars: the heading of a printed page.
        c.fillRect(0, 0, s.w, s.h, 0xFFFFFF);
        c.fillRoundRect(2, s.h * 0.15, s.w - 4, s.h * 0.7, s.h * 0.2,
                        role == "certificate" ? 0xC8303C : 0x3A7BD5);
        for (int i = 0; i < 7; ++i)
            DemoArt::Star(c, s.w * (i + 0.5) / 7, s.h / 2.0, std::min(s.h * 0.22, s.w / 18.0), 0xFFE45C);
    } else if (role == "cauldron") {
        // The pot hangs in a brick hearth, whose wall fills the picture's corners.
        c.fillRect(0, 0, s.w, s.h, 0x8E5B3C);
        for (int row = 0; row * 20 < s.h; ++row)
            for (int col = -1; col * 48 < s.w; ++col)
                c.strokeRect(col * 48 + (row % 2) * 24, row * 20, 48, 20, 2, 0x6B3F26);
        for (int i = 0; i < 7; ++i)
            DemoArt::Emoji(c, "🔥", {s.w * 0.18 + i * s.w * 0.09, s.h * 0.78, s.w * 0.09, s.h * 0.2});
        cairo_save(c.cr());
        cairo_translate(c.cr(), s.w / 2.0, s.h * 0.55);
        cairo_scale(c.cr(), s.w * 0.48, s.h * 0.44);
        cairo_arc(c.cr(), 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(c.cr());
        c.setColour(0x2B2B2B);
        cairo_fill(c.cr());
        c.fillRoundRect(s.w * 0.05, s.h * 0.08, s.w * 0.9, s.h * 0.14, 10, 0x4A4A4A);
    } else {
        // Anything else: a framed card in a colour of its own; topic icons show their topic.
        uint32_t base = ColourOf(role, 0.35, 0.95);
        int edge = std::max(2, std::min(s.w, s.h) / 40);
        c.fillRect(0, 0, s.w, s.h, Darker(base, 0.75));
        c.fillRect(edge, edge, s.w - 2 * edge, s.h - 2 * edge, Lighter(base, 0.55));
        std::string icon = TopicIcon(p);
        if (!icon.empty()) DemoArt::Emoji(c, icon, {s.w * 0.15, s.h * 0.15, s.w * 0.7, s.h * 0.7});
    }
    Save(c, p.outPath);
}

void Sprite(const DemoPicture& p) {
    if (PathHas(p, "memory\\Cover.png")) return QuizLid(p);
    if (PathHas(p, "Speak\\mask.png")) {
        // All key colour: the background's viewer frames the window, and the strip's pictures,
        // which fill it from edge to edge, cover nothing of it.
        DemoCanvas c(kSpeakWindow.w, kSpeakWindow.h, kKeyColour);
        return Save(c, p.outPath);
    }
    Size s = FrameSize(*p.entry, 120, 90);
    const FrameGrid& g = p.entry->grid;
    std::string role = ToLowerAscii(p.entry->caption);
    DemoCanvas c(s.w * g.x, s.h * g.y, kKeyColour);
    Keyed(c);
    const double w = s.w, h = s.h, cx = w / 2, cy = h / 2, m = std::min(w, h);
    Box all{0, 0, w, h};
    int count = g.x * g.y;
    if (role == "tick" || role.find(" tick") != std::string::npos) {
        uint32_t ink = role.find("purple") == 0 ? 0x8E44AD : role.find("red") == 0 ? 0xE03020 : 0x23A03C;
        c.fillCircle(cx, cy, m / 2 - 1, 0xFFFFFF);
        DemoArt::Symbol(c, "tick", all, ink);
    } else if (role == "cross") {
        c.fillCircle(cx, cy, m / 2 - 1, 0xFFFFFF);
        DemoArt::Symbol(c, "cross", all, 0xE02020);
    } else if (role == "score circle" || role == "blob" || role == "red light" || role == "pivot" ||
               role.find("chip") == 0 || role == "cork") {
        // The topic menus write the score in white on the score circle.
        uint32_t fill = role == "score circle" ? 0x3A3F9E
                        : role == "red light"  ? 0xE02020
                        : role == "pivot"      ? 0x202020
                        : role == "cork"       ? 0xB08050
                        : role == "blob"       ? 0xF0C020
                                               : 0xE5B80B;
        c.fillCircle(cx, cy, m / 2 - 1, role == "score circle" ? 0xF5B323 : Darker(fill, 0.7));
        c.fillCircle(cx, cy, m / 2 - std::max(2.0, m / 10), fill);
    } else if (role == "hot spot") {
        for (int i = 0; i < count; ++i) {
            double x = i * w;
            uint32_t ring = i == 0 ? 0xFFD020 : i == 1 ? 0xA0A0A0 : i == 2 ? 0xE07020 : 0xFFF080;
            c.fillCircle(x + cx, cy, m / 2 - 1, ring);
            c.fillCircle(x + cx, cy, m / 2 - 6, kKeyColour);
            c.fillCircle(x + cx, cy, m * 0.12, ring);
        }
    } else if (role.find("arrow") != std::string::npos && role.find("arm") == std::string::npos) {
        for (int i = 0; i < count; ++i) {
            double x = i * w, dx = i % 2 ? -m * 0.04 : 0;
            uint32_t ink = role.find("blue") == 0 ? 0x2060D0 : role.find("red") == 0 ? 0xD02020 : 0xF08020;
            if (role == "arrow") {
                // The welcome screen's arrow points down and left, at the Help button.
                cairo_save(c.cr());
                cairo_translate(c.cr(), x + cx + dx, cy - dx);
                cairo_rotate(c.cr(), M_PI * 0.75);
                c.fillRect(-m * 0.36, -m * 0.1, m * 0.5, m * 0.2, ink);
                std::vector<double> head{m * 0.1, -m * 0.28, m * 0.44, 0, m * 0.1, m * 0.28};
                cairo_move_to(c.cr(), head[0], head[1]);
                cairo_line_to(c.cr(), head[2], head[3]);
                cairo_line_to(c.cr(), head[4], head[5]);
                cairo_close_path(c.cr());
                c.setColour(ink);
                cairo_fill(c.cr());
                cairo_restore(c.cr());
            } else {
                double dir = role.find("blue") == 0 ? -1 : 1;
                c.fillRect(x + cx - w * 0.35, cy - h * 0.15, w * 0.5, h * 0.3, ink);
                c.line(x + cx + dir * w * 0.4, cy, x + cx + dir * w * 0.05, cy - h * 0.45, 2, ink);
                cairo_move_to(c.cr(), x + cx + dir * w * 0.45, cy);
                cairo_line_to(c.cr(), x + cx + dir * w * 0.05, cy - h * 0.45);
                cairo_line_to(c.cr(), x + cx + dir * w * 0.05, cy + h * 0.45);
                cairo_close_path(c.cr());
                c.setColour(ink);
                cairo_fill(c.cr());
            }
        }
    } else if (role == "magnifying glass") {
        // The lens rims the magnified picture the countries practice puts at its centre.
        c.line(cx + m * 0.33, cy + m * 0.33, w - 4, h - 4, m * 0.08, 0x4A3020);
        c.fillCircle(cx, cy, m * 0.44, 0x4A3020);
        c.fillCircle(cx, cy, m * 0.385, kKeyColour);
    } else if (role.find("slider knob") == 0) {
        c.fillRect(0, 0, w, h, 0x505860);
        c.fillRect(1, 1, w - 2, h - 2, 0xD0D8E0);
    } else if (role == "cursor" || role == "highlight" || role == "flag cursor" || role == "row highlight") {
        c.fillRect(0, 0, w, h, 0xFFC000);
        c.fillRect(4, 4, w - 8, h - 8, kKeyColour);
    } else if (role.find("medal") != std::string::npos || role == "bronze" || role == "silver" ||
               role == "gold") {
        uint32_t metal = role.find("bronze") == 0 ? 0xCD7F32 : role.find("silver") == 0 ? 0xC0C0C0 : 0xE5B80B;
        // The records screen's big medal hangs above the details it stands beside: its lower part
        // is left clear, where the "last used" date runs under it.
        Box medal = all;
        if (PathHas(p, "records\\") && h > kRecordsMedalClear) medal.h = kRecordsMedalClear;
        DemoArt::Medal(c, medal, metal);
    } else if (role == "dustbin lid") {
        // Closed on the bin, then raised and tipped open.
        for (int i = 0; i < count; ++i) {
            cairo_save(c.cr());
            cairo_translate(c.cr(), i * w + cx, i == 0 ? h - 12 : h * 0.45);
            if (i > 0) cairo_rotate(c.cr(), -0.45);
            c.fillRoundRect(-w * 0.45, -6, w * 0.9, 12, 4, 0x455A64);
            c.fillRoundRect(-w * 0.1, -16, w * 0.2, 10, 4, 0x455A64);
            cairo_restore(c.cr());
        }
    } else if (role == "microphone" || role == "thumb up" || role == "pin" || role == "prize" ||
               role == "till" || role == "bottle" || role.find("brush") == 0 || role == "small clock" ||
               role == "trunk" || role == "uncoloured car" || role == "disc cover" || role == "lid") {
        static const std::map<std::string, std::string> emoji = {{"microphone", "🎤"},
                                                                 {"thumb up", "👍"},
                                                                 {"pin", "📍"},
                                                                 {"prize", "🎁"},
                                                                 {"till", "🏧"},
                                                                 {"bottle", "🍾"},
                                                                 {"brush x", "🖌️"},
                                                                 {"brush y", "🖌️"},
                                                                 {"trunk", "👕"},
                                                                 {"disc cover", "💿"},
                                                                 {"lid", "📦"}};
        if (role == "small clock")
            DemoArt::ClockFace(c, all, {3, 0});
        else if (role == "uncoloured car")
            DemoArt::Emoji(c, "🚙", all, true);
        else
            DemoArt::Emoji(c, emoji.at(role), all, true);
    } else if (role == "big arm") {
        // The time game's arm grows leftwards from the right edge, so the hand leads at the left end.
        c.fillRect(h * 0.4, h * 0.38, w - h * 0.4, h * 0.24, 0x3A6EA5);
        c.fillCircle(h * 0.32, h * 0.5, h * 0.18, 0xE0B090);
        c.fillRoundRect(h * 0.02, h * 0.45, h * 0.22, h * 0.1, h * 0.05, 0xE0B090);
    } else if (role == "left jaw" || role == "right jaw") {
        // Frames stacked downwards: the mouth shut, then open with its teeth showing.
        for (int i = 0; i < count; ++i) {
            const double y = i * h, open = i == 0 ? h * 0.06 : h * 0.4;
            c.fillRoundRect(3, y + 3, w - 6, h - 6, 12, role == "left jaw" ? 0x7CB342 : 0xAB47BC);
            c.fillRoundRect(w * 0.15, y + h / 2 - open / 2, w * 0.7, open, 5, 0x401010);
            for (int t = 0; t < 4 && i > 0; ++t)
                c.fillRect(w * 0.2 + t * w * 0.16, y + h / 2 - open / 2, w * 0.1, h * 0.1, 0xFFFFFF);
        }
    } else if (role == "till drawer") {
        c.fillRect(0, 0, w, h, 0x6A6A70);
        c.fillRect(6, 6, w - 12, h - 12, 0x2E2E32);
        for (int i = 0; i < 4; ++i)
            DemoArt::Emoji(c, i % 2 ? "🪙" : "💵", {12 + i * (w - 24) / 4, 10, (w - 24) / 4 - 6, h - 20},
                           true);
    } else if (role == "arm" || role == "arm with pin") {
        // The hand is where the screen puts a pin: its middle at x = the hand's place.
        const double hand = ThemedHardLayout::kArmHand + ThemedHardLayout::kPinW / 2.0;
        c.fillRect(hand - 12, 40, 24, h - 40, 0xE0B090);
        c.fillCircle(hand, 44, 16, 0xE0B090);
        if (role == "arm with pin")
            DemoArt::Emoji(c, "📍",
                           {double(ThemedHardLayout::kArmHand), 0, double(ThemedHardLayout::kPinW),
                            double(ThemedHardLayout::kPinH)},
                           true);
    } else if (role == "arm mask") {
        c.fillRect(0, 0, w, h, 0x8A5A30);
    } else if (role == "reels") {
        // Two tape reels whose spokes turn a third of a turn from frame to frame.
        for (int i = 0; i < count; ++i)
            for (int r = 0; r < 2; ++r) {
                double x = i * w + w * (r ? 0.72 : 0.28), rr = std::min(w * 0.22, h * 0.45);
                c.fillCircle(x, cy, rr, 0x3A3A3A);
                c.fillCircle(x, cy, rr * 0.8, 0x8A6A4A);
                for (int k = 0; k < 3; ++k) {
                    double a = (i * 40.0 + k * 120.0) * M_PI / 180.0;
                    c.line(x, cy, x + std::cos(a) * rr * 0.75, cy + std::sin(a) * rr * 0.75, 3, 0x202020);
                }
                c.fillCircle(x, cy, rr * 0.18, 0xE0E0E0);
            }
    } else if (role == "strip window" || role == "belt mask") {
        c.fillRect(0, 0, w, h, 0x303030);
        c.fillRoundRect(w * 0.06, h * 0.12, w * 0.88, h * 0.76, 10, kKeyColour);
    } else if (role.find("lozenge") == 0) {
        c.fillRoundRect(0, 0, w, h, h / 2, 0x3A7BD5);
        c.fillRoundRect(3, 3, w - 6, h - 6, (h - 6) / 2, 0xFFFFFF);
    } else if (role == "dealer head" || role == "right arm" || role == "left arm" || role == "drum" ||
               role == "dealer") {
        for (int i = 0; i < count; ++i)
            DealerFrame(c, {double(i % g.x) * w, double(i / g.x) * h, w, h}, i, count, role);
    } else {
        // Anything else: a plain rounded shape per frame, in a colour of its own.
        for (int i = 0; i < count; ++i)
            StripFrame(c, {double(i % g.x) * w, double(i / g.x) * h, w, h}, i, count, role, true);
    }
    FinishKeyed(c);
    Save(c, p.outPath);
}

// Normal, disabled, pressed and hover frames side by side, each visibly different.
void ButtonFrames(DemoCanvas& c, int w, int h, uint32_t base,
                  const std::function<void(Box, uint32_t)>& face) {
    const uint32_t fills[4] = {base, Grey(base), Darker(base, 0.6), Lighter(base, 0.45)};
    for (int f = 0; f < 4; ++f) {
        double x = f * w;
        double inset = f == 2 ? 2 : 0; // pressed buttons sink a little
        // Square outer edge: whether a screen draws the button with its colour key or not, no
        // key colour shows in the corners.
        c.fillRect(x, 0, w, h, Darker(fills[f], 0.7));
        c.fillRoundRect(x + 3 + inset, 3 + inset, w - 6 - inset * 1.5, h - 6 - inset * 1.5,
                        std::min(w, h) / 6.0, fills[f]);
        if (f == 3) c.strokeRect(x + 1, 1, w - 2, h - 2, 2, 0xFFE000);
        face({x + 4 + inset, 4 + inset, w - 8.0, h - 8.0}, f == 1 ? 0x808080 : TextColourOn(fills[f]));
        if (f == 1) c.desaturate(int(x), 0, w, h);
    }
}

uint32_t ButtonColour(const std::string& caption);

// A topic menu's button: the face in its row (see TopicFace) on the panel's paper.
void TopicButton(const DemoPicture& p, const std::string& caption, const Rect& button) {
    const Rect face = TopicFace(button);
    const int ox = face.x - button.x, oy = face.y - button.y;
    DemoCanvas c(button.w * 4, button.h, kTopicPaper);
    const uint32_t base = ButtonColour(caption);
    const uint32_t fills[4] = {base, Grey(base), Darker(base, 0.6), Lighter(base, 0.45)};
    for (int f = 0; f < 4; ++f) {
        const double x = f * button.w + ox, inset = f == 2 ? 2 : 0;
        c.fillRoundRect(x, oy, face.w, face.h, 10, Darker(fills[f], 0.7));
        c.fillRoundRect(x + 3 + inset, oy + 3 + inset, face.w - 6 - inset * 1.5, face.h - 6 - inset * 1.5, 8,
                        fills[f]);
        if (f == 3) c.strokeRect(x - 2, oy - 2, face.w + 4, face.h + 4, 3, 0xFFB000);
        DemoArt::Symbol(c, caption, {x + 6 + inset, oy + 6 + inset, face.w - 12.0, face.h - 12.0},
                        f == 1 ? 0x808080 : TextColourOn(fills[f]));
        if (f == 1) c.desaturate(int(x), oy, face.w, face.h);
    }
    Save(c, p.outPath);
}

// A button shows its symbol where it has one (Help, Quit, Play, arrows, ...), else its caption.
void Button(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 64, 64);
    if (PathHas(p, "\\SubMenu")) {
        using namespace FrontLayout;
        const std::string key = ToLowerAscii(PickCaption(p.entry->caption, 0));
        const Rect* button = key == "practice" ? &kTopicPractice
                             : key == "speak" ? &kTopicSpeak
                             : key == "easy"  ? &kTopicEasy
                             : key == "hard"  ? &kTopicHard
                             : key == "print" ? &kTopicPrint
                                              : nullptr;
        if (button && s.w == button->w && s.h == button->h)
            return TopicButton(p, PickCaption(p.entry->caption, 0), *button);
    }
    std::string caption = PickCaption(p.entry->caption, LanguageOf(p.file));
    uint32_t base = ButtonColour(caption);
    std::string key = ToLowerAscii(caption);
    if (key == "record") base = 0xF0F0F0;
    DemoCanvas c(s.w * 4, s.h, 0x000000);
    // The speaking screen's strip choices: as many little frames as the strip has pictures.
    const int frames = key == "4" ? 4 : key == "8" ? 8 : key == "10" ? 10 : 0;
    ButtonFrames(c, s.w, s.h, base, [&](Box b, uint32_t ink) {
        if (frames > 0) {
            int across = frames == 4 ? 2 : frames / 2, down = 2;
            double fw = b.w * 0.8 / across, fh = b.h * 0.7 / down;
            for (int i = 0; i < frames; ++i)
                c.fillRect(b.x + b.w * 0.1 + (i % across) * fw + 1, b.y + b.h * 0.15 + (i / across) * fh + 1,
                           fw - 2, fh - 2, ink);
        } else if (!DemoArt::Symbol(c, caption, b, ink)) {
            c.text(caption, b.x, b.y, b.w, b.h, ink, std::max(8, s.h / 3), true);
        }
    });
    Save(c, p.outPath);
}

// A small car seen from the side, its body in `paint`.
void PaintedCar(DemoCanvas& c, Box b, uint32_t paint) {
    const double w = b.w, h = b.h;
    c.fillRoundRect(b.x + w * 0.05, b.y + h * 0.45, w * 0.9, h * 0.28, h * 0.06, paint);
    c.fillRoundRect(b.x + w * 0.22, b.y + h * 0.25, w * 0.52, h * 0.26, h * 0.08, paint);
    c.fillRoundRect(b.x + w * 0.27, b.y + h * 0.29, w * 0.19, h * 0.16, 4, 0xBFE3F5);
    c.fillRoundRect(b.x + w * 0.50, b.y + h * 0.29, w * 0.19, h * 0.16, 4, 0xBFE3F5);
    for (double x : {0.27, 0.73}) {
        c.fillCircle(b.x + w * x, b.y + h * 0.74, h * 0.11, 0x202020);
        c.fillCircle(b.x + w * x, b.y + h * 0.74, h * 0.05, 0xB0B0B0);
    }
}

// A paint brush lying from top left to bottom right, its bristles dipped in `paint`.
void PaintBrush(DemoCanvas& c, Box b, uint32_t paint) {
    const double w = b.w, h = b.h;
    c.line(b.x + w * 0.08, b.y + h * 0.1, b.x + w * 0.55, b.y + h * 0.55, h * 0.1, 0x9A6A3A);
    c.line(b.x + w * 0.55, b.y + h * 0.55, b.x + w * 0.68, b.y + h * 0.68, h * 0.14, 0xB8B8C0);
    c.line(b.x + w * 0.68, b.y + h * 0.68, b.x + w * 0.92, b.y + h * 0.92, h * 0.16, paint);
}

void Item(const DemoPicture& p, const std::string& style) {
    std::string topic = TopicOf(p.entry->art);
    int n = p.file.item;
    if (style == "itembutton") {
        Size s = FrameSize(*p.entry, 64, 64);
        DemoCanvas c(s.w * 4, s.h, 0x000000);
        uint32_t base = topic == "CO" ? 0xF4F4F4 : Hsv(std::fmod(n * 47.0, 360.0), 0.3, 0.97);
        ButtonFrames(c, s.w, s.h, base, [&](Box b, uint32_t ink) {
            if (topic == "NU")
                c.text(std::to_string(n), b.x, b.y, b.w, b.h, ink, int(b.h), true);
            else
                DemoArt::Item(c, topic, n, b);
        });
        Save(c, p.outPath);
        return;
    }
    if (PathHas(p, "\\Memory\\Pics\\")) return QuizPicture(p, topic);
    Size s = FrameSize(*p.entry, 125, 130);
    bool keyed = style == "itemsprite";
    DemoCanvas c(s.w * p.entry->grid.x, s.h * p.entry->grid.y, keyed ? kKeyColour : 0xFFFFFF);
    for (int fy = 0; fy < p.entry->grid.y; ++fy)
        for (int fx = 0; fx < p.entry->grid.x; ++fx) {
            Box b{double(fx * s.w), double(fy * s.h), double(s.w), double(s.h)};
            if (keyed && topic == "CO" && (PathHas(p, "\\Easy\\Cars\\") || PathHas(p, "\\Easy\\Brushes\\"))) {
                // The colours game paints a car with a brush: both show the colour they carry.
                Keyed(c);
                uint32_t paint = DemoArt::NamedColour(Vocabulary::BuiltIn().Word("CO", n, 0), 0x808080);
                if (PathHas(p, "\\Cars\\"))
                    PaintedCar(c, b, paint);
                else
                    PaintBrush(c, b, paint);
            } else if (keyed) {
                Keyed(c);
                DemoArt::Item(c, topic, n, {b.x + 2, b.y + 2, b.w - 4, b.h - 4}, true);
            } else if (PathHas(p, "MGCountries")) {
                // Seen through the magnifying glass: the flag in a round lens, the night sky round it.
                c.fillRect(b.x, b.y, b.w, b.h, kGlobeSky);
                c.fillCircle(b.x + b.w / 2, b.y + b.h / 2, std::min(b.w, b.h) / 2 - 1, 0xDDEEFF);
                DemoArt::Item(c, topic, n, {b.x + b.w * 0.15, b.y + b.h * 0.15, b.w * 0.7, b.h * 0.7});
            } else if (topic == "CY" && s.h <= 100) {
                DemoArt::Item(c, topic, n, b); // the flag itself fills the picture
            } else {
                ItemCard(c, b, topic, n);
            }
        }
    if (keyed) FinishKeyed(c);
    Save(c, p.outPath);
}

void TextLine(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 300, 24);
    std::string topic = TopicOf(p.entry->art);
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    std::string word = Vocabulary::BuiltIn().Word(topic, p.file.item, LanguageOf(p.file));
    if (word.empty()) word = std::to_string(p.file.item);
    c.text(word, 2, 0, s.w - 4, s.h, 0x000000, s.h);
    Save(c, p.outPath);
}

// Words the learner reads: dark ink on a pale label with a clear edge.
void Caption(const DemoPicture& p, const std::string& text) {
    Size s = FrameSize(*p.entry, 300, 60);
    DemoCanvas c(s.w * p.entry->grid.x, s.h * p.entry->grid.y, 0xFFFFFF);
    // A strip with one caption a frame (the quiz menu's categories) lists them separated by commas.
    const int frames = p.entry->grid.x * p.entry->grid.y;
    std::vector<std::string> each = Split(text, ',');
    for (int fy = 0; fy < p.entry->grid.y; ++fy)
        for (int fx = 0; fx < p.entry->grid.x; ++fx) {
            double x = fx * s.w, y = fy * s.h;
            const size_t k = size_t(fy * p.entry->grid.x + fx);
            const std::string words = frames > 1 && int(each.size()) == frames ? Trim(each[k]) : text;
            c.fillRect(x, y, s.w, s.h, 0xFFF8DC);
            c.strokeRect(x, y, s.w, s.h, std::max(1.0, std::min(s.w, s.h) / 25.0), 0xC08A2A);
            c.text(words, x + 4, y + 1, s.w - 8, s.h - 2, 0x1A1A40, std::min(40, s.h - 2), true);
        }
    Save(c, p.outPath);
}

// The course disc lying in its square sleeve, so the corners a round mask leaves look meant.
void Disc(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 295, 295);
    int lang = LanguageOf(p.file);
    DemoCanvas c(s.w, s.h, 0x2C3E66);
    c.fillRect(4, 4, s.w - 8, s.h - 8, 0x3D5A99);
    double r = std::min(s.w, s.h) / 2.0, cx = s.w / 2.0, cy = s.h / 2.0;
    c.fillCircle(cx, cy, r - 6, 0xD8DEE8);
    c.fillCircle(cx, cy, r - 10, ColourOf(p.file.path, 0.45, 0.95));
    c.fillCircle(cx, cy, r * 0.2, 0xE8E8E8);
    c.fillCircle(cx, cy, r * 0.09, 0x2C3E66);
    c.text("Parlora Plus", s.w * 0.22, s.h * 0.08, s.w * 0.56, s.h * 0.12, 0x101010, 30, true);
    c.text(DemoFacts::LanguageName(p.file.target, lang), s.w * 0.2, s.h * 0.68, s.w * 0.6, s.h * 0.13,
           0x101010, 30, true);
    Save(c, p.outPath);
}

std::vector<std::string> CaptionWords(const DemoPicture& p, size_t count);

// The printed records' column headings, over the columns the page prints its rows in.
void PrintHeadings(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 1012, 40);
    std::vector<std::string> words = CaptionWords(p, 4);
    // The columns' left edges on the page, from the headings' own left edge (44).
    const int columns[5] = {3, 397, 623, 821, s.w};
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    for (int i = 0; i < 4; ++i)
        c.text(words[size_t(i)], columns[i], 0, columns[i + 1] - columns[i] - 8, s.h, 0x14284B, 26, true, false);
    Save(c, p.outPath);
}

void Title(const DemoPicture& p) {
    int lang = LanguageOf(p.file);
    // The target's own words (its TEXT folder, or the source folder of its own language standing
    // in for it): printed pages put this beside the "Learn ..." title, so it shows the language
    // learnt by its flag and its own name rather than saying the title twice.
    const bool ownWords = p.entry->root == ContentRoot::Text ||
                          (p.entry->root == ContentRoot::Source && p.file.source == p.file.target);
    if (ownWords && PathHas(p, "\\learn")) {
        Size s = FrameSize(*p.entry, 143, 47);
        DemoCanvas c(s.w, s.h, 0xFFFFFF);
        const int country = p.file.target == 1 ? 3 : p.file.target == 3 ? 1 : 2;
        DemoArt::Item(c, "CY", country, {2, 6, s.h * 1.5 - 12, s.h - 12.0});
        c.text(DemoFacts::LanguageName(p.file.target, lang), s.h * 1.5 - 4, 0, s.w - s.h * 1.5 + 2, s.h, 0x14284B,
               22, true);
        return Save(c, p.outPath);
    }
    std::string name = DemoFacts::LanguageName(p.file.target, lang);
    static const char* const learn[] = {"Learn ", "Apprends l'", "Aprende "};
    std::string text =
        p.file.path.find("default") != std::string::npos ? name : learn[std::clamp(lang, 0, 2)] + name;
    Caption(p, text);
}

// The colour a button of that caption has on the screens (see Button).
uint32_t ButtonColour(const std::string& caption) {
    const std::string key = ToLowerAscii(caption);
    if (key == "quit" || key == "close" || key == "cancel" || key == "no" || key == "delete") return 0xE05040;
    if (key == "yes" || key == "ok" || key == "begin" || key == "go") return 0x3CB050;
    return ColourOf(caption, 0.55, 0.85);
}

// A button as the screens show it, small, for a help page to point at.
void MiniButton(DemoCanvas& c, Box b, const std::string& caption) {
    const uint32_t base = ButtonColour(caption);
    c.fillRect(b.x, b.y, b.w, b.h, Darker(base, 0.7));
    c.fillRoundRect(b.x + 2, b.y + 2, b.w - 4, b.h - 4, std::min(b.w, b.h) / 6, base);
    DemoArt::Symbol(c, caption, {b.x + 3, b.y + 3, b.w - 6, b.h - 6}, TextColourOn(base));
}

// "This leads to that": a short arrow from left to right.
void HelpArrow(DemoCanvas& c, double x0, double x1, double y, uint32_t ink = 0x806020) {
    c.line(x0, y, x1 - 8, y, 4, ink);
    c.polygon({{x1, y}, {x1 - 11, y - 7}, {x1 - 11, y + 7}}, ink);
}

// The main menu's round board, small: the nine topics' pictures in a ring.
void MiniMenu(DemoCanvas& c, double cx, double cy, double r) {
    static const char* const icons[] = {"🐱", "🍎", "🎨", "💬", "🖐️", "🔢", "🕒", "🛒", "🌍"};
    c.fillCircle(cx, cy, r + 4, 0x8B5A2B);
    c.fillCircle(cx, cy, r, 0xFFF8DC);
    const double t = r * 0.3;
    for (int n = 0; n < 9; ++n) {
        const double a = n * 2 * M_PI / 9;
        const double x = cx + std::sin(a) * (r - t - 2), y = cy - std::cos(a) * (r - t - 2);
        c.fillCircle(x, y, t, Hsv((n + 1) * 40.0, 0.35, 0.97));
        DemoArt::Emoji(c, icons[n], {x - t * 0.75, y - t * 0.75, t * 1.5, t * 1.5});
    }
}

// One row of a help page: a button, an arrow, and what the button leads to.
void HelpRow(DemoCanvas& c, double y, double h, const std::string& button,
             const std::function<void(Box)>& leadsTo) {
    MiniButton(c, {22, y + 2, h - 4, h - 4}, button);
    HelpArrow(c, 22 + h + 4, 22 + h + 44, y + h / 2);
    leadsTo({22 + h + 54, y, 334 - (22 + h + 54) - 16, h});
}

// Emoji side by side, left to right in the box.
void EmojiRow(DemoCanvas& c, Box b, const std::vector<std::string>& emoji) {
    double x = b.x;
    for (const std::string& e : emoji) {
        DemoArt::Emoji(c, e, {x, b.y + 2, b.h - 4, b.h - 4});
        x += b.h + 2;
    }
}

void HelpStart(DemoCanvas& c) {
    const double top = 56, h = 37;
    HelpRow(c, top, h, "Begin", [&](Box b) {
        EmojiRow(c, b, {"🧒", "⌨️"});
        HelpArrow(c, b.x + 2 * (b.h + 2), b.x + 2 * (b.h + 2) + 30, b.y + b.h / 2);
        MiniMenu(c, b.x + 2 * (b.h + 2) + 52, b.y + b.h / 2, b.h / 2);
    });
    HelpRow(c, top + h, h, "Language", [&](Box b) {
        for (int k = 0; k < 3; ++k)
            DemoArt::Item(c, "CY", k == 0 ? 3 : k, {b.x + k * (b.h * 1.5 + 6), b.y + 5, b.h * 1.5 - 4, b.h - 10});
    });
    HelpRow(c, top + 2 * h, h, "Records", [&](Box b) { EmojiRow(c, b, {"🧒", "🏅", "📊"}); });
    HelpRow(c, top + 3 * h, h, "Read me", [&](Box b) { EmojiRow(c, b, {"📜", "ℹ️", "👀"}); });
    HelpRow(c, top + 4 * h, h, "Quit", [&](Box b) { EmojiRow(c, b, {"👋", "🚪"}); });
}

// The welcome screen moves on only through Help: press "?", close this page, and the main menu
// opens. Three steps, each with a hand over what to press.
void HelpWelcome(DemoCanvas& c) {
    const double y = 80, s = 64;
    MiniButton(c, {22, y + 20, s, s}, "Help");
    DemoArt::Emoji(c, "👆", {40, y + s + 18, 34, 40});
    HelpArrow(c, 22 + s + 6, 22 + s + 40, y + 20 + s / 2);
    // This page, small, with its close button under it.
    const double px = 132;
    c.fillRect(px, y, 78, 58, 0xF4C8E8);
    c.fillRect(px + 8, y + 6, 62, 44, 0xFFF8E0);
    DemoArt::Emoji(c, "💡", {px + 12, y + 10, 18, 18});
    MiniButton(c, {px + 25, y + 62, 28, 28}, "Close");
    DemoArt::Emoji(c, "👆", {px + 24, y + s + 30, 34, 40});
    HelpArrow(c, px + 84, px + 110, y + 20 + s / 2);
    MiniMenu(c, 285, y + 20 + s / 2, 38);
    // Step numbers under each step.
    const double numbers[3] = {54, px + 39, 285};
    for (int k = 0; k < 3; ++k) {
        c.fillCircle(numbers[k], 232, 12, 0x806020);
        c.text(std::to_string(k + 1), numbers[k] - 12, 220, 24, 24, 0xFFFFFF, 18, true);
    }
}

void HelpMenu(DemoCanvas& c) {
    MiniMenu(c, 80, 150, 64);
    DemoArt::Emoji(c, "👆", {68, 150, 40, 48});
    const double top = 56, h = 31, x = 158;
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"Memory quiz", {"🃏", "🃏", "🧠"}}, {"Awards", {"🏅", "🏆"}},   {"Language", {}},
        {"Actor", {"👨", "👩"}},             {"Web", {"🌐", "🔗"}},      {"Quit", {"👋"}}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        const double y = top + i * h;
        if (rows[i].first == "Memory quiz") {
            c.fillCircle(x + h / 2, y + h / 2, h / 2 - 1, 0xF4A0A0);
            DemoArt::Emoji(c, "🧠", {x + 4, y + 4, h - 8, h - 8});
        } else {
            MiniButton(c, {x, y + 2, h - 4, h - 4}, rows[i].first);
        }
        HelpArrow(c, x + h + 2, x + h + 34, y + h / 2);
        Box b{x + h + 40, y, 334 - (x + h + 40) - 10, h};
        if (rows[i].second.empty())
            for (int k = 0; k < 3; ++k)
                DemoArt::Item(c, "CY", k == 0 ? 3 : k, {b.x + k * (h * 1.5 + 4), b.y + 5, h * 1.5 - 4, h - 10});
        else
            EmojiRow(c, b, rows[i].second);
    }
    // The volume slider under the menu's buttons.
    c.fillRoundRect(30, 226, 100, 6, 3, 0x505860);
    c.fillRect(70, 220, 10, 18, 0xD0D8E0);
    DemoArt::Emoji(c, "🔈", {6, 218, 22, 22});
    DemoArt::Emoji(c, "🔊", {134, 218, 22, 22});
}

// The start screen's Information: what the course is, not a help page. The disc, the languages
// it teaches and its nine topics.
void HelpAbout(DemoCanvas& c, int width, int height) {
    static const char* const icons[] = {"🐱", "🍎", "🎨", "💬", "🖐️", "🔢", "🕒", "🛒", "🌍"};
    c.fillRect(0, 0, width, height, 0x2E5FB8);
    c.fillRoundRect(6, 6, width - 12, height - 12, 14, 0xEAF2FF);
    c.text("Parlora Plus", 90, 12, width - 100, 40, 0x14284B, 30, true);
    DemoArt::Emoji(c, "💿", {16, 10, 64, 64});
    for (int k = 0; k < 3; ++k)
        DemoArt::Item(c, "CY", k == 0 ? 3 : k, {100 + k * 64.0, 60, 54, 36});
    DemoArt::Emoji(c, "🗣️", {22, 106, 48, 48});
    DemoArt::Emoji(c, "🎤", {width - 70.0, 106, 48, 48});
    for (int n = 0; n < 9; ++n) {
        const double x = 30 + (n % 5) * 58.0 + (n / 5) * 29, y = 160 + (n / 5) * 40.0;
        c.fillCircle(x + 18, y + 18, 19, Hsv((n + 1) * 40.0, 0.35, 0.97));
        DemoArt::Emoji(c, icons[n], {x + 4, y + 4, 28, 28});
    }
    DemoArt::Emoji(c, "👦", {90, 104, 50, 52});
    DemoArt::Emoji(c, "👧", {width - 140.0, 104, 50, 52});
}

// A help page: what the screen is for, and, for the screens a child starts on, what each of its
// buttons does, drawn as pictures.
void Help(const DemoPicture& p) {
    int number = p.file.item;
    if (number == 0) {
        std::string stem = std::filesystem::path(p.outPath).stem().string();
        size_t digits = stem.find_first_of("0123456789");
        if (digits != std::string::npos) number = std::atoi(stem.c_str() + digits);
    }
    Size s = FrameSize(*p.entry, 334, 251);
    DemoCanvas c(s.w, s.h, 0xFFF8E0);
    if (number == 5) {
        HelpAbout(c, s.w, s.h);
        return Save(c, p.outPath);
    }
    c.strokeRect(0, 0, s.w, s.h, 4, 0x806020);
    const bool drawn = number == 1 || number == 4 || number == 35;
    DemoArt::Emoji(c, "💡", {12, drawn ? 8.0 : 14.0, drawn ? 40.0 : 56.0, drawn ? 40.0 : 56.0});
    c.text(DemoFacts::HelpSubject(number), drawn ? 60 : 76, drawn ? 8 : 14, s.w - (drawn ? 72 : 88),
           drawn ? 40 : 56, 0x402000, drawn ? 24 : 30, true);
    if (number == 1) return HelpStart(c), Save(c, p.outPath);
    if (number == 4) return HelpMenu(c), Save(c, p.outPath);
    if (number == 35) return HelpWelcome(c), Save(c, p.outPath);
    DemoArt::Emoji(c, "👆", {s.w / 2.0 - 50, 90, 100, 100});
    DemoArt::Symbol(c, "help", {s.w - 70.0, s.h - 70.0, 56, 56}, 0x806020);
    Save(c, p.outPath);
}

void FlagStrip(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 135, 80);
    DemoCanvas c(s.w * 24, s.h, 0xFFFFFF);
    for (int n = 1; n <= 24; ++n)
        DemoArt::Item(c, "CY", n, {double((n - 1) * s.w), 0, double(s.w), double(s.h)});
    Save(c, p.outPath);
}

void TheFlags(const DemoPicture& p) {
    // One 30-pixel row per line of Sources.txt (1 English, 3 French, then 5 Spanish, which comes as
    // a download), each with its flag.
    DemoCanvas c(166, 90, 0xFFFFFF);
    int row = 0;
    for (auto [source, country] : {std::pair{1, 3}, std::pair{3, 1}, std::pair{5, 2}}) {
        DemoArt::Item(c, "CY", country, {2, row * 30.0 + 3, 36, 24});
        c.text(DemoFacts::LanguageName(source, DemoFacts::LanguageIndex(source)), 44, row * 30, 120, 30,
               0x000000, 20);
        ++row;
    }
    Save(c, p.outPath);
}

void ClockStrip(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 106, 111);
    DemoCanvas c(s.w * 36, s.h, 0xFFFFFF);
    for (int f = 0; f < 36; ++f)
        DemoArt::ClockFace(c, {double(f * s.w), 0, double(s.w), double(s.h)},
                           DemoFacts::TimeOfItem(DemoFacts::ItemOfClockFrame(f)));
    Save(c, p.outPath);
}

// The globe turns in the countries practice's night sky; frame k faces country k + 1, marked by
// its flag on a pin.
void Globe(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 312, 312);
    DemoCanvas c(s.w * 24, s.h, kGlobeSky);
    for (int k = 0; k < 24; ++k) {
        double x = k * s.w, cx = x + s.w / 2.0, cy = s.h / 2.0, r = s.w / 2.0 - 6;
        c.fillCircle(cx, cy, r, 0x2060C0);
        cairo_save(c.cr());
        cairo_new_sub_path(c.cr());
        cairo_arc(c.cr(), cx, cy, r, 0, 2 * M_PI);
        cairo_clip(c.cr());
        // Continents that move across the face as the globe turns.
        for (int j = 0; j < 4; ++j) {
            double u = std::fmod(k * 0.13 + j * 0.27, 1.2) - 0.1;
            c.fillCircle(x + s.w * u, s.h * (0.3 + 0.15 * j), s.w * (0.1 + 0.03 * j), 0x40A040);
        }
        cairo_restore(c.cr());
        c.line(cx, cy, cx, cy - r * 0.5, 3, 0x303030);
        DemoArt::Item(c, "CY", k + 1, {cx, cy - r * 0.75, r * 0.5, r * 0.33});
    }
    Save(c, p.outPath);
}

// A clock hand on the key colour: the picture turns about its centre, so the needle runs from
// just below the centre up to the top edge, broad at the pivot and pointed at the tip.
void Hand(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 24, 160);
    uint32_t ink = PathHas(p, "Little") ? 0x1030A0 : 0xC02020;
    DemoCanvas c(s.w, s.h, kKeyColour);
    Keyed(c);
    double cx = s.w / 2.0, cy = s.h / 2.0;
    c.line(cx, cy + s.h * 0.08, cx, s.h * 0.22, s.w * 0.6, ink);
    c.line(cx, s.h * 0.24, cx, 4, s.w * 0.3, ink);
    c.fillCircle(cx, cy, s.w * 0.45, ink);
    FinishKeyed(c);
    Save(c, p.outPath);
}

// A face for an actor: each actor has hair and clothes of their own.
void ActorFace(DemoCanvas& c, Box b, const std::string& actor, double dx, double dy, bool blink, bool open) {
    bool male = actor.rfind("Male", 0) == 0;
    bool second = !actor.empty() && actor.back() == '2';
    uint32_t shirt = male ? (second ? 0x2E8B57 : 0x3050B0) : (second ? 0xE08020 : 0xB03060);
    uint32_t hair = male ? (second ? 0x1A1A1A : 0x8B5A2B) : (second ? 0xD4A017 : 0x6B2E10);
    uint32_t skin = second ? 0xC68E5E : 0xF0C8A0;
    double cx = b.x + b.w / 2.0 + dx, cy = b.y + b.h * 0.42 + dy, r = b.w * 0.26;
    if (!male) c.fillRoundRect(cx - r * 1.15, cy - r * 0.6, r * 2.3, r * 2.0, r * 0.6, hair);
    c.fillRoundRect(b.x + b.w * 0.15, b.y + b.h * 0.74, b.w * 0.7, b.h * 0.3, b.w * 0.1, shirt);
    c.fillRect(cx - r * 0.25, cy + r * 0.8, r * 0.5, b.h * 0.1, skin);
    c.fillCircle(cx, cy, r, skin);
    cairo_save(c.cr());
    cairo_new_path(c.cr());
    cairo_arc(c.cr(), cx, cy - r * 0.1, r * 1.05, M_PI * 1.05, M_PI * 1.95);
    cairo_close_path(c.cr());
    c.setColour(hair);
    cairo_fill(c.cr());
    cairo_restore(c.cr());
    for (int side : {-1, 1}) {
        if (blink)
            c.line(cx + side * r * 0.4 - r * 0.12, cy, cx + side * r * 0.4 + r * 0.12, cy, 2, 0x000000);
        else
            c.fillCircle(cx + side * r * 0.4, cy, r * 0.1, 0x000000);
    }
    if (open)
        c.fillCircle(cx, cy + r * 0.5, r * 0.2, 0x801010);
    else
        c.line(cx - r * 0.25, cy + r * 0.5, cx + r * 0.25, cy + r * 0.5, 3, 0x801010);
}

// Actor strips: a face that blinks (idle), opens its mouth (speak), nods (yes) or shakes (no).
void Actor(const DemoPicture& p) {
    std::string kind = TopicOf(p.entry->art);
    int frames = kind == "idle" ? 8 : kind == "speak" ? 10 : kind == "yes" || kind == "no" ? 6 : 1;
    Size s = kind == "thumb" ? Size{75, 90} : kind == "actor" ? Size{213, 255} : Size{240, 284};
    s = FrameSize(*p.entry, s.w, s.h);
    DemoCanvas c(s.w * frames, s.h, 0xD8E8F0);
    for (int f = 0; f < frames; ++f) {
        double dx = 0, dy = 0;
        if (kind == "yes") dy = (f % 2 ? 1 : -1) * s.h * 0.04 * (f < 5);
        if (kind == "no") dx = (f % 2 ? 1 : -1) * s.w * 0.05 * (f < 5);
        ActorFace(c, {double(f * s.w), 0, double(s.w), double(s.h)}, p.file.actor, dx, dy,
                  kind == "idle" && f == 4, kind == "speak" && f % 2 == 1);
    }
    Save(c, p.outPath);
}

// The boards the actor screen lays its thumbnails on: male actors on the left, female on the right.
void Thumbs(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 896, 226);
    DemoCanvas c(s.w, s.h, 0xE8E0D0);
    DemoArt::Scenery(c, "ChooseAct");
    c.fillRoundRect(8, 8, s.w / 2.0 - 16, s.h - 16, 20, 0xA0B0E0);
    c.fillRoundRect(s.w / 2.0 + 8, 8, s.w / 2.0 - 16, s.h - 16, 20, 0xE0A0B0);
    for (int i = 0; i < 6; ++i) {
        DemoArt::Star(c, 30 + i * 70.0, 28, 10, 0xFFF2A8);
        DemoArt::Star(c, s.w / 2.0 + 30 + i * 70.0, 28, 10, 0xFFF2A8);
    }
    Save(c, p.outPath);
}

// A scene of the hard games: its things stand above the buttons the scene file places.
void Scene(const DemoPicture& p) {
    std::string folder = p.file.path.substr(0, p.file.path.rfind("\\Screens"));
    std::string topic = DemoTexts::SceneTopic(folder);
    auto scenes = DemoTexts::Scenes(topic, p.buttonW, p.buttonH);
    Size s = FrameSize(*p.entry, 1024, 768);
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    DemoArt::Scenery(c, folder + std::to_string(p.file.item));
    if (p.file.item >= 1 && size_t(p.file.item) <= scenes.size())
        for (const SceneButton& b : scenes[size_t(p.file.item - 1)]) {
            double w = std::max(90, p.buttonW * 2), h = 90;
            double x = b.left + p.buttonW / 2.0 - w / 2, y = b.top - h - 6;
            c.fillRoundRect(x + w * 0.1, y + h - 8, w * 0.8, 10, 5, 0x8B6B4B); // a shelf to stand on
            DemoArt::Item(c, topic, b.item, {x, y, w, h - 8});
        }
    Save(c, p.outPath);
}

// An overlay with a round hole: only its ring shows, the rest is the key colour.
void Mask(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 295, 295);
    DemoCanvas c(s.w, s.h, kKeyColour);
    Keyed(c);
    double r = std::min(s.w, s.h) / 2.0;
    c.fillCircle(s.w / 2.0, s.h / 2.0, r - 1, 0xC0C8D8);
    c.fillCircle(s.w / 2.0, s.h / 2.0, r - 7, kKeyColour);
    FinishKeyed(c);
    Save(c, p.outPath);
}

// Captions set beside the buttons they name, so no button covers them: each word in a box
// placed relative to the caption picture's own position on its screen.
struct PlacedWord {
    std::string text;
    Rect box; // in screen coordinates
};

void PlacedCaptions(const DemoPicture& p, Rect at, uint32_t paper, const std::vector<PlacedWord>& words,
                    int maxPx = 26) {
    DemoCanvas c(at.w, at.h, paper);
    for (const PlacedWord& w : words) {
        Rect b = w.box.intersect(at); // a word never runs off its picture
        c.text(w.text, b.x - at.x, b.y - at.y, b.w, b.h, 0x14284B, std::min(maxPx, b.h), true);
    }
    Save(c, p.outPath);
}

std::vector<std::string> CaptionWords(const DemoPicture& p, size_t count) {
    std::vector<std::string> words = Split(PickCaption(p.entry->caption, LanguageOf(p.file)), '/');
    words.resize(count);
    return words;
}

// The start screen's bottom strip: a word under each bottom button.
void StartLabels(const DemoPicture& p) {
    using namespace FrontLayout;
    std::vector<std::string> w = CaptionWords(p, 3);
    auto under = [](Rect button, int width) {
        return Rect{button.x + button.w / 2 - width / 2, 726, width, 20};
    };
    Rect begin = under(kStartBegin, 140);
    begin.x =
        std::min(begin.x, kStartLabels.x + kStartLabels.w - begin.w); // the strip ends before the arrow does
    PlacedCaptions(p, kStartLabels, 0xFFF8DC,
                   {{w[0], under(kStartHelp, 140)}, {w[1], under(kStartChangeLang, 160)}, {w[2], begin}});
}

// Beside the four optional buttons: what each opens, on its row.
void StartCaptions(const DemoPicture& p) {
    using namespace FrontLayout;
    std::vector<std::string> w = CaptionWords(p, 4);
    std::vector<PlacedWord> placed;
    for (size_t i = 0; i < 4; ++i)
        placed.push_back({w[i],
                          {kStartOptionalCaptions.x + 4, kStartOptionalY[i] + 4, kStartOptionalCaptions.w - 8,
                           kStartOptionalH - 8}});
    PlacedCaptions(p, kStartOptionalCaptions, 0xFFF8DC, placed);
}

// The topic menus' captions: each under its button's frame (which covers what lies under it),
// between the buttons below.
void TopicCaptions(const DemoPicture& p) {
    using namespace FrontLayout;
    std::vector<std::string> w = CaptionWords(p, 5);
    auto below = [](Rect b, int width, int height) {
        return Rect{b.x + b.w / 2 - width / 2, b.y + b.h + 1, width, height};
    };
    // The speaking button's caption must end before the hard game's button starts.
    Rect speak = below(kTopicSpeak, 130, kTopicHard.y - (kTopicSpeak.y + kTopicSpeak.h) - 2);
    PlacedCaptions(
        p, kTopicCaptions, 0xFFF8DC,
        {{w[0], below(kTopicPractice, 120, kTopicEasy.y - (kTopicPractice.y + kTopicPractice.h) - 2)},
         {w[1], speak},
         {w[2], below(kTopicEasy, 110, 26)},
         {w[3], below(kTopicHard, 120, 26)},
         {w[4], below(kTopicPrint, 150,
                      kTopicCaptions.y + kTopicCaptions.h - (kTopicPrint.y + kTopicPrint.h) - 1)}},
        16);
}

// The ring the main menu's lights stand on, drawn on a picture whose top-left corner is at
// (left, top) on the screen: for each topic a brown band rimmed in the topic's colour under its five
// lights, and a spoke from its section to them, so every light shows whose it is.
void MenuLightRing(DemoCanvas& c, double left, double top) {
    using namespace FrontLayout;
    const double cx = kMenuLightRingX - left, cy = kMenuLightRingY - top, r = kMenuLightRingRadius;
    cairo_t* cr = c.cr();
    for (int topic = 0; topic < 9; ++topic) {
        const uint32_t colour = Darker(Hsv((topic + 1) * 40.0, 0.5, 0.95), 0.9);
        const double a0 = (MenuLightDegrees(topic * 5 + 1) - kMenuLightStepDegrees * 0.7) * M_PI / 180,
                     a1 = (MenuLightDegrees(topic * 5 + 5) + kMenuLightStepDegrees * 0.7) * M_PI / 180,
                     mid = (a0 + a1) / 2;
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, r, a0, a1);
        cairo_set_line_width(cr, kMenuLightSize + 10);
        c.setColour(colour);
        cairo_stroke(cr);
        const auto& at = kMenuSectionAt[size_t(topic)];
        const double sx = at[0] + kMenuSectionW / 2.0 - left, sy = at[1] + kMenuSectionH / 2.0 - top;
        const double ex = cx + std::cos(mid) * (r - 10), ey = cy + std::sin(mid) * (r - 10);
        const double d = std::hypot(ex - sx, ey - sy), from = kMenuSectionH / 2.0 - 2;
        if (d > from) c.line(sx + (ex - sx) * from / d, sy + (ey - sy) * from / d, ex, ey, 5, colour);
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, r, a0 + 0.01, a1 - 0.01);
        cairo_set_line_width(cr, kMenuLightSize + 2);
        c.setColour(kMenuRingBrown);
        cairo_stroke(cr);
    }
}

// The main menu's board: a disc under each section with the topic's name in its lower part,
// where the section's own picture leaves the board showing.
void MenuBoard(const DemoPicture& p) {
    using namespace FrontLayout;
    DemoCanvas c(kMenuPicture.w, kMenuPicture.h, 0x8B5A2B);
    c.fillRoundRect(8, 8, kMenuPicture.w - 16, kMenuPicture.h - 16, 30, 0xFFF8DC);
    MenuLightRing(c, kMenuPicture.x, kMenuPicture.y);
    int lang = LanguageOf(p.file);
    for (int n = 1; n <= 9; ++n) {
        double x = kMenuSectionAt[size_t(n - 1)][0] - kMenuPicture.x,
               y = kMenuSectionAt[size_t(n - 1)][1] - kMenuPicture.y;
        double cx = x + kMenuSectionW / 2.0, cy = y + kMenuSectionH / 2.0;
        uint32_t base = Hsv(n * 40.0, 0.35, 0.97);
        c.fillCircle(cx, cy, kMenuSectionH / 2.0 - 1, Darker(base, 0.7));
        c.fillCircle(cx, cy, kMenuSectionH / 2.0 - 4, base);
        c.text(Vocabulary::BuiltIn().Phrase("CAT", std::to_string(n), lang), x + 10, y + kSectionPictureH,
               kMenuSectionW - 20, kMenuSectionH - kSectionPictureH - 6, 0x14284B, 18, true);
    }
    Save(c, p.outPath);
}

// A menu section: the topic's picture on a card; frames 1 to 8 turn the card over, frame 9
// lights it up.
void Section(const DemoPicture& p) {
    static const char* const icons[] = {"🧠", "🐱", "🍎", "🎨", "💬", "🖐️", "🔢", "🕒", "🛒", "🌍"};
    Size s = FrameSize(*p.entry, 119, 118);
    int item = std::clamp(p.file.item, 0, 9);
    // A topic's card turns in the upper part only: the main menu's board names it below.
    bool onBoard = item > 0;
    double cy = onBoard ? kSectionPictureH / 2.0 + 2 : s.h / 2.0;
    double radius = onBoard ? kSectionPictureH / 2.0 - 2 : (s.h - 8) / 2.0;
    uint32_t base = Hsv(item * 40.0, 0.5, 0.9);
    int frames = std::max(1, p.entry->grid.x);
    DemoCanvas c(s.w * frames, s.h, kKeyColour);
    Keyed(c);
    for (int f = 0; f < frames; ++f) {
        double x = f * s.w;
        bool lit = f == frames - 1 && frames > 2;
        // The card narrows to its edge half way through the flip and widens again.
        double turn = frames > 2 && !lit ? std::abs(std::cos(M_PI * f / double(frames - 2))) : 1.0;
        uint32_t fill = lit ? 0xFFE45C : (turn < 0.5 ? Darker(base, 0.8) : Lighter(base, 0.3));
        cairo_save(c.cr());
        cairo_translate(c.cr(), x + s.w / 2.0, cy);
        cairo_scale(c.cr(), std::max(0.05, turn), 1.0);
        c.fillCircle(0, 0, radius, Darker(fill, 0.6));
        c.fillCircle(0, 0, radius - 3, fill);
        cairo_restore(c.cr());
        if (turn > 0.6) {
            double e = radius * 1.3;
            DemoArt::Emoji(c, icons[item], {x + s.w / 2.0 - e / 2 * turn, cy - e / 2, e * turn, e}, true);
        }
    }
    FinishKeyed(c);
    Save(c, p.outPath);
}

// A custom screen's background with its buttons drawn where its text file places them.
void CustomBackground(const DemoPicture& p) {
    bool end = p.file.path.find("CustomEnd") != std::string::npos;
    std::string text = DemoTexts::ListFile(end ? "customend" : "customstart", "", 0, 0);
    DemoCanvas canvas(1024, 768, 0xFFFFFF);
    DemoArt::Scenery(canvas, p.file.path);
    canvas.text("Parlora Plus", 200, 160, 624, 140, 0x203040, 100, true);
    DemoArt::Emoji(canvas, end ? "👋" : "🌍", {432, 330, 160, 160});
    for (const std::string& raw : Split(text, '\n')) {
        std::vector<std::string> f = Split(Trim(raw), '|');
        if (f.size() < 2) continue;
        std::vector<std::string> r = Split(f[1], ',');
        if (r.size() != 4) continue;
        int l = std::atoi(r[0].c_str()), t = std::atoi(r[1].c_str()), rr = std::atoi(r[2].c_str()),
            b = std::atoi(r[3].c_str());
        uint32_t colour = f[0] == "close" ? 0xE05040 : 0x3CB050;
        canvas.fillRoundRect(l, t, rr - l, b - t, 16, colour);
        std::string label = f[0] == "start"   ? "Start"
                            : f[0] == "close" ? "Close"
                            : f[0] == "end"   ? "Goodbye!"
                                              : f[0];
        canvas.text(label, l + 6, t + 6, rr - l - 12, b - t - 12, TextColourOn(colour), 40, true);
    }
    Save(canvas, p.outPath);
}

// A highlight that frames what lies under it: a coloured edge around the key colour.
void FrameArt(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 300, 32);
    DemoCanvas c(s.w, s.h, 0xFFB000);
    c.fillRect(3, 3, s.w - 6, s.h - 6, kKeyColour);
    FinishKeyed(c);
    Save(c, p.outPath);
}

void Digits(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 40, 50);
    DemoCanvas c(s.w * p.entry->grid.x, s.h * 10, 0xFFFFFF);
    for (int d = 0; d < 10; ++d)
        c.text(std::to_string(d), 0, d * s.h, s.w, s.h, 0x000000, s.h, true);
    Save(c, p.outPath);
}

} // namespace

int LanguageOf(const ContentFile& file) {
    const ManifestEntry& e = *file.entry;
    int number = 0;
    if (e.root == ContentRoot::Source)
        number = file.source;
    else if (e.root == ContentRoot::Text || e.root == ContentRoot::Target)
        number = file.target;
    int index = DemoFacts::LanguageIndex(number);
    return index < 0 ? 0 : index;
}

void Make(const DemoPicture& p) {
    const std::string& art = p.entry->art;
    std::string style = art.substr(0, art.find(':'));
    if (art == "bg") return Background(p);
    if (art == "panel" || art == "strip") return Panel(p);
    if (art == "sprite") return Sprite(p);
    if (art == "hand") return Hand(p);
    if (art == "button") return Button(p);
    if (style == "item" || style == "itembutton" || style == "itemsprite") return Item(p, style);
    if (style == "text") return TextLine(p);
    if (art == "startlabels") return StartLabels(p);
    if (art == "startcaptions") return StartCaptions(p);
    if (art == "topiccaptions") return TopicCaptions(p);
    if (art == "menuboard") return MenuBoard(p);
    if (art == "caption") return Caption(p, PickCaption(p.entry->caption, LanguageOf(p.file)));
    if (art == "title") return Title(p);
    if (art == "printheadings") return PrintHeadings(p);
    if (art == "disc") return Disc(p);
    if (art == "help") return Help(p);
    if (art == "flagstrip") return FlagStrip(p);
    if (art == "theflags") return TheFlags(p);
    if (art == "clockstrip") return ClockStrip(p);
    if (art == "globe") return Globe(p);
    if (style == "actor") return Actor(p);
    if (art == "thumbs") return Thumbs(p);
    if (art == "scene") return Scene(p);
    if (art == "digits") return Digits(p);
    if (art == "mask") return Mask(p);
    if (art == "frame") return FrameArt(p);
    if (art == "section") return Section(p);
    if (art == "custombg") return CustomBackground(p);
    throw AppError("Unknown picture art \"" + art + "\" for " + p.file.path);
}

} // namespace parlora::DemoPictures
