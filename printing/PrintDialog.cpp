#include "printing/PrintDialog.h"

#include "core/StringUtil.h"
#include "core/TextRenderer.h"
#include "platform/Translation.h"

#include <algorithm>

namespace parlora {
namespace {

constexpr int kBoxW = 480, kBoxH = 376;
constexpr int kRowTop = 60, kRowH = 28;
constexpr int kBarW = 18, kBarGap = 4;
// Rows one notch of the wheel moves.
constexpr int kWheelRows = 2;
const uint32_t kInk = ArgbFromRgb(0x2A, 0x4E, 0x8C);

uint32_t Grey(int v) {
    return ArgbFromRgb(uint8_t(v), uint8_t(v), uint8_t(v));
}

Rect BarRect() {
    Rect b = TPrintDialog::Box();
    return {b.right() - 20 - kBarW, b.y + kRowTop, kBarW, TPrintDialog::kMaxRows * kRowH - 2};
}

void Frame(Surface& frame, const Rect& r, uint32_t colour) {
    frame.fillRect({r.x, r.y, r.w, 1}, colour);
    frame.fillRect({r.x, r.bottom() - 1, r.w, 1}, colour);
    frame.fillRect({r.x, r.y, 1, r.h}, colour);
    frame.fillRect({r.right() - 1, r.y, 1, r.h}, colour);
}

// A small solid triangle pointing up or down, centred in `r`.
void Arrow(Surface& frame, const Rect& r, bool up, uint32_t colour) {
    const int half = 5;
    int cx = r.x + r.w / 2, top = r.y + (r.h - half) / 2;
    for (int i = 0; i < half; ++i) {
        int w = up ? i : half - 1 - i;
        frame.fillRect({cx - w, top + i, 2 * w + 1, 1}, colour);
    }
}

} // namespace

Rect TPrintDialog::Box() {
    return {(1024 - kBoxW) / 2, (768 - kBoxH) / 2, kBoxW, kBoxH};
}
Rect TPrintDialog::RowRect(int row) {
    Rect b = Box();
    return {b.x + 20, b.y + kRowTop + row * kRowH, b.w - 40, kRowH - 2};
}
Rect TPrintDialog::ScrollUpRect() {
    Rect bar = BarRect();
    return {bar.x, bar.y, bar.w, kBarW};
}
Rect TPrintDialog::ScrollDownRect() {
    Rect bar = BarRect();
    return {bar.x, bar.bottom() - kBarW, bar.w, kBarW};
}
Rect TPrintDialog::ScrollTrackRect() {
    Rect bar = BarRect();
    return {bar.x, bar.y + kBarW, bar.w, bar.h - 2 * kBarW};
}
Rect TPrintDialog::AllPagesRect() {
    Rect b = Box();
    return {b.x + 90, b.y + 268, 60, 24};
}
Rect TPrintDialog::RangeRect() {
    Rect b = Box();
    return {b.x + 156, b.y + 268, 60, 24};
}
Rect TPrintDialog::FromMinusRect() {
    Rect b = Box();
    return {b.x + 250, b.y + 268, 24, 24};
}
Rect TPrintDialog::FromPlusRect() {
    Rect b = Box();
    return {b.x + 308, b.y + 268, 24, 24};
}
Rect TPrintDialog::ToMinusRect() {
    Rect b = Box();
    return {b.x + 364, b.y + 268, 24, 24};
}
Rect TPrintDialog::ToPlusRect() {
    Rect b = Box();
    return {b.x + 422, b.y + 268, 24, 24};
}
Rect TPrintDialog::OkRect() {
    Rect b = Box();
    return {b.right() - 196, b.bottom() - 40, 86, 26};
}
Rect TPrintDialog::CancelRect() {
    Rect b = Box();
    return {b.right() - 102, b.bottom() - 40, 86, 26};
}

Rect TPrintDialog::ThumbRect() const {
    Rect track = ScrollTrackRect();
    int h = std::max(16, track.h * kMaxRows / std::max(1, rowCount()));
    int maxTop = std::max(1, rowCount() - kMaxRows);
    return {track.x, track.y + (track.h - h) * top_ / maxTop, track.w, h};
}

Rect TPrintDialog::ShownRowRect(int shownRow) const {
    Rect r = RowRect(shownRow);
    // The scroll bar takes the rows' right end.
    if (scrolls()) r.w -= kBarW + kBarGap;
    return r;
}

TPrintDialog::TPrintDialog(std::string title, std::vector<PrintDestination> printers, std::string problem,
                           int pages, std::string pdfFolder)
    : title_(std::move(title)), printers_(std::move(printers)), problem_(std::move(problem)),
      pages_(std::max(0, pages)), pdfFolder_(std::move(pdfFolder)), last_(std::max(1, pages_)) {
    Build();
}

void TPrintDialog::Build() {
    buttons_.clear();
    // OK first and Cancel last: Return and Escape take them.
    buttons_.push_back({OkRect(), Tr("OK"), [this] {
                            accepted_ = true;
                            Finish();
                        }});
    if (pages_ > 1) {
        buttons_.push_back({AllPagesRect(), Tr("All"), [this] { ranged_ = false; }});
        buttons_.push_back({RangeRect(), Tr("Range"), [this] { ranged_ = true; }});
        auto step = [this](int& v, int by) {
            ranged_ = true;
            v = std::clamp(v + by, 1, pages_);
            // The range never runs backwards.
            if (&v == &first_ && first_ > last_) last_ = first_;
            if (&v == &last_ && last_ < first_) first_ = last_;
        };
        buttons_.push_back({FromMinusRect(), "-", [this, step] { step(first_, -1); }});
        buttons_.push_back({FromPlusRect(), "+", [this, step] { step(first_, 1); }});
        buttons_.push_back({ToMinusRect(), "-", [this, step] { step(last_, -1); }});
        buttons_.push_back({ToPlusRect(), "+", [this, step] { step(last_, 1); }});
    }
    buttons_.push_back({CancelRect(), Tr("Cancel"), [this] {
                            accepted_ = false;
                            Finish();
                        }});
}

void TPrintDialog::ScrollTo(int top) {
    top_ = std::clamp(top, 0, rowCount() - visibleRows());
}

void TPrintDialog::Select(int row) {
    selected_ = std::clamp(row, 0, rowCount() - 1);
    // The chosen row is always in sight.
    if (selected_ < top_) ScrollTo(selected_);
    if (selected_ >= top_ + visibleRows()) ScrollTo(selected_ - visibleRows() + 1);
}

void TPrintDialog::DragThumb(int y) {
    Rect track = ScrollTrackRect();
    int h = ThumbRect().h;
    int room = std::max(1, track.h - h);
    int maxTop = rowCount() - kMaxRows;
    int pos = std::clamp(y - dragFrom_ - track.y, 0, room);
    ScrollTo((pos * maxTop + room / 2) / room);
}

void TPrintDialog::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::KeyDown) {
        const int page = visibleRows() - 1;
        const std::string& k = e.key;
        int to = k == "Up"         ? selected_ - 1
                 : k == "Down"     ? selected_ + 1
                 : k == "PageUp"   ? selected_ - std::max(1, page)
                 : k == "PageDown" ? selected_ + std::max(1, page)
                 : k == "Home"     ? 0
                 : k == "End"      ? rowCount() - 1
                                   : -2;
        if (to != -2) {
            Select(to);
            return;
        }
    }
    if (e.kind == InputEvent::Kind::Wheel) {
        if (Box().contains(e.x, e.y)) ScrollTo(top_ - e.wheel * kWheelRows);
        return;
    }
    if (e.kind == InputEvent::Kind::MouseMove && dragFrom_ >= 0) {
        DragThumb(e.y);
        return;
    }
    if (e.kind == InputEvent::Kind::MouseUp && e.button == MouseButton::Left) dragFrom_ = -1;
    if (e.kind == InputEvent::Kind::MouseDown && e.button == MouseButton::Left) {
        if (scrolls() && BarRect().contains(e.x, e.y)) {
            Rect thumb = ThumbRect();
            if (ScrollUpRect().contains(e.x, e.y))
                ScrollTo(top_ - 1);
            else if (ScrollDownRect().contains(e.x, e.y))
                ScrollTo(top_ + 1);
            else if (thumb.contains(e.x, e.y))
                dragFrom_ = e.y - thumb.y;
            else // the track: a page towards the pointer
                ScrollTo(top_ + (e.y < thumb.y ? -1 : 1) * (kMaxRows - 1));
            return;
        }
        // The list's rows choose at once, on the press.
        for (int shown = 0; shown < visibleRows(); ++shown)
            if (ShownRowRect(shown).contains(e.x, e.y)) {
                Select(top_ + shown);
                return;
            }
    }
    TModalDialog::HandleInput(e);
}

