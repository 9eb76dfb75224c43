#include "tools/content/DemoArt.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "tools/content/EmbeddedText.h"
#include "tools/content/Vocabulary.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <vector>

namespace parlora {

ItemDrawings ItemDrawings::Parse(const std::string& text) {
    ItemDrawings d;
    int lineNo = 0;
    for (const std::string& raw : Split(text, '\n')) {
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = Split(line, '|');
        auto n = f.size() == 3 ? ParseInt(Trim(f[1])) : std::nullopt;
        if (!n || Trim(f[2]).empty())
            throw ConfigError("pictures.txt line " + std::to_string(lineNo) +
                              ": expected topic|n|drawing: " + line);
        d.rows_[{Trim(f[0]), int(*n)}] = Trim(f[2]);
    }
    return d;
}

const ItemDrawings& ItemDrawings::BuiltIn() {
    static const ItemDrawings d = Parse(EmbeddedPicturesText());
    return d;
}

std::string ItemDrawings::Of(const std::string& topic, int n) const {
    auto it = rows_.find({topic, n});
    return it == rows_.end() ? std::string() : it->second;
}

namespace DemoArt {
namespace {

double R(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) / 255.0;
}
double G(uint32_t rgb) {
    return ((rgb >> 8) & 0xFF) / 255.0;
}
double B(uint32_t rgb) {
    return (rgb & 0xFF) / 255.0;
}

uint32_t ParseColour(const std::string& hex) {
    return uint32_t(std::strtoul(hex.c_str(), nullptr, 16)) & 0xFFFFFF;
}

void Polygon(DemoCanvas& c, const std::vector<std::pair<double, double>>& points, uint32_t rgb) {
    cairo_t* cr = c.cr();
    c.setColour(rgb);
    cairo_new_path(cr);
    for (size_t i = 0; i < points.size(); ++i)
        (i ? cairo_line_to : cairo_move_to)(cr, points[i].first, points[i].second);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Ellipse(DemoCanvas& c, double cx, double cy, double rx, double ry, uint32_t rgb) {
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, std::max(0.5, rx), std::max(0.5, ry));
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    c.setColour(rgb);
    cairo_fill(cr);
}

// A limb: a thick round-capped line.
void Limb(DemoCanvas& c, double x0, double y0, double x1, double y1, double width, uint32_t rgb) {
    c.line(x0, y0, x1, y1, width, rgb);
}

PangoLayout* EmojiLayout(cairo_t* cr, const std::string& utf8, double px) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Noto Color Emoji");
    pango_font_description_set_absolute_size(font, px * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, utf8.c_str(), -1);
    return layout;
}

} // namespace

void Emoji(DemoCanvas& c, const std::string& utf8, Box box, bool hardEdges) {
    if (utf8.empty() || box.w < 2 || box.h < 2) return;
    // Drawn on a surface of its own first: it is measured there, and hard edges need its alpha.
    int w = int(std::ceil(box.w)), h = int(std::ceil(box.h));
    cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* lc = cairo_create(layer);
    const double designPx = 100;
    PangoLayout* layout = EmojiLayout(lc, utf8, designPx);
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    if (ink.width > 0 && ink.height > 0) {
        double scale = std::min(box.w / ink.width, box.h / ink.height);
        cairo_translate(lc, (box.w - ink.width * scale) / 2 - ink.x * scale,
                        (box.h - ink.height * scale) / 2 - ink.y * scale);
        cairo_scale(lc, scale, scale);
        pango_cairo_update_layout(lc, layout);
        pango_cairo_show_layout(lc, layout);
    }
    g_object_unref(layout);
    cairo_destroy(lc);
    cairo_surface_flush(layer);
    if (!hardEdges) {
        cairo_save(c.cr());
        cairo_set_source_surface(c.cr(), layer, box.x, box.y);
        cairo_paint(c.cr());
        cairo_restore(c.cr());
    } else {
        // Pixels at least half covered take the emoji's own colour; the rest stay as they are.
        const unsigned char* src = cairo_image_surface_get_data(layer);
        int sstride = cairo_image_surface_get_stride(layer);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t p = reinterpret_cast<const uint32_t*>(src + size_t(y) * size_t(sstride))[x];
                uint32_t a = p >> 24;
                if (a < 128) continue;
                auto un = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
                uint32_t rgb = (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
                // Never the key colour itself, or the course would drop that pixel.
                if (rgb == kKeyColour) rgb = 0xFE00FE;
                c.fillRect(std::floor(box.x) + x, std::floor(box.y) + y, 1, 1, rgb);
            }
    }
    cairo_surface_destroy(layer);
}

