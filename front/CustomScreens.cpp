#include "front/CustomScreens.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"
#include "display/DIBFocusOrder.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace parlora {

namespace {

int ClampedInt(std::string_view text, int fallback) {
    std::optional<long long> v = ParseInt(text);
    if (!v) return fallback;
    return int(std::clamp<long long>(*v, -2147483647LL, 2147483647LL));
}

// Lines end in CR (the files come from a Macintosh), LF or CR LF.
std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

// A hot area as an element that draws nothing: the keyboard's focus can rest on it and press it.
class THotAreaElement : public TCustomDIBControl {
  public:
    using TCustomDIBControl::TCustomDIBControl;

  protected:
    void Draw(Surface&, const Rect&, int, int) override {}
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(PathResolver::Resolve(path), std::ios::binary);
    if (!in) return {};
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

THotRect TCustomScreenFile::ParseRect(std::string_view text) {
    std::vector<std::string> parts = Split(text, ',');
    int v[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 4 && i < parts.size(); ++i)
        v[i] = ClampedInt(parts[i], 0);
    return {v[0], v[1], v[2], v[3]};
}

TCustomScreenFile TCustomScreenFile::Parse(std::string_view bytes, const std::vector<std::string>& keywords) {
    TCustomScreenFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<std::string> lines = SplitLines(bytes);
    if (lines.empty()) return file;
    file.background = Trim(lines[0]);
    std::vector<std::optional<THotArea>> found(keywords.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> parts = Split(lines[i], '|');
        std::string keyword = ToLowerAscii(Trim(parts[0]));
        if (keyword == "volume") {
            file.volume = parts.size() > 1 ? ClampedInt(parts[1], -1) : -1;
            continue;
        }
        auto known = std::find(keywords.begin(), keywords.end(), keyword);
        if (known == keywords.end()) continue;
        THotArea area;
        area.keyword = keyword;
        if (parts.size() > 1) area.rect = ParseRect(parts[1]);
        if (parts.size() > 2) {
            // A link may itself hold "|": everything after the rectangle belongs to it.
            std::string link = parts[2];
            for (size_t p = 3; p < parts.size(); ++p)
                link += "|" + parts[p];
            area.link = Cp1252ToUtf8(MacRomanToCp1252(Trim(link)));
        }
        found[size_t(known - keywords.begin())] = std::move(area);
    }
    for (auto& area : found)
        if (area) file.areas.push_back(std::move(*area));
    return file;
}

const THotArea* TCustomScreenFile::AreaAt(int x, int y) const {
    for (const THotArea& area : areas)
        if (area.rect.Contains(x, y)) return &area;
    return nullptr;
}

TForm_CustomScreen::TForm_CustomScreen(TForm_Main& main, const std::string& className,
                                       const std::string& textFile, const char* backgroundFormat,
                                       const std::vector<std::string>& keywords)
    : TDIBScreen(main, className) {
    Build({{"Background", "", false, false}}, {});
    file_ = TCustomScreenFile::Parse(ReadWholeFile(textFile), keywords);
    LoadPicture("Background",
                Format(backgroundFormat, main_.folders().InterfaceDir.c_str(), file_.background.c_str()));
    container_.IndexImage.SetDIBIndex(images_.IndexOf("Background"));
    container_.OnMouseMove = [this](TDIBContainer&, int x, int y) { DIBImageContainer1MouseMove(x, y); };
    container_.OnClick = [this](TDIBContainer&) { DIBImageContainer1Click(); };
    // The first area in keyword order wins where areas overlap: it is made last, on top.
    for (auto it = file_.areas.rbegin(); it != file_.areas.rend(); ++it) {
        const THotRect& r = it->rect;
        auto& hot = container_.Create<THotAreaElement>("DIBHot_" + it->keyword);
        hot.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        hot.OnMouseMove = [this](TCustomDIBControl& e, int x, int y) {
            DIBImageContainer1MouseMove(e.Left() + x, e.Top() + y);
        };
        size_t index = size_t(std::distance(it, file_.areas.rend()) - 1);
        hot.OnClick = [this, index](TCustomDIBControl&) { AreaClick(file_.areas[index]); };
    }
}

void TForm_CustomScreen::DIBImageContainer1MouseMove(int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
    main_.platform().display().setCursor(file_.AreaAt(x, y) ? CursorKind::Hand : CursorKind::Arrow);
}

void TForm_CustomScreen::DIBImageContainer1Click() {
    if (const THotArea* area = file_.AreaAt(mouseX_, mouseY_)) AreaClick(*area);
}

TCustomDIBControl* TForm_CustomScreen::QuitControl() const {
    for (const char* name : {"DIBHot_close", "DIBHot_end"})
        if (TCustomDIBControl* e = container_.FindComponent(name);
            e && TDIBFocusOrder::CanFocus(container_, *e))
            return e;
    return nullptr;
}

void TForm_CustomScreen::AreaClick(const THotArea& area) {
    if (area.keyword == "web" || area.keyword == "info") {
        main_.OpenHelpLink(area.link);
        return;
    }
    main_.platform().display().setCursor(CursorKind::Arrow);
    AreaClicked(area);
}

TForm_CustomStart::TForm_CustomStart(TForm_Main& main, const TScreenParams&)
    : TForm_CustomScreen(main, "TForm_CustomStart", main.folders().InterfaceDir + "\\start\\CustomStart.txt",
                         "%s\\start\\%s", {"web", "info", "start", "close"}) {
    // The edition's own volume for the new-user screen, in place of the configured one.
    if (file_.volume) main_.settings().Volume = *file_.volume;
}

void TForm_CustomStart::AreaClicked(const THotArea& area) {
    if (area.keyword == "start")
        main_.RequestScreen(1, 1);
    else if (area.keyword == "close")
        main_.Close();
}

TForm_CustomEnd::TForm_CustomEnd(TForm_Main& main, const TScreenParams&)
    : TForm_CustomScreen(main, "TForm_CustomEnd", main.folders().InterfaceDir + "\\end\\CustomEnd.txt",
                         "%s\\end\\%s", {"web", "end"}) {}

void TForm_CustomEnd::AreaClicked(const THotArea& area) {
    if (area.keyword == "end") main_.RequestScreen(0, 0);
}

} // namespace parlora