std::string TPrintDialog::RowText(int row) const {
    if (row == rowCount() - 1) return Format(Tr("Save as PDF  (into %s)"), pdfFolder_.c_str());
    const PrintDestination& p = printers_[size_t(row)];
    std::string text = p.description;
    if (p.isDefault) text += std::string("  ") + Tr("(default)");
    if (!p.accepting)
        text += std::string("  - ") + Tr("not accepting jobs");
    else if (p.stopped)
        text += std::string("  - ") + Tr("offline");
    return text;
}

std::string TPrintDialog::ProblemText() const {
    if (problem_.empty()) return {};
    return problem_ + " " + Tr("Choose \"Save as PDF\" to keep the pages as a file.");
}

std::vector<std::string> TPrintDialog::Texts() const {
    std::vector<std::string> out{Format(Tr("Print: %s"), title_.c_str()), Tr("Printer:")};
    for (int shown = 0; shown < visibleRows(); ++shown)
        out.push_back(RowText(top_ + shown));
    if (!problem_.empty()) out.push_back(ProblemText());
    if (pages_ > 1)
        for (const char* label : {"Pages:", "from", "to"})
            out.push_back(Tr(label));
    for (const Button& b : buttons_)
        out.push_back(b.caption);
    return out;
}

TPrintChoice TPrintDialog::choice() const {
    TPrintChoice c;
    c.savePdf = selected_ == rowCount() - 1;
    if (!c.savePdf) c.printer = printers_[size_t(selected_)];
    c.ranged = ranged_ && pages_ > 1;
    c.first = c.ranged ? first_ : 1;
    c.last = c.ranged ? last_ : std::max(1, pages_);
    return c;
}