void Star(DemoCanvas& c, double cx, double cy, double r, uint32_t rgb) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5, rr = i % 2 ? r * 0.4 : r;
        points.push_back({cx + std::cos(a) * rr, cy + std::sin(a) * rr});
    }
    Polygon(c, points, rgb);
}

void Flag(DemoCanvas& c, const std::string& layers, Box box) {
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_clip(cr);
    Box area = box;
    for (const std::string& layerText : Split(layers, ';')) {
        std::istringstream in(Trim(layerText));
        std::string kind;
        in >> kind;
        std::vector<std::string> args;
        for (std::string a; in >> a;)
            args.push_back(a);
        auto num = [&](size_t i, double fallback) {
            return i < args.size() ? std::strtod(args[i].c_str(), nullptr) : fallback;
        };
        auto colour = [&](size_t i) { return i < args.size() ? ParseColour(args[i]) : 0xFFFFFFu; };
        const double x = area.x, y = area.y, w = area.w, h = area.h;
        if (kind == "h" || kind == "v") {
            size_t n = std::max<size_t>(1, args.size());
            for (size_t i = 0; i < args.size(); ++i) {
                if (kind == "h")
                    c.fillRect(x, y + h * double(i) / n, w, h / n + 1, colour(i));
                else
                    c.fillRect(x + w * double(i) / n, y, w / n + 1, h, colour(i));
            }
        } else if (kind == "canton") {
            area = {box.x, box.y, box.w * num(0, 0.5), box.h * num(1, 0.5)};
        } else if (kind == "full") {
            area = box;
        } else if (kind == "cross") {
            double t = h * num(1, 0.2);
            c.fillRect(x, y + (h - t) / 2, w, t, colour(0));
            c.fillRect(x + w * 0.36 - t / 2, y, t, h, colour(0));
        } else if (kind == "plus") {
            double t = h * num(1, 0.2);
            c.fillRect(x, y + (h - t) / 2, w, t, colour(0));
            c.fillRect(x + (w - t) / 2, y, t, h, colour(0));
        } else if (kind == "saltire") {
            double t = h * num(1, 0.1);
            c.line(x, y, x + w, y + h, t, colour(0));
            c.line(x + w, y, x, y + h, t, colour(0));
        } else if (kind == "disc") {
            c.fillCircle(x + w * num(2, 0.5), y + h * num(3, 0.5), h * num(1, 0.3), colour(0));
        } else if (kind == "diamond") {
            double in = h * 0.1;
            Polygon(
                c,
                {{x + in, y + h / 2}, {x + w / 2, y + in}, {x + w - in, y + h / 2}, {x + w / 2, y + h - in}},
                colour(0));
        } else if (kind == "triangle") {
            Polygon(c, {{x, y}, {x + w * num(1, 0.4), y + h / 2}, {x, y + h}}, colour(0));
        } else if (kind == "star") {
            Star(c, x + w * num(2, 0.5), y + h * num(3, 0.5), h * num(1, 0.1), colour(0));
        } else if (kind == "crescent") {
            double r = h * num(1, 0.25), cx = x + w * num(2, 0.4), cy = y + h * num(3, 0.5);
            c.fillCircle(cx, cy, r, colour(0));
            c.fillCircle(cx + r * 0.25, cy, r * 0.8, colour(4));
        } else if (kind == "emoji" && !args.empty()) {
            double s = h * num(1, 0.5);
            Emoji(c, args[0], {x + w * num(2, 0.5) - s / 2, y + h * num(3, 0.5) - s / 2, s, s});
        } else {
            cairo_restore(cr);
            throw ConfigError("Unknown flag layer \"" + kind + "\"");
        }
    }
    cairo_restore(cr);
    // A thin edge, so a white flag stands out on a white card.
    c.strokeRect(box.x, box.y, box.w, box.h, 1, 0x808080);
}

