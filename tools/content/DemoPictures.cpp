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
        static const uint32_t lights[] = {0x606060, 0xE03030, 0xF0C020, 0x30B040, 0x3070E0};
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
        // Frame 0 rests by the body; the others reach further down and out to the card places.
        const double t = count > 1 ? double(index) / (count - 1) : 0;
        const bool right = role == "right arm";
        const double sx = right ? b.x + b.w * 0.75 : b.x + b.w * 0.25, sy = b.y + b.h * 0.1;
        const double hx = right ? b.x + b.w * (0.6 - 0.4 * t) : b.x + b.w * (0.4 + 0.4 * t);
        const double hy = index == 0 ? b.y + b.h * 0.45 : b.y + b.h * (0.55 + 0.3 * t);
        c.line(sx, sy, hx, hy, s * 0.16, 0x2E4A8A);
        DemoArt::Emoji(c, index == 0 ? "✊" : "🤚", {hx - s * 0.22, hy - s * 0.22, s * 0.44, s * 0.44},
                       true);
        return;
    }
    if (role == "drum") {
        // Two hands on the table, one finger after the other raised.
        for (int hand = 0; hand < 2; ++hand) {
            const double lift = (index + hand) % 2 ? s * 0.12 : 0;
            DemoArt::Emoji(c, hand ? "🤚" : "✋",
                           {b.x + b.w * (0.1 + 0.45 * hand), b.y + b.h * 0.25 - lift, s * 0.65, s * 0.65},
                           true);
        }
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

// Panels the learner looks at: plain shapes that frame what the screens draw on them.
void Panel(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 120, 90);
    const FrameGrid& g = p.entry->grid;
    std::string role = ToLowerAscii(p.entry->caption);
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
        DemoArt::Medal(c, all, metal);
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

// A button shows its symbol where it has one (Help, Quit, Play, arrows, ...), else its caption.
void Button(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 64, 64);
    std::string caption = PickCaption(p.entry->caption, LanguageOf(p.file));
    uint32_t base = ColourOf(caption, 0.55, 0.85);
    std::string key = ToLowerAscii(caption);
    if (key == "quit" || key == "close" || key == "cancel" || key == "no" || key == "delete") base = 0xE05040;
    if (key == "yes" || key == "ok" || key == "begin" || key == "go") base = 0x3CB050;
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

void Title(const DemoPicture& p) {
    int lang = LanguageOf(p.file);
    std::string name = DemoFacts::LanguageName(p.file.target, lang);
    static const char* const learn[] = {"Learn ", "Apprends l'", "Aprende "};
    std::string text =
        p.file.path.find("default") != std::string::npos ? name : learn[std::clamp(lang, 0, 2)] + name;
    Caption(p, text);
}

// A help page: what the screen is for, and a pointing hand.
void Help(const DemoPicture& p) {
    int number = p.file.item;
    if (number == 0) {
        std::string stem = std::filesystem::path(p.outPath).stem().string();
        size_t digits = stem.find_first_of("0123456789");
        if (digits != std::string::npos) number = std::atoi(stem.c_str() + digits);
    }
    Size s = FrameSize(*p.entry, 334, 251);
    DemoCanvas c(s.w, s.h, 0xFFF8E0);
    c.strokeRect(0, 0, s.w, s.h, 4, 0x806020);
    DemoArt::Emoji(c, "💡", {12, 14, 56, 56});
    c.text(DemoFacts::HelpSubject(number), 76, 14, s.w - 88, 56, 0x402000, 30, true);
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

// The topic menus' captions: each under its button, between the buttons below.
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

// The main menu's board: a disc under each section with the topic's name in its lower part,
// where the section's own picture leaves the board showing.
void MenuBoard(const DemoPicture& p) {
    using namespace FrontLayout;
    DemoCanvas c(kMenuPicture.w, kMenuPicture.h, 0x8B5A2B);
    c.fillRoundRect(8, 8, kMenuPicture.w - 16, kMenuPicture.h - 16, 30, 0xFFF8DC);
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
