#include "tools/content/DemoPictures.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
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

// The picture's name when the manifest gives no caption: the file name without extension.
std::string NameOf(const DemoPicture& p) {
    std::string c = PickCaption(p.entry->caption, LanguageOf(p.file));
    if (!c.empty()) return c;
    std::string path = p.file.path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return std::filesystem::path(path).stem().string();
}

uint32_t TextColourOn(uint32_t rgb) {
    double y = 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
    return y > 140 ? 0x202020 : 0xFFFFFF;
}

// English names of the demo colours, so colour items show their colour.
uint32_t NamedColour(const std::string& word, uint32_t fallback) {
    static const std::map<std::string, uint32_t> colours = {
        {"red", 0xE02020},        {"blue", 0x2050E0},      {"green", 0x30A040},  {"yellow", 0xF0E020},
        {"orange", 0xF09020},     {"purple", 0x8030A0},    {"pink", 0xF090C0},   {"brown", 0x8B5A2B},
        {"black", 0x181818},      {"white", 0xF8F8F8},     {"grey", 0x909090},   {"gray", 0x909090},
        {"gold", 0xD4AF37},       {"silver", 0xC0C0C0},    {"violet", 0x8F5FD0}, {"turquoise", 0x40D0C0},
        {"light blue", 0x80C0F0}, {"dark blue", 0x102070}, {"beige", 0xE8D8B0}};
    std::string w = word;
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    auto it = colours.find(w);
    return it != colours.end() ? it->second : fallback;
}

std::string TopicOf(const std::string& art) {
    auto colon = art.find(':');
    return colon == std::string::npos ? std::string() : art.substr(colon + 1);
}

std::string ItemWord(const std::string& topic, int n, int language) {
    std::string word = Vocabulary::BuiltIn().Word(topic, n, language);
    if (topic == "T" && n >= 1 && n <= 36) {
        ClockTime t = DemoFacts::TimeOfItem(n);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d:%02d", t.hour, t.minute);
        return word.empty() ? buf : word + " (" + buf + ")";
    }
    return word.empty() ? topic + " " + std::to_string(n) : word;
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

// One face of an item card, with an outline so neighbours on a sheet stay apart.
void ItemFace(DemoCanvas& c, double x, double y, int w, int h, uint32_t colour, const std::string& word,
              const std::string& code) {
    c.fillRoundRect(x + 1, y + 1, w - 2, h - 2, std::min(w, h) / 8.0, colour);
    uint32_t ink = TextColourOn(colour);
    double codeH = std::max(8.0, h * 0.18);
    c.text(word, x + 3, y + 2, w - 6, h - codeH - 4, ink, std::max(10, h / 4), true);
    c.text(code, x + 3, y + h - codeH - 2, w - 6, codeH, ink, int(codeH));
}

void Background(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 1024, 768);
    std::string name = NameOf(p);
    uint32_t base = ColourOf(name, 0.25, 0.93);
    DemoCanvas c(s.w, s.h, base);
    // Soft bands and a frame, so that the screens' elements stand out on it.
    for (int y = 0; y < s.h; y += 48)
        c.fillRect(0, y, s.w, 24, Lighter(base, 0.25));
    c.strokeRect(0, 0, s.w, s.h, 8, Darker(base, 0.7));
    c.fillRoundRect(s.w * 0.2, 12, s.w * 0.6, 40, 12, Darker(base, 0.8));
    c.text(name, s.w * 0.2, 14, s.w * 0.6, 36, TextColourOn(Darker(base, 0.8)), 30, true);
    Save(c, p.outPath);
}