void Paint(DemoCanvas& c, uint32_t rgb, Box box) {
    double cx = box.x + box.w / 2, cy = box.y + box.h / 2, r = std::min(box.w, box.h) * 0.36;
    // A blob with round bumps, like a splash of poster paint.
    for (int i = 0; i < 9; ++i) {
        double a = i * 2 * M_PI / 9 + 0.3;
        double d = r * (i % 2 ? 0.78 : 0.62);
        c.fillCircle(cx + std::cos(a) * d, cy + std::sin(a) * d, r * (i % 3 == 0 ? 0.42 : 0.32), rgb);
    }
    c.fillCircle(cx, cy, r * 0.85, rgb);
    // A drop running off, and a soft shine.
    Ellipse(c, cx + r * 0.9, cy + r * 1.15, r * 0.12, r * 0.18, rgb);
    uint32_t shine = Lighter(rgb, 0.45);
    if (rgb == 0xF8F8F8 || rgb == 0xFFFFFF) shine = 0xE0E0E0;
    Ellipse(c, cx - r * 0.35, cy - r * 0.4, r * 0.22, r * 0.12, shine);
    // White paint on a white card still needs an edge to be seen.
    if (0.3 * R(rgb) + 0.59 * G(rgb) + 0.11 * B(rgb) > 0.9) {
        cairo_t* cr = c.cr();
        c.setColour(0xB0B0B0);
        cairo_set_line_width(cr, 1.5);
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, r * 1.05, 0, 2 * M_PI);
        cairo_stroke(cr);
    }
}

void NumberWithDots(DemoCanvas& c, int n, Box box) {
    double digitsH = n == 0 ? box.h : box.h * 0.55;
    c.text(std::to_string(n), box.x, box.y, box.w, digitsH, 0x1A3C8C, int(digitsH), true);
    if (n <= 0) return;
    // Dots in rows of five, as children count on their fingers.
    int rows = (n + 4) / 5;
    double areaY = box.y + digitsH, areaH = box.h - digitsH;
    double cell = std::min(box.w / 5.5, areaH / std::max(rows, 2));
    for (int i = 0; i < n; ++i) {
        int row = i / 5, col = i % 5;
        int inRow = std::min(5, n - row * 5);
        double x0 = box.x + (box.w - inRow * cell) / 2;
        double y0 = areaY + (areaH - rows * cell) / 2;
        c.fillCircle(x0 + (col + 0.5) * cell, y0 + (row + 0.5) * cell, cell * 0.38,
                     Hsv(20.0 + row * 90.0, 0.75, 0.9));
    }
}

