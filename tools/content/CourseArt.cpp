#include "tools/content/CourseArt.h"

#include "core/Errors.h"
#include "tools/content/DemoArt.h"
#include "tools/content/DemoCanvas.h"
#include "tools/content/DemoFacts.h"
#include "tools/content/DemoTexts.h"
#include "tools/content/PictureFit.h"
#include "tools/content/Vocabulary.h"

#include <algorithm>
#include <cairo.h>
#include <filesystem>

namespace parlora::CourseArt {
namespace {

std::string TopicOf(const std::string& art) {
    auto colon = art.find(':');
    return colon == std::string::npos ? std::string() : art.substr(colon + 1);
}

bool EndsWithJpg(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg";
}

void Save(DemoCanvas& c, const std::string& path) {
    if (EndsWithJpg(path))
        c.writeJpeg(path);
    else
        c.writePng(path);
}

std::string Where(const Vocabulary& v, SheetPlace place) {
    return v.name() + " line " + std::to_string(place.line) + ", column " + std::to_string(place.column) + ": ";
}

// A language's flag in the box: drawn layers, a country of the course, or the author's picture.
void DrawFlag(DemoCanvas& c, const CourseLanguage& l, DemoArt::Box box) {
    const std::string& flag = l.flag;
    if (flag.rfind("flag ", 0) == 0) return DemoArt::Flag(c, flag.substr(5), box);
    if (flag.size() > 2 && flag.compare(0, 2, "CY") == 0 && std::isdigit((unsigned char)flag[2]))
        return DemoArt::Item(c, "CY", std::atoi(flag.c_str() + 2), box);
    if (!flag.empty()) {
        std::string temp = (std::filesystem::temp_directory_path() /
                            ("parlora-flag-" + std::to_string(l.number) + "-" +
                             std::to_string(std::hash<std::string>{}(flag)) + ".png"))
                               .string();
        PictureFit::Render(flag, int(box.w), int(box.h), 1, 1, false, temp);
        cairo_surface_t* s = cairo_image_surface_create_from_png(temp.c_str());
        cairo_set_source_surface(c.cr(), s, box.x, box.y);
        cairo_paint(c.cr());
        cairo_surface_destroy(s);
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return;
    }
    c.fillRect(box.x, box.y, box.w, box.h, ColourOf(l.code));
    c.text(l.code, box.x, box.y, box.w, box.h, 0xFFFFFF, int(box.h * 0.6), true);
}

// One 30-pixel row per line of Sources.txt, each with its flag and the language's own name.
void TheFlags(const DemoPicture& p) {
    const Vocabulary& v = Vocabulary::BuiltIn();
    int rows = 0;
    for (const CourseLanguage& l : v.languages())
        rows += l.source ? 1 : 0;
    DemoCanvas c(166, 30 * std::max(1, rows), 0xFFFFFF);
    int row = 0;
    for (const CourseLanguage& l : v.languages()) {
        if (!l.source) continue;
        try {
            DrawFlag(c, l, {2, row * 30.0 + 3, 36, 24});
        } catch (const AppError& e) {
            throw AppError(Where(v, l.place) + e.what());
        }
        c.text(DemoFacts::LanguageName(l.number, l.index), 44, row * 30, 120, 30, 0x000000, 20);
        ++row;
    }
    Save(c, p.outPath);
}

} // namespace

bool MakePicture(const DemoPicture& p) {
    const std::string& art = p.entry->art;
    std::string style = art.substr(0, art.find(':'));
    const Vocabulary& v = Vocabulary::BuiltIn();
    if (art == "theflags") {
        TheFlags(p);
        return true;
    }
    if (art == "title" && DemoPictures::LanguageOf(p.file) >= 3) {
        // The demo writes "Learn ..." in its three languages only; others get the language's name.
        int w = p.entry->frameW > 0 ? p.entry->frameW : 143, h = p.entry->frameH > 0 ? p.entry->frameH : 47;
        DemoCanvas c(w, h, 0xFFF8DC);
        c.strokeRect(0, 0, w, h, std::max(1.0, std::min(w, h) / 25.0), 0xC08A2A);
        c.text(DemoFacts::LanguageName(p.file.target, DemoPictures::LanguageOf(p.file)), 4, 1, w - 8, h - 2,
               0x1A1A40, std::min(40, h - 2), true);
        Save(c, p.outPath);
        return true;
    }
    // Keyed sprites stay drawn: a photograph has no outline to cut out.
    if (style != "item" && style != "itembutton") return false;
    const SheetFile* picture = v.Picture(TopicOf(art), p.file.item);
    if (!picture) return false;
    int w = p.entry->frameW > 0 ? p.entry->frameW : 125, h = p.entry->frameH > 0 ? p.entry->frameH : 130;
    try {
        if (style == "itembutton")
            PictureFit::Render(picture->path, w, h, 4, 1, true, p.outPath);
        else
            PictureFit::Render(picture->path, w, h, p.entry->grid.x, p.entry->grid.y, false, p.outPath);
    } catch (const AppError& e) {
        throw AppError(Where(v, picture->place) + e.what());
    }
    return true;
}

std::optional<std::string> ListFile(const std::string& art) {
    const Vocabulary& v = Vocabulary::BuiltIn();
    std::string out;
    if (art == "langlist") {
        for (const CourseLanguage& l : v.languages())
            if (l.target) out += std::to_string(l.number) + "|" + DemoFacts::LanguageName(l.number, l.index) + "\r\n";
        return DemoTexts::ToMacRoman(out);
    }
    if (art == "sourcestxt") {
        for (const CourseLanguage& l : v.languages())
            if (l.source) out += std::to_string(l.number) + "\r\n";
        return out;
    }
    return std::nullopt;
}

} // namespace parlora::CourseArt