void Panel(const DemoPicture& p, bool keyed) {
    Size s = FrameSize(*p.entry, 120, 90);
    const FrameGrid& g = p.entry->grid;
    std::string name = NameOf(p);
    uint32_t base = ColourOf(name, 0.45, 0.85);
    DemoCanvas c(s.w * g.x, s.h * g.y, keyed ? kKeyColour : Lighter(base, 0.5));
    for (int fy = 0; fy < g.y; ++fy)
        for (int fx = 0; fx < g.x; ++fx) {
            double x = fx * s.w, y = fy * s.h;
            int index = fy * g.x + fx;
            uint32_t colour = g.single() ? base : Hsv(std::fmod(index * 37.0, 360.0), 0.5, 0.9);
            if (keyed) {
                c.setAntialias(false);
                c.fillRoundRect(x + 2, y + 2, s.w - 4, s.h - 4, std::min(s.w, s.h) / 5.0, colour);
                c.setAntialias(true);
            } else {
                c.fillRect(x, y, s.w, s.h, Lighter(colour, 0.4));
                c.strokeRect(x, y, s.w, s.h, std::max(1.0, std::min(s.w, s.h) / 30.0), Darker(colour, 0.6));
            }
            std::string label = g.single() ? name : std::to_string(index);
            c.text(label, x + 4, y + 4, s.w - 8, s.h - 8, TextColourOn(colour), std::max(8, s.h / 3), true);
        }
    if (keyed) c.fillRect(0, c.height() - 1, 1, 1, kKeyColour);
    Save(c, p.outPath);
}

// Normal, disabled, pressed and hover frames side by side, each visibly different.
void ButtonFrames(DemoCanvas& c, int w, int h, uint32_t base,
                  const std::function<void(double, uint32_t, double)>& face) {
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
        face(x + inset, f == 1 ? 0x707070 : TextColourOn(fills[f]), inset);
    }
}

void Button(const DemoPicture& p, const std::string& word, uint32_t base) {
    Size s = FrameSize(*p.entry, 64, 64);
    DemoCanvas c(s.w * 4, s.h, 0x000000);
    ButtonFrames(c, s.w, s.h, base, [&](double x, uint32_t ink, double inset) {
        c.text(word, x + 5, 5 + inset, s.w - 10, s.h - 10, ink, std::max(8, s.h / 3), true);
    });
    Save(c, p.outPath);
}

void Item(const DemoPicture& p, const std::string& style) {
    std::string topic = TopicOf(p.entry->art);
    int n = p.file.item;
    std::string word = ItemWord(topic, n, 0);
    std::string code = topic + " " + std::to_string(n);
    uint32_t colour = topic == "CO" ? NamedColour(Vocabulary::BuiltIn().Word("CO", n, 0), ColourOf(code))
                                    : Hsv(std::fmod(n * 47.0 + topic.size() * 90.0, 360.0), 0.45, 0.92);
    if (style == "itembutton") {
        Button(p, word, colour);
        return;
    }
    Size s = FrameSize(*p.entry, 125, 130);
    bool keyed = style == "itemsprite";
    DemoCanvas c(s.w * p.entry->grid.x, s.h * p.entry->grid.y, keyed ? kKeyColour : 0xFFFFFF);
    for (int fy = 0; fy < p.entry->grid.y; ++fy)
        for (int fx = 0; fx < p.entry->grid.x; ++fx) {
            if (keyed) c.setAntialias(false);
            ItemFace(c, fx * s.w, fy * s.h, s.w, s.h, colour, word, code);
            c.setAntialias(true);
        }
    if (keyed) c.fillRect(0, c.height() - 1, 1, 1, kKeyColour);
    Save(c, p.outPath);
}

void TextLine(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 300, 24);
    std::string topic = TopicOf(p.entry->art);
    DemoCanvas c(s.w, s.h, 0xFFFFFF);
    std::string word = Vocabulary::BuiltIn().Word(topic, p.file.item, LanguageOf(p.file));
    if (word.empty()) word = topic + " " + std::to_string(p.file.item);
    c.text(word, 2, 0, s.w - 4, s.h, 0x000000, s.h);
    Save(c, p.outPath);
}

void Caption(const DemoPicture& p, const std::string& text) {
    Size s = FrameSize(*p.entry, 300, 60);
    uint32_t base = ColourOf(text, 0.3, 0.97);
    DemoCanvas c(s.w * p.entry->grid.x, s.h * p.entry->grid.y, base);
    for (int fy = 0; fy < p.entry->grid.y; ++fy)
        for (int fx = 0; fx < p.entry->grid.x; ++fx)
            c.text(text, fx * s.w + 3, fy * s.h + 1, s.w - 6, s.h - 2, 0x102040, std::min(40, s.h - 2), true);
    Save(c, p.outPath);
}