void ClockFace(DemoCanvas& c, Box box, ClockTime t, bool withHands) {
    double cx = box.x + box.w / 2.0, cy = box.y + box.h / 2.0, r = std::min(box.w, box.h) / 2.0 - 3;
    c.fillCircle(cx, cy, r, 0x2C5AA0);
    c.fillCircle(cx, cy, r * 0.93, 0xFFFDF4);
    for (int i = 0; i < 60; ++i) {
        double a = i * M_PI / 30, in = i % 5 ? 0.86 : 0.78;
        if (i % 5 && r < 60) continue;
        c.line(cx + std::sin(a) * r * in, cy - std::cos(a) * r * in, cx + std::sin(a) * r * 0.9,
               cy - std::cos(a) * r * 0.9, i % 5 ? 1 : std::max(2.0, r / 30), 0x303030);
    }
    if (r >= 90 && withHands)
        for (int hour = 1; hour <= 12; ++hour) {
            double a = hour * M_PI / 6, d = r * 0.64, s = r * 0.2;
            c.text(std::to_string(hour), cx + std::sin(a) * d - s, cy - std::cos(a) * d - s * 0.7, 2 * s,
                   1.4 * s, 0x303030, int(s * 1.3), true);
        }
    if (!withHands) return;
    double minuteAngle = t.minute * M_PI / 30;
    double hourAngle = ((t.hour % 12) + t.minute / 60.0) * M_PI / 6;
    c.line(cx, cy, cx + std::sin(hourAngle) * r * 0.5, cy - std::cos(hourAngle) * r * 0.5,
           std::max(3.0, r / 12), 0x1030A0);
    c.line(cx, cy, cx + std::sin(minuteAngle) * r * 0.8, cy - std::cos(minuteAngle) * r * 0.8,
           std::max(2.0, r / 20), 0xC02020);
    c.fillCircle(cx, cy, std::max(2.0, r / 18), 0x000000);
}

void Figure(DemoCanvas& c, Box box, const std::string& lit) {
    // Drawn in the body practice screen's coordinates: the figure spans x 300..700, y 150..680.
    const double fx = 300, fy = 150, fw = 400, fh = 530;
    cairo_t* cr = c.cr();
    cairo_save(cr);
    double scale = std::min(box.w / fw, box.h / fh);
    cairo_translate(cr, box.x + (box.w - fw * scale) / 2, box.y + (box.h - fh * scale) / 2);
    cairo_scale(cr, scale, scale);
    cairo_translate(cr, -fx, -fy);
    const uint32_t skin = 0xF2C9A0, shirt = 0x4A90D9, trousers = 0x34495E, hot = 0xFF5A36;
    auto col = [&](const std::string& part, uint32_t normal) { return part == lit ? hot : normal; };
    // Legs and feet.
    Limb(c, 475, 510, 470, 630, 44, col("leg", trousers));
    Limb(c, 550, 510, 560, 630, 44, col("leg", trousers));
    c.fillCircle(560, 562, 20, col("knee", trousers));
    Ellipse(c, 490, 648, 36, 16, col("foot", 0x6B3E26));
    Ellipse(c, 580, 648, 36, 16, col("foot", 0x6B3E26));
    // Arms: the left one reaches down to the hand and finger the spots point at; the right one
    // keeps clear of the back.
    Limb(c, 440, 362, 385, 440, 32, col("arm", shirt));
    Limb(c, 385, 440, 362, 505, 28, col("arm", skin));
    c.fillCircle(360, 512, 20, col("hand", skin));
    Limb(c, 352, 525, 332, 572, 9, col("finger", skin));
    Limb(c, 612, 362, 660, 440, 32, shirt);
    Limb(c, 660, 440, 668, 500, 28, skin);
    c.fillCircle(668, 508, 19, skin);
    // Trunk, tummy and back.
    c.fillRoundRect(440, 345, 178, 180, 30, col("body", shirt));
    if (lit == "tummy") Ellipse(c, 512, 470, 48, 38, hot);
    if (lit == "back") c.fillRoundRect(590, 370, 28, 120, 12, hot);
    if (lit == "shoulder") c.fillCircle(440, 362, 24, hot);
    // Neck and head: the face sits a little left of the trunk's middle, as the spots have it.
    c.fillRoundRect(496, 300, 34, 50, 10, col("neck", skin));
    c.fillCircle(505, 238, 66, col("head", skin));
    c.fillCircle(428, 245, 15, col("ear", skin));
    c.fillCircle(582, 245, 15, skin);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_arc(cr, 505, 226, 70, M_PI * 1.02, M_PI * 1.98);
    cairo_close_path(cr);
    c.setColour(col("hair", 0x7A4A1E));
    cairo_fill(cr);
    cairo_restore(cr);
    for (double ex : {470.0, 518.0}) {
        c.fillCircle(ex, 218, 11, col("eye", 0xFFFFFF));
        c.fillCircle(ex, 219, 5, 0x203050);
    }
    Polygon(c, {{512, 228}, {502, 258}, {520, 258}}, col("nose", 0xE0A878));
    bool open = lit == "mouth" || lit == "teeth";
    Ellipse(c, 502, 287, 36, open ? 14 : 9, col("mouth", 0xC0392B));
    if (open) c.fillRect(476, 280, 52, 7, 0xFFFFFF);
    cairo_restore(cr);
}