void TPrintDialog::Paint(Surface& frame) {
    Rect box = Box();
    PaintFrame(frame, box, Format(Tr("Print: %s"), title_.c_str()));
    TextStyle text;
    text.font = {"Arial", 15, false, false};
    text.verticalCentre = true;
    TextRenderer::Draw(frame, {box.x + 20, box.y + 32, box.w - 40, 24}, Tr("Printer:"), text);
    for (int shown = 0; shown < visibleRows(); ++shown) {
        int row = top_ + shown;
        Rect r = ShownRowRect(shown);
        bool on = row == selected_;
        frame.fillRect(r, on ? kInk : Grey(0xFF));
        TextStyle rowText = text;
        rowText.colour = on ? Grey(0xFF) : Grey(0);
        TextRenderer::Draw(frame, {r.x + 8, r.y, r.w - 16, r.h}, RowText(row), rowText);
    }
    if (scrolls()) {
        Rect bar = BarRect();
        frame.fillRect(bar, Grey(0xD8));
        Frame(frame, bar, Grey(0x90));
        for (Rect button : {ScrollUpRect(), ScrollDownRect()}) {
            frame.fillRect(button, Grey(0xE4));
            Frame(frame, button, Grey(0x70));
        }
        Arrow(frame, ScrollUpRect(), true, top_ > 0 ? Grey(0x20) : Grey(0xA0));
        Arrow(frame, ScrollDownRect(), false, top_ + kMaxRows < rowCount() ? Grey(0x20) : Grey(0xA0));
        Rect thumb = ThumbRect();
        frame.fillRect({thumb.x + 2, thumb.y + 1, thumb.w - 4, thumb.h - 2}, kInk);
    }
    if (!problem_.empty()) {
        TextStyle note = text;
        note.colour = ArgbFromRgb(0xB0, 0x10, 0x10);
        note.wordWrap = true;
        note.verticalCentre = false;
        TextRenderer::Draw(frame, {box.x + 20, box.y + kRowTop + kMaxRows * kRowH - 6, box.w - 40, 36},
                           ProblemText(), note);
    }
    if (pages_ > 1) {
        TextRenderer::Draw(frame, {box.x + 20, box.y + 268, 70, 24}, Tr("Pages:"), text);
        TextStyle number = text;
        number.align = TextAlign::Centre;
        number.colour = ranged_ ? Grey(0) : Grey(0x90);
        TextRenderer::Draw(frame, {box.x + 274, box.y + 268, 34, 24}, std::to_string(first_), number);
        TextRenderer::Draw(frame, {box.x + 388, box.y + 268, 34, 24}, std::to_string(last_), number);
        TextRenderer::Draw(frame, {box.x + 218, box.y + 268, 32, 24}, Tr("from"), text);
        TextRenderer::Draw(frame, {box.x + 342, box.y + 268, 22, 24}, Tr("to"), text);
    }
    PaintButtons(frame);
    if (pages_ > 1) {
        // The page choice in effect is framed.
        Rect on = ranged_ ? RangeRect() : AllPagesRect();
        frame.fillRect({on.x - 2, on.y - 2, on.w + 4, 2}, kInk);
        frame.fillRect({on.x - 2, on.bottom(), on.w + 4, 2}, kInk);
        frame.fillRect({on.x - 2, on.y, 2, on.h}, kInk);
        frame.fillRect({on.right(), on.y, 2, on.h}, kInk);
    }
}

} // namespace parlora
