#include "printing/PrintDialog.h"

#include "core/TextRenderer.h"

#include <algorithm>

namespace parlora {
namespace {

constexpr int kBoxW = 480, kBoxH = 376;
constexpr int kRowTop = 60, kRowH = 28;

uint32_t Grey(int v) {
    return ArgbFromRgb(uint8_t(v), uint8_t(v), uint8_t(v));
}

} // namespace

Rect TPrintDialog::Box() {
    return {(1024 - kBoxW) / 2, (768 - kBoxH) / 2, kBoxW, kBoxH};
}
Rect TPrintDialog::RowRect(int row) {
    Rect b = Box();
    return {b.x + 20, b.y + kRowTop + row * kRowH, b.w - 40, kRowH - 2};
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

TPrintDialog::TPrintDialog(std::string title, std::vector<PrintDestination> printers, std::string problem,
                           int pages, std::string pdfFolder)
    : title_(std::move(title)), printers_(std::move(printers)), problem_(std::move(problem)),
      pages_(std::max(0, pages)), pdfFolder_(std::move(pdfFolder)), last_(std::max(1, pages_)) {
    Build();
}

void TPrintDialog::Build() {
    buttons_.clear();
    // OK first and Cancel last: Return and Escape take them.
    buttons_.push_back({OkRect(), "OK", [this] {
                            accepted_ = true;
                            Finish();
                        }});
    if (pages_ > 1) {
        buttons_.push_back({AllPagesRect(), "All", [this] { ranged_ = false; }});
        buttons_.push_back({RangeRect(), "Range", [this] { ranged_ = true; }});
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
    buttons_.push_back({CancelRect(), "Cancel", [this] {
                            accepted_ = false;
                            Finish();
                        }});
}

void TPrintDialog::Select(int row) {
    selected_ = std::clamp(row, 0, rowCount() - 1);
}

void TPrintDialog::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::KeyDown && (e.key == "Up" || e.key == "Down")) {
        Select(selected_ + (e.key == "Up" ? -1 : 1));
        return;
    }
    // The list's rows choose at once, on the press.
    if (e.kind == InputEvent::Kind::MouseDown && e.button == MouseButton::Left) {
        for (int row = 0; row < rowCount(); ++row)
            if (RowRect(row).contains(e.x, e.y)) {
                Select(row);
                return;
            }
    }
    TModalDialog::HandleInput(e);
}

std::string TPrintDialog::RowText(int row) const {
    if (row == rowCount() - 1) return std::string(kSaveAsPdf) + "  (into " + pdfFolder_ + ")";
    const PrintDestination& p = printers_[size_t(row)];
    std::string text = p.description;
    if (p.isDefault) text += "  (default)";
    if (!p.accepting)
        text += "  - not accepting jobs";
    else if (p.stopped)
        text += "  - offline";
    return text;
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
    PaintFrame(frame, box, "Print: " + title_);
    TextStyle text;
    text.font = {"Arial", 15, false, false};
    text.verticalCentre = true;
    TextRenderer::Draw(frame, {box.x + 20, box.y + 32, box.w - 40, 24}, "Printer:", text);
    for (int row = 0; row < rowCount(); ++row) {
        Rect r = RowRect(row);
        bool on = row == selected_;
        frame.fillRect(r, on ? ArgbFromRgb(0x2A, 0x4E, 0x8C) : Grey(0xFF));
        TextStyle rowText = text;
        rowText.colour = on ? Grey(0xFF) : Grey(0);
        TextRenderer::Draw(frame, {r.x + 8, r.y, r.w - 16, r.h}, RowText(row), rowText);
    }
    if (!problem_.empty()) {
        TextStyle note = text;
        note.colour = ArgbFromRgb(0xB0, 0x10, 0x10);
        note.wordWrap = true;
        note.verticalCentre = false;
        TextRenderer::Draw(frame, {box.x + 20, box.y + kRowTop + kMaxRows * kRowH - 6, box.w - 40, 36},
                           problem_ + " Choose \"Save as PDF\" to keep the pages as a file.", note);
    }
    if (pages_ > 1) {
        TextRenderer::Draw(frame, {box.x + 20, box.y + 268, 70, 24}, "Pages:", text);
        TextStyle number = text;
        number.align = TextAlign::Centre;
        number.colour = ranged_ ? Grey(0) : Grey(0x90);
        TextRenderer::Draw(frame, {box.x + 274, box.y + 268, 34, 24}, std::to_string(first_), number);
        TextRenderer::Draw(frame, {box.x + 388, box.y + 268, 34, 24}, std::to_string(last_), number);
        TextRenderer::Draw(frame, {box.x + 218, box.y + 268, 32, 24}, "from", text);
        TextRenderer::Draw(frame, {box.x + 342, box.y + 268, 22, 24}, "to", text);
    }
    PaintButtons(frame);
    if (pages_ > 1) {
        // The page choice in effect is framed.
        Rect on = ranged_ ? RangeRect() : AllPagesRect();
        uint32_t ink = ArgbFromRgb(0x2A, 0x4E, 0x8C);
        frame.fillRect({on.x - 2, on.y - 2, on.w + 4, 2}, ink);
        frame.fillRect({on.x - 2, on.bottom(), on.w + 4, 2}, ink);
        frame.fillRect({on.x - 2, on.y, 2, on.h}, ink);
        frame.fillRect({on.right(), on.y, 2, on.h}, ink);
    }
}

} // namespace parlora