void DrawnThing(DemoCanvas& c, const std::string& name, Box b) {
    double cx = b.x + b.w / 2, cy = b.y + b.h / 2, s = std::min(b.w, b.h);
    if (name == "table") {
        c.fillRoundRect(cx - s * 0.45, cy - s * 0.2, s * 0.9, s * 0.1, s * 0.03, 0xA0662E);
        for (double dx : {-0.38, 0.33})
            c.fillRect(cx + s * dx, cy - s * 0.1, s * 0.06, s * 0.42, 0x7E4A1E);
    } else if (name == "plum") {
        Ellipse(c, cx, cy + s * 0.05, s * 0.3, s * 0.34, 0x6B2A6B);
        Ellipse(c, cx - s * 0.1, cy - s * 0.08, s * 0.07, s * 0.1, 0x9B5A9B);
        c.line(cx, cy - s * 0.28, cx + s * 0.05, cy - s * 0.42, s * 0.04, 0x5B3A1A);
        Ellipse(c, cx + s * 0.15, cy - s * 0.36, s * 0.12, s * 0.05, 0x3C8C3C);
    } else if (name == "yoghurt") {
        Polygon(c,
                {{cx - s * 0.28, cy - s * 0.25},
                 {cx + s * 0.28, cy - s * 0.25},
                 {cx + s * 0.2, cy + s * 0.38},
                 {cx - s * 0.2, cy + s * 0.38}},
                0xF4F4F4);
        c.fillRect(cx - s * 0.25, cy - s * 0.05, s * 0.5, s * 0.18, 0xF07CA0);
        c.fillRoundRect(cx - s * 0.32, cy - s * 0.32, s * 0.64, s * 0.09, s * 0.03, 0xC8C8D8);
        Emoji(c, "🍓", {cx - s * 0.1, cy - s * 0.05, s * 0.2, s * 0.18});
    } else if (name == "bottle") {
        c.fillRoundRect(cx - s * 0.16, cy - s * 0.2, s * 0.32, s * 0.6, s * 0.08, 0x7EC8F0);
        c.fillRect(cx - s * 0.07, cy - s * 0.38, s * 0.14, s * 0.2, 0x7EC8F0);
        c.fillRect(cx - s * 0.08, cy - s * 0.44, s * 0.16, s * 0.08, 0x1F5FBF);
        c.fillRect(cx - s * 0.16, cy + s * 0.02, s * 0.32, s * 0.14, 0x1F5FBF);
    } else {
        Figure(c, b, name);
    }
}

uint32_t NamedColour(const std::string& word, uint32_t fallback) {
    static const std::map<std::string, uint32_t> colours = {
        {"red", 0xE02020},        {"blue", 0x2050E0},      {"green", 0x30A040},  {"yellow", 0xF0E020},
        {"orange", 0xF09020},     {"purple", 0x8030A0},    {"pink", 0xF090C0},   {"brown", 0x8B5A2B},
        {"black", 0x181818},      {"white", 0xF8F8F8},     {"grey", 0x909090},   {"gray", 0x909090},
        {"gold", 0xD4AF37},       {"silver", 0xC0C0C0},    {"violet", 0x8F5FD0}, {"turquoise", 0x40D0C0},
        {"light blue", 0x80C0F0}, {"dark blue", 0x102070}, {"beige", 0xE8D8B0}};
    std::string w = word;
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    auto it = colours.find(w);
    return it != colours.end() ? it->second : fallback;
}