void Disc(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 295, 295);
    int lang = LanguageOf(p.file);
    DemoCanvas c(s.w, s.h, 0x000000);
    double r = std::min(s.w, s.h) / 2.0;
    c.fillCircle(s.w / 2.0, s.h / 2.0, r - 1, ColourOf(p.file.path, 0.5, 0.9));
    c.fillCircle(s.w / 2.0, s.h / 2.0, r * 0.18, 0xE0E0E0);
    c.fillCircle(s.w / 2.0, s.h / 2.0, r * 0.08, 0x000000);
    c.text("Parlora Plus", s.w * 0.15, s.h * 0.2, s.w * 0.7, s.h * 0.15, 0x101010, 32, true);
    c.text(DemoFacts::LanguageName(p.file.target, lang), s.w * 0.15, s.h * 0.65, s.w * 0.7, s.h * 0.15,
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

void Help(const DemoPicture& p) {
    static const char* const help[] = {"Help", "Aide", "Ayuda"};
    // Fixed rows (Help32.png) carry their number in the name rather than as an item.
    int number = p.file.item;
    if (number == 0) {
        std::string stem = std::filesystem::path(p.outPath).stem().string();
        size_t digits = stem.find_first_of("0123456789");
        if (digits != std::string::npos) number = std::atoi(stem.c_str() + digits);
    }
    int lang = std::clamp(LanguageOf(p.file), 0, 2);
    Size s = FrameSize(*p.entry, 334, 251);
    DemoCanvas c(s.w, s.h, 0xFFF8E0);
    c.strokeRect(0, 0, s.w, s.h, 4, 0x806020);
    c.text(std::string(help[lang]) + " " + std::to_string(number), 10, 20, s.w - 20, 50, 0x402000, 36, true);
    c.text(DemoFacts::HelpSubject(number), 10, 90, s.w - 20, 80, 0x202020, 28);
    Save(c, p.outPath);
}

// A flag as three stripes in the country's colours, with its name.
void Flag(DemoCanvas& c, double x, double y, int w, int h, int n) {
    uint32_t a = Hsv(n * 53.0, 0.7, 0.85), b = Hsv(n * 53.0 + 140, 0.6, 0.95);
    c.fillRect(x, y, w / 3.0 + 1, h, a);
    c.fillRect(x + w / 3.0, y, w / 3.0 + 1, h, 0xF4F4F4);
    c.fillRect(x + 2 * w / 3.0, y, w / 3.0, h, b);
    c.text(Vocabulary::BuiltIn().Word("CY", n, 0), x + 2, y + h * 0.35, w - 4, h * 0.3, 0x000000, 16, true);
}

void FlagStrip(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 135, 80);
    DemoCanvas c(s.w * 24, s.h, 0xFFFFFF);
    for (int n = 1; n <= 24; ++n)
        Flag(c, (n - 1) * s.w, 0, s.w, s.h, n);
    Save(c, p.outPath);
}

void TheFlags(const DemoPicture& p) {
    // One 30-pixel row per line of Sources.txt (1, then 3).
    DemoCanvas c(166, 60, 0xFFFFFF);
    int row = 0;
    for (int source : {1, 3}) {
        c.fillRect(0, row * 30, 40, 30, Hsv(source * 70.0, 0.6, 0.9));
        c.text(DemoFacts::LanguageName(source, DemoFacts::LanguageIndex(source)), 44, row * 30, 120, 30,
               0x000000, 20);
        ++row;
    }
    Save(c, p.outPath);
}

