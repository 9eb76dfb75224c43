#include "tools/content/PictureFit.h"

#include "core/Errors.h"
#include "tools/content/DemoCanvas.h"
#include "tools/content/DemoSounds.h"

#include <algorithm>
#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace parlora::PictureFit {
namespace {

struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceFree>;

// PNG straight through cairo; JPEG and SVG turned into PNG by ffmpeg first (SVG drawn at 600
// pixels wide, so a small drawing stays sharp when a screen shows it large).
SurfacePtr Load(const std::string& path) {
    std::string kind = Sniff(path);
    if (kind.empty()) throw AppError(path + " is not a picture (PNG, JPEG or SVG)");
    std::string png = path;
    std::string temp;
    if (kind != "png") {
        temp = (std::filesystem::temp_directory_path() /
                ("parlora-fit-" + std::to_string(std::hash<std::string>{}(path)) + "-" +
                 std::to_string(reinterpret_cast<uintptr_t>(&kind)) + ".png"))
                   .string();
        std::string scale = kind == "svg" ? " -vf scale=600:-1" : "";
        std::string cmd = "ffmpeg -nostdin -loglevel error -y -i " + DemoSounds::ShellQuote(path) + scale +
                          " -frames:v 1 -pix_fmt rgba " + DemoSounds::ShellQuote(temp) + " 2>/dev/null";
        if (std::system(cmd.c_str()) != 0) throw AppError("Can't read picture " + path);
        png = temp;
    }
    SurfacePtr s(cairo_image_surface_create_from_png(png.c_str()));
    if (!temp.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(s.get()) < 1)
        throw AppError("Can't read picture " + path);
    return s;
}

void Place(DemoCanvas& c, cairo_surface_t* picture, double x, double y, double w, double h) {
    double pw = cairo_image_surface_get_width(picture), ph = cairo_image_surface_get_height(picture);
    FitRect r = Fit(pw, ph, w, h);
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, x + r.x, y + r.y, r.w, r.h);
    cairo_clip(cr);
    cairo_translate(cr, x + r.x, y + r.y);
    cairo_scale(cr, r.w / pw, r.h / ph);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

} // namespace

std::string Sniff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[512] = {};
    in.read(head, sizeof head);
    std::string s(head, size_t(in.gcount()));
    if (s.rfind("\x89PNG\r\n\x1A\n", 0) == 0) return "png";
    if (s.rfind("\xFF\xD8\xFF", 0) == 0) return "jpeg";
    size_t start = s.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    size_t first = s.find_first_not_of(" \t\r\n", start);
    if (first != std::string::npos && s[first] == '<' && s.find("<svg") != std::string::npos) return "svg";
    if (first != std::string::npos && s.compare(first, 5, "<?xml") == 0) {
        // The <svg> element can come after a long comment; look a little further.
        std::string more(4096, '\0');
        in.read(more.data(), std::streamsize(more.size()));
        if ((s + more.substr(0, size_t(in.gcount()))).find("<svg") != std::string::npos) return "svg";
    }
    return {};
}

FitRect Fit(double w, double h, double boxW, double boxH) {
    if (w <= 0 || h <= 0 || boxW <= 0 || boxH <= 0) return {};
    double scale = std::min(boxW / w, boxH / h);
    FitRect r{0, 0, w * scale, h * scale};
    r.x = (boxW - r.w) / 2;
    r.y = (boxH - r.h) / 2;
    return r;
}

void Render(const std::string& picturePath, int frameW, int frameH, int framesX, int framesY, bool button,
            const std::string& out) {
    SurfacePtr picture = Load(picturePath);
    framesX = std::max(1, framesX);
    framesY = std::max(1, framesY);
    DemoCanvas c(frameW * framesX, frameH * framesY, 0xFFFFFF);
    uint32_t edge = ColourOf(picturePath);
    for (int fy = 0; fy < framesY; ++fy)
        for (int fx = 0; fx < framesX; ++fx) {
            double x = fx * frameW, y = fy * frameH;
            // A button's pressed frame sits a little lower; its hover frame has a brighter edge.
            int state = button ? fx % 4 : 0;
            uint32_t frame = state == 3 ? Lighter(edge, 0.4) : state == 2 ? Darker(edge, 0.7) : edge;
            double border = std::max(2.0, std::min(frameW, frameH) / 30.0);
            c.fillRect(x, y, frameW, frameH, frame);
            c.fillRect(x + border, y + border, frameW - 2 * border, frameH - 2 * border, 0xFFFFFF);
            double m = border + std::max(1.0, std::min(frameW, frameH) * 0.04);
            double shift = state == 2 ? std::max(1.0, frameH / 40.0) : 0;
            Place(c, picture.get(), x + m, y + m + shift, frameW - 2 * m, frameH - 2 * m - shift);
            if (state == 1) c.desaturate(int(x), int(y), frameW, frameH);
        }
    std::string ext = std::filesystem::path(out).extension().string();
    if (ext == ".jpg" || ext == ".JPG" || ext == ".jpeg")
        c.writeJpeg(out);
    else
        c.writePng(out);
}

} // namespace parlora::PictureFit