void Item(DemoCanvas& c, const std::string& topic, int n, Box box, bool hardEdges) {
    if (topic == "CO") return Paint(c, NamedColour(Vocabulary::BuiltIn().Word("CO", n, 0), 0x808080), box);
    if (topic == "NU" || topic == "SC") return NumberWithDots(c, n, box);
    if (topic == "T") return ClockFace(c, box, DemoFacts::TimeOfItem(n));
    std::string drawing = ItemDrawings::BuiltIn().Of(topic, n);
    if (drawing.rfind("flag ", 0) == 0) {
        // Flags keep their 3:2 shape whatever the box.
        double w = std::min(box.w, box.h * 1.5), h = w / 1.5;
        return Flag(c, drawing.substr(5), {box.x + (box.w - w) / 2, box.y + (box.h - h) / 2, w, h});
    }
    if (drawing.rfind("figure ", 0) == 0) return DrawnThing(c, drawing.substr(7), box);
    if (!drawing.empty()) return Emoji(c, drawing, box, hardEdges);
    throw ConfigError("pictures.txt has no drawing for " + topic + " " + std::to_string(n));
}

bool Symbol(DemoCanvas& c, const std::string& name, Box b, uint32_t ink, bool hardEdges) {
    double cx = b.x + b.w / 2, cy = b.y + b.h / 2, s = std::min(b.w, b.h);
    auto tri = [&](double dir) {
        Polygon(c,
                {{cx - dir * s * 0.28, cy - s * 0.32},
                 {cx + dir * s * 0.34, cy},
                 {cx - dir * s * 0.28, cy + s * 0.32}},
                ink);
    };
    static const std::map<std::string, std::string> emoji = {
        {"print", "🖨️"}, {"language", "🌐"},     {"web", "🔗"},        {"speak", "🗣️"},
        {"listen", "👂"},      {"music player", "🎵"}, {"export", "🎧"},     {"delete", "🗑️"},
        {"actor", "🧑"},    {"awards", "🏅"},    {"open", "🚪"},       {"practice", "👀"},
        {"easy", "⭐"},        {"hard", "🏆"},         {"item", "🖼️"}, {"information", "ℹ️"},
        {"records", "📊"},     {"licence", "📜"},      {"read me", "📖"},    {"microphone", "🎤"}};
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char ch) { return char(std::tolower(ch)); });
    if (auto it = emoji.find(key); it != emoji.end()) {
        double m = s * 0.12;
        Emoji(c, it->second, {b.x + m, b.y + m, b.w - 2 * m, b.h - 2 * m}, hardEdges);
        return true;
    }
    if (key == "tick" || key == "yes" || key == "ok") {
        cairo_t* cr = c.cr();
        c.setColour(ink);
        cairo_set_line_width(cr, s * 0.16);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, cx - s * 0.3, cy + s * 0.02);
        cairo_line_to(cr, cx - s * 0.08, cy + s * 0.26);
        cairo_line_to(cr, cx + s * 0.32, cy - s * 0.28);
        cairo_stroke(cr);
    } else if (key == "cross" || key == "no" || key == "close" || key == "cancel" || key == "quit") {
        c.line(cx - s * 0.26, cy - s * 0.26, cx + s * 0.26, cy + s * 0.26, s * 0.15, ink);
        c.line(cx + s * 0.26, cy - s * 0.26, cx - s * 0.26, cy + s * 0.26, s * 0.15, ink);
    } else if (key == "play" || key == "go" || key == "forward" || key == "next" || key == "begin") {
        tri(1);
    } else if (key == "back" || key == "previous") {
        tri(-1);
    } else if (key == "up" || key == "down") {
        double d = key == "up" ? -1 : 1;
        Polygon(
            c,
            {{cx - s * 0.32, cy - d * s * 0.26}, {cx, cy + d * s * 0.32}, {cx + s * 0.32, cy - d * s * 0.26}},
            ink);
    } else if (key == "record") {
        c.fillCircle(cx, cy, s * 0.3, 0xE02020);
    } else if (key == "stop") {
        c.fillRect(cx - s * 0.24, cy - s * 0.24, s * 0.48, s * 0.48, ink);
    } else if (key == "sequence") {
        // Play, then play again: two triangles one after the other.
        Polygon(c, {{cx - s * 0.34, cy - s * 0.26}, {cx, cy}, {cx - s * 0.34, cy + s * 0.26}}, ink);
        Polygon(c, {{cx, cy - s * 0.26}, {cx + s * 0.34, cy}, {cx, cy + s * 0.26}}, ink);
    } else if (key == "help" || key == "?") {
        c.text("?", b.x, b.y, b.w, b.h, ink, int(s * 0.85), true);
    } else if (key == "new") {
        c.fillRect(cx - s * 0.3, cy - s * 0.08, s * 0.6, s * 0.16, ink);
        c.fillRect(cx - s * 0.08, cy - s * 0.3, s * 0.16, s * 0.6, ink);
    } else {
        return false;
    }
    return true;
}