void ClockFace(DemoCanvas& c, double x, double y, int w, int h, ClockTime t) {
    double cx = x + w / 2.0, cy = y + h / 2.0, r = std::min(w, h) / 2.0 - 3;
    c.fillCircle(cx, cy, r, 0x303030);
    c.fillCircle(cx, cy, r - 3, 0xFFFFFF);
    for (int i = 0; i < 12; ++i) {
        double a = i * M_PI / 6;
        c.line(cx + std::sin(a) * r * 0.8, cy - std::cos(a) * r * 0.8, cx + std::sin(a) * r * 0.92,
               cy - std::cos(a) * r * 0.92, 2, 0x303030);
    }
    double minuteAngle = t.minute * M_PI / 30;
    double hourAngle = ((t.hour % 12) + t.minute / 60.0) * M_PI / 6;
    c.line(cx, cy, cx + std::sin(hourAngle) * r * 0.5, cy - std::cos(hourAngle) * r * 0.5, 5, 0x1030A0);
    c.line(cx, cy, cx + std::sin(minuteAngle) * r * 0.8, cy - std::cos(minuteAngle) * r * 0.8, 3, 0xC02020);
    c.fillCircle(cx, cy, 3, 0x000000);
}

void ClockStrip(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 106, 111);
    DemoCanvas c(s.w * 36, s.h, 0xFFFFFF);
    for (int f = 0; f < 36; ++f)
        ClockFace(c, f * s.w, 0, s.w, s.h, DemoFacts::TimeOfItem(DemoFacts::ItemOfClockFrame(f)));
    Save(c, p.outPath);
}

void Globe(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 312, 312);
    DemoCanvas c(s.w * 24, s.h, 0x000010);
    for (int k = 0; k < 24; ++k) {
        double x = k * s.w;
        c.fillCircle(x + s.w / 2.0, s.h / 2.0, s.w / 2.0 - 6, 0x2060C0);
        // A continent that turns with the frames.
        c.fillCircle(x + s.w * (0.2 + 0.6 * ((k * 5) % 24) / 24.0), s.h * 0.45, s.w * 0.16, 0x40A040);
        c.text(Vocabulary::BuiltIn().Word("CY", k + 1, 0), x + 20, s.h * 0.7, s.w - 40, 40, 0xFFFFFF, 30,
               true);
    }
    Save(c, p.outPath);
}

// A clock hand on the key colour: the picture turns about its centre, so the needle runs from
// just below the centre up to the top edge, broad at the pivot and pointed at the tip.
void Hand(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 24, 160);
    uint32_t ink = ColourOf(NameOf(p), 0.7, 0.45);
    DemoCanvas c(s.w, s.h, kKeyColour);
    c.setAntialias(false);
    double cx = s.w / 2.0, cy = s.h / 2.0;
    c.line(cx, cy + s.h * 0.08, cx, s.h * 0.22, s.w * 0.6, ink);
    c.line(cx, s.h * 0.24, cx, 4, s.w * 0.3, ink);
    c.fillCircle(cx, cy, s.w * 0.45, ink);
    c.fillRect(0, c.height() - 1, 1, 1, kKeyColour);
    Save(c, p.outPath);
}

