#include "shell/InsertDiscDialog.h"

#include "core/PathResolver.h"
#include "core/TextRenderer.h"
#include "platform/Translation.h"

namespace parlora {

TForm_InsertCD::TForm_InsertCD(Dispatcher& dispatcher, std::string prompt, Scan scan, Check check)
    : dispatcher_(dispatcher), prompt_(std::move(prompt)), scan_(std::move(scan)), check_(std::move(check)) {
    box_ = {(1024 - 367) / 2, (768 - 241) / 2, 367, 241};
    LayoutButtons();
    Timer1 = dispatcher_.setTimer(1000, true, [this] { TryScan(); });
}

TForm_InsertCD::~TForm_InsertCD() {
    if (Timer1) dispatcher_.killTimer(Timer1);
}

void TForm_InsertCD::LayoutButtons() {
    buttons_.clear();
    int y = box_.bottom() - 40;
    buttons_.push_back(
        {{box_.x + 24, y, 95, 28}, Tr("OK"), [this] { browsing_ ? AcceptTypedPath() : BitBtn_OKClick(); }});
    buttons_.push_back({{box_.x + 136, y, 95, 28}, Tr("Browse"), [this] { BitBtn_BrowseClick(); }});
    buttons_.push_back({{box_.x + 248, y, 95, 28}, Tr("Cancel"), [this] { BitBtn_CancelClick(); }});
}

void TForm_InsertCD::TryScan() {
    if (finished()) return;
    std::string hit = scan_();
    if (!hit.empty()) {
        result_ = hit;
        Finish();
    }
}

void TForm_InsertCD::BitBtn_OKClick() {
    TryScan();
}

void TForm_InsertCD::BitBtn_CancelClick() {
    result_.clear();
    Finish();
}

void TForm_InsertCD::BitBtn_BrowseClick() {
    browsing_ = true;
    browseNote_.clear();
}

void TForm_InsertCD::AcceptTypedPath() {
    std::string path = typed_;
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    // A file chosen inside the data directory stands for its folder.
    if (PathResolver::IsFile(path)) {
        size_t slash = path.find_last_of("/\\");
        path = slash == std::string::npos ? "." : path.substr(0, slash);
    }
    if (!path.empty() && check_(path)) {
        result_ = path;
        Finish();
    } else {
        browseNote_ = Tr("That is not the course's data folder.");
    }
}

void TForm_InsertCD::HandleInput(const InputEvent& e) {
    if (browsing_ && e.kind == InputEvent::Kind::Text) {
        typed_ += e.text;
        return;
    }
    if (browsing_ && e.kind == InputEvent::Kind::KeyDown) {
        if (e.key == "BackSpace") {
            // Drop one UTF-8 character.
            while (!typed_.empty() && (static_cast<unsigned char>(typed_.back()) & 0xC0) == 0x80)
                typed_.pop_back();
            if (!typed_.empty()) typed_.pop_back();
            return;
        }
        if (e.key == "Return") {
            AcceptTypedPath();
            return;
        }
    }
    TModalDialog::HandleInput(e);
}

void TForm_InsertCD::Paint(Surface& frame) {
    PaintFrame(frame, box_, Tr("Insert CD or DVD"));
    TextStyle label;
    label.font = {"Arial", 13, false, false};
    label.align = TextAlign::Centre;
    label.wordWrap = true;
    if (!browsing_) {
        TextRenderer::Draw(frame, {box_.x + 20, box_.y + 60, box_.w - 40, 100}, prompt_, label);
    } else {
        TextRenderer::Draw(frame, {box_.x + 20, box_.y + 36, box_.w - 40, 36},
                           Tr("Please locate data directory"), label);
        Rect field{box_.x + 20, box_.y + 84, box_.w - 40, 24};
        frame.fillRect(field, ArgbFromRgb(0x70, 0x70, 0x70));
        frame.fillRect({field.x + 1, field.y + 1, field.w - 2, field.h - 2}, 0xFFFFFFFFu);
        TextStyle edit;
        edit.font = {"Arial", 13, false, false};
        edit.verticalCentre = true;
        TextRenderer::Draw(frame, {field.x + 4, field.y, field.w - 8, field.h}, typed_ + "|", edit);
        label.colour = ArgbFromRgb(0xB0, 0x20, 0x20);
        TextRenderer::Draw(frame, {box_.x + 20, box_.y + 118, box_.w - 40, 40}, browseNote_, label);
    }
    PaintButtons(frame);
}

} // namespace parlora