void Medal(DemoCanvas& c, Box b, uint32_t rgb) {
    double cx = b.x + b.w / 2, r = std::min(b.w / 2, b.h * 0.32);
    Polygon(c,
            {{cx - r * 0.7, b.y},
             {cx - r * 0.1, b.y},
             {cx + r * 0.25, b.y + b.h - 2 * r},
             {cx - r * 0.35, b.y + b.h - 2 * r}},
            0x2E5FB8);
    Polygon(c,
            {{cx + r * 0.1, b.y},
             {cx + r * 0.7, b.y},
             {cx + r * 0.35, b.y + b.h - 2 * r},
             {cx - r * 0.25, b.y + b.h - 2 * r}},
            0xC8303C);
    double cy = b.y + b.h - r - 1;
    c.fillCircle(cx, cy, r, Darker(rgb, 0.75));
    c.fillCircle(cx, cy, r * 0.82, rgb);
    Star(c, cx, cy, r * 0.5, Lighter(rgb, 0.45));
}

void Scenery(DemoCanvas& c, const std::string& seed) {
    size_t hash = std::hash<std::string>{}(seed);
    double hue = double(hash % 360);
    int w = c.width(), h = c.height();
    cairo_t* cr = c.cr();
    // Sky: a soft vertical gradient.
    uint32_t top = Hsv(hue, 0.18, 0.99), bottom = Hsv(hue + 20, 0.28, 0.96);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(sky, 0, R(top), G(top), B(top));
    cairo_pattern_add_color_stop_rgb(sky, 1, R(bottom), G(bottom), B(bottom));
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    // Gentle hills along the bottom, behind whatever the screen places there.
    for (int layer = 0; layer < 2; ++layer) {
        uint32_t hill = Hsv(hue + 90 + layer * 25, 0.22 + layer * 0.08, 0.9 - layer * 0.06);
        c.setColour(hill);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, h);
        double base = h * (0.8 + layer * 0.07);
        for (int x = 0; x <= w; x += 16)
            cairo_line_to(cr, x,
                          base - std::sin(x / (140.0 + layer * 60) + double(hash % 7) + layer) * h * 0.04);
        cairo_line_to(cr, w, h);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    // A few pale bubbles in the sky.
    for (int i = 0; i < 7; ++i) {
        size_t v = hash / (i + 3) + size_t(i) * 7919;
        double x = double(v % size_t(std::max(1, w))),
               y = double((v / 13) % size_t(std::max(1, int(h * 0.6))));
        c.fillCircle(x, y, 18 + double(v % 40), Lighter(Hsv(hue + i * 40, 0.25, 0.98), 0.35));
    }
}

} // namespace DemoArt
} // namespace parlora