// Actor strips: a face that blinks (idle), opens its mouth (speak), nods (yes) or shakes (no).
void Actor(const DemoPicture& p) {
    std::string kind = TopicOf(p.entry->art);
    bool male = p.file.actor.rfind("Male", 0) == 0;
    uint32_t shirt = male ? 0x3050B0 : 0xB03060;
    int frames = kind == "idle" ? 8 : kind == "speak" ? 10 : kind == "yes" || kind == "no" ? 6 : 1;
    Size s = kind == "thumb" ? Size{75, 90} : kind == "actor" ? Size{213, 255} : Size{240, 284};
    s = FrameSize(*p.entry, s.w, s.h);
    DemoCanvas c(s.w * frames, s.h, 0xD8E8F0);
    for (int f = 0; f < frames; ++f) {
        double x = f * s.w, dx = 0, dy = 0;
        if (kind == "yes") dy = (f % 2 ? 1 : -1) * s.h * 0.04 * (f < 5);
        if (kind == "no") dx = (f % 2 ? 1 : -1) * s.w * 0.05 * (f < 5);
        double cx = x + s.w / 2.0 + dx, cy = s.h * 0.4 + dy, r = s.w * 0.26;
        c.fillRoundRect(x + s.w * 0.15, s.h * 0.72, s.w * 0.7, s.h * 0.3, s.w * 0.1, shirt);
        c.fillCircle(cx, cy, r, 0xF0C8A0);
        c.fillCircle(cx, cy - r * 0.75, r * 0.7, male ? 0x503010 : 0x803010);
        bool blink = kind == "idle" && f == 4;
        for (int side : {-1, 1}) {
            if (blink)
                c.line(cx + side * r * 0.4 - r * 0.12, cy - r * 0.1, cx + side * r * 0.4 + r * 0.12,
                       cy - r * 0.1, 2, 0x000000);
            else
                c.fillCircle(cx + side * r * 0.4, cy - r * 0.1, r * 0.1, 0x000000);
        }
        bool open = kind == "speak" && f % 2 == 1;
        if (open)
            c.fillCircle(cx, cy + r * 0.45, r * 0.2, 0x801010);
        else
            c.line(cx - r * 0.25, cy + r * 0.45, cx + r * 0.25, cy + r * 0.45, 3, 0x801010);
        c.text(p.file.actor, x + 4, s.h * 0.8, s.w - 8, s.h * 0.15, 0xFFFFFF, 24, true);
    }
    Save(c, p.outPath);
}

void Thumbs(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 896, 226);
    DemoCanvas c(s.w, s.h, 0xE8E0D0);
    // "2thumbs.png" holds two actors of each sex.
    std::string stem = std::filesystem::path(p.outPath).stem().string();
    int n = std::clamp(std::atoi(stem.c_str()), 1, 8);
    // A frame per actor: males on the top half, females below.
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < n; ++i) {
            double w = double(s.w) / n, h = s.h / 2.0;
            c.fillRoundRect(i * w + 4, row * h + 4, w - 8, h - 8, 8, row == 0 ? 0xA0B0E0 : 0xE0A0B0);
        }
    Save(c, p.outPath);
}

void Scene(const DemoPicture& p) {
    std::string folder = p.file.path.substr(0, p.file.path.rfind("\\Screens"));
    std::string topic = DemoTexts::SceneTopic(folder);
    auto scenes = DemoTexts::Scenes(topic, p.buttonW, p.buttonH);
    Size s = FrameSize(*p.entry, 1024, 768);
    uint32_t base = ColourOf(folder, 0.2, 0.95);
    DemoCanvas c(s.w, s.h, base);
    c.text("Scene " + std::to_string(p.file.item), s.w * 0.3, 20, s.w * 0.4, 40, 0x303030, 30, true);
    if (p.file.item >= 1 && size_t(p.file.item) <= scenes.size())
        for (const SceneButton& b : scenes[size_t(p.file.item - 1)]) {
            // The thing sits above its button.
            double w = std::max(90, p.buttonW * 2), h = 90;
            double x = b.left + p.buttonW / 2.0 - w / 2, y = b.top - h - 6;
            ItemFace(c, x, y, int(w), int(h), Hsv(b.item * 47.0, 0.45, 0.92), ItemWord(topic, b.item, 0),
                     topic + " " + std::to_string(b.item));
        }
    Save(c, p.outPath);
}

// An overlay with a hole: a ring on the key colour, so what lies under it shows through.
void Mask(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 295, 295);
    DemoCanvas c(s.w, s.h, 0x303848);
    c.setAntialias(false);
    c.fillCircle(s.w / 2.0, s.h / 2.0, std::min(s.w, s.h) / 2.0 - 2, 0xC0C8D8);
    c.fillCircle(s.w / 2.0, s.h / 2.0, std::min(s.w, s.h) / 2.0 - 8, kKeyColour);
    c.fillRect(0, s.h - 1, 1, 1, kKeyColour);
    Save(c, p.outPath);
}

// A menu section: the topic's name; frames 1 to 8 turn the card over, frame 9 lights it up.
void Section(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 119, 118);
    std::string name = p.file.item > 0 ? Vocabulary::BuiltIn().Phrase("CAT", std::to_string(p.file.item), 0) : "";
    if (name.empty()) name = NameOf(p);
    uint32_t base = Hsv(p.file.item * 40.0, 0.5, 0.9);
    int frames = std::max(1, p.entry->grid.x);
    DemoCanvas c(s.w * frames, s.h, kKeyColour);
    c.setAntialias(false);
    for (int f = 0; f < frames; ++f) {
        double x = f * s.w;
        bool lit = f == frames - 1 && frames > 2;
        // The card narrows to its edge half way through the flip and widens again.
        double turn = frames > 2 && !lit ? std::abs(std::cos(M_PI * f / double(frames - 2))) : 1.0;
        double w = std::max(4.0, (s.w - 8) * turn);
        uint32_t fill = lit ? Lighter(base, 0.5) : (turn < 0.5 ? Darker(base, 0.8) : base);
        c.fillCircle(x + s.w / 2.0, s.h / 2.0, std::min(w, double(s.h - 8)) / 2.0, Darker(fill, 0.6));
        c.fillCircle(x + s.w / 2.0, s.h / 2.0, std::min(w, double(s.h - 8)) / 2.0 - 3, fill);
        if (turn > 0.6) {
            c.setAntialias(true);
            c.text(name, x + s.w / 2.0 - w / 2 + 6, 8, w - 12, s.h - 16, TextColourOn(fill), 20, true);
            c.setAntialias(false);
        }
    }
    c.fillRect(0, s.h - 1, 1, 1, kKeyColour);
    Save(c, p.outPath);
}

// A custom screen's background with its hot areas marked, read from the same lines the demo
// writes into its text file.
void CustomBackground(const DemoPicture& p) {
    bool end = p.file.path.find("CustomEnd") != std::string::npos;
    std::string text = DemoTexts::ListFile(end ? "customend" : "customstart", "", 0, 0);
    {
        std::vector<std::string> lines = Split(text, '\n');
        DemoCanvas canvas(1024, 768, ColourOf(NameOf(p), 0.25, 0.93));
        for (int y = 0; y < 768; y += 48)
            canvas.fillRect(0, y, 1024, 24, Lighter(ColourOf(NameOf(p), 0.25, 0.93), 0.25));
        canvas.text(NameOf(p), 200, 40, 624, 80, 0x203040, 60, true);
        canvas.text("Parlora Plus", 200, 200, 624, 120, 0x203040, 90, true);
        for (const std::string& raw : lines) {
            std::vector<std::string> f = Split(Trim(raw), '|');
            if (f.size() < 2) continue;
            std::vector<std::string> r = Split(f[1], ',');
            if (r.size() != 4) continue;
            int l = std::atoi(r[0].c_str()), t = std::atoi(r[1].c_str()), rr = std::atoi(r[2].c_str()),
                b = std::atoi(r[3].c_str());
            uint32_t colour = ColourOf(f[0], 0.6, 0.85);
            canvas.fillRoundRect(l, t, rr - l, b - t, 16, colour);
            std::string label = f[0];
            if (!label.empty()) label[0] = char(std::toupper(static_cast<unsigned char>(label[0])));
            canvas.text(label, l + 6, t + 6, rr - l - 12, b - t - 12, TextColourOn(colour), 40, true);
        }
        Save(canvas, p.outPath);
    }
}

// A highlight that frames what lies under it: a coloured edge around the key colour.
void FrameArt(const DemoPicture& p) {
    Size s = FrameSize(*p.entry, 300, 32);
    DemoCanvas c(s.w, s.h, 0xE03020);
    c.fillRect(3, 3, s.w - 6, s.h - 6, kKeyColour);
    c.fillRect(0, s.h - 1, 1, 1, kKeyColour);
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
    if (art == "panel" || art == "strip") return Panel(p, false);
    if (art == "sprite") return Panel(p, true);
    if (art == "hand") return Hand(p);
    if (art == "button") return Button(p, NameOf(p), ColourOf(NameOf(p), 0.55, 0.85));
    if (style == "item" || style == "itembutton" || style == "itemsprite") return Item(p, style);
    if (style == "text") return TextLine(p);
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
