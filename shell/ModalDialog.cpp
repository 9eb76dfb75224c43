#include "shell/ModalDialog.h"

#include "core/StringUtil.h"
#include "core/TextRenderer.h"
#include "display/DIBContainer.h"
#include "platform/Translation.h"

#include <algorithm>

namespace parlora {

static const std::pair<MsgButton, const char*> kCaptions[] = {
    {MsgButton::Yes, "Yes"},
    {MsgButton::No, "No"},
    {MsgButton::OK, "OK"},
    {MsgButton::Cancel, "Cancel"},
    {MsgButton::Abort, "Abort"},
    {MsgButton::Retry, "Retry"},
    {MsgButton::Ignore, "Ignore"},
    {MsgButton::All, "All"},
    {MsgButton::NoToAll, "No to All"},
    {MsgButton::YesToAll, "Yes to All"},
    {MsgButton::Help, "Help"},
};

std::string ButtonCaption(MsgButton b) {
    for (auto& [button, caption] : kCaptions)
        if (button == b) return caption;
    return "";
}

MsgButton ButtonFromName(const std::string& name) {
    std::string wanted = ToLowerAscii(Trim(name));
    wanted.erase(std::remove(wanted.begin(), wanted.end(), ' '), wanted.end());
    for (auto& [button, caption] : kCaptions) {
        std::string c = ToLowerAscii(caption);
        c.erase(std::remove(c.begin(), c.end(), ' '), c.end());
        if (c == wanted) return button;
    }
    return MsgButton::None;
}

void TModalDialog::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::MouseDown && e.button == MouseButton::Left) {
        focus_ = -1; // a click hides the ring, as on the screens
        for (auto& b : buttons_)
            b.pressed = b.rect.contains(e.x, e.y);
    } else if (e.kind == InputEvent::Kind::MouseUp && e.button == MouseButton::Left) {
        for (size_t i = 0; i < buttons_.size(); ++i) {
            bool hit = buttons_[i].pressed && buttons_[i].rect.contains(e.x, e.y);
            buttons_[i].pressed = false;
            if (hit && buttons_[i].action) {
                auto action = buttons_[i].action; // may rebuild the buttons
                action();
                return;
            }
        }
    } else if (e.kind == InputEvent::Kind::KeyDown && !buttons_.empty()) {
        const int n = int(buttons_.size());
        if (focus_ >= n) focus_ = -1; // the buttons were rebuilt
        if (e.key == "Tab" || e.key == "Right") {
            focus_ = e.key == "Tab" ? (focus_ + 1) % n : std::min(focus_ + 1, n - 1);
        } else if (e.key == "Shift+Tab" || e.key == "Left") {
            focus_ = focus_ < 0 ? n - 1 : e.key == "Shift+Tab" ? (focus_ + n - 1) % n : std::max(focus_ - 1, 0);
        } else if (e.key == "Return" || e.key == "Space" || e.key == "Escape") {
            // Return and Space take the button the ring shows; without a ring Return takes the first
            // (default) button. Escape takes the last.
            int index = e.key == "Escape" ? n - 1 : focus_;
            if (index < 0 && e.key == "Return") index = 0;
            if (index < 0) return;
            auto action = buttons_[size_t(index)].action;
            if (action) action();
        }
    }
}

void TModalDialog::PaintFrame(Surface& frame, const Rect& box, const std::string& caption) const {
    frame.fillRect({box.x + 4, box.y + 4, box.w, box.h}, ArgbFromRgb(0x10, 0x10, 0x10));
    frame.fillRect(box, ArgbFromRgb(0x80, 0x80, 0x80));
    frame.fillRect({box.x + 1, box.y + 1, box.w - 2, box.h - 2}, ArgbFromRgb(0xF0, 0xF0, 0xF0));
    frame.fillRect({box.x + 1, box.y + 1, box.w - 2, 24}, ArgbFromRgb(0x2A, 0x4E, 0x8C));
    TextStyle style;
    style.font = {"Arial", 13, true, false};
    style.colour = ArgbFromRgb(0xFF, 0xFF, 0xFF);
    style.verticalCentre = true;
    TextRenderer::Draw(frame, {box.x + 8, box.y + 1, box.w - 16, 24}, caption, style);
}

void TModalDialog::PaintButtons(Surface& frame) const {
    TextStyle style;
    style.font = {"Arial", 13, false, false};
    style.align = TextAlign::Centre;
    style.verticalCentre = true;
    for (const auto& b : buttons_) {
        frame.fillRect(b.rect, ArgbFromRgb(0x70, 0x70, 0x70));
        frame.fillRect({b.rect.x + 1, b.rect.y + 1, b.rect.w - 2, b.rect.h - 2},
                       b.pressed ? ArgbFromRgb(0xC8, 0xC8, 0xC8) : ArgbFromRgb(0xE4, 0xE4, 0xE4));
        TextRenderer::Draw(frame, b.rect, b.caption, style);
    }
    if (focus_ < 0 || focus_ >= int(buttons_.size())) return;
    // The screens' ring: two outer lines of amber and an inner black one.
    const Rect r = buttons_[size_t(focus_)].rect;
    for (int i = 0; i < TDIBContainer::kFocusRingWidth; ++i) {
        const uint32_t colour = i + 1 < TDIBContainer::kFocusRingWidth ? TDIBContainer::kFocusRingColour : 0xFF000000u;
        const Rect line{r.x + i, r.y + i, r.w - 2 * i, r.h - 2 * i};
        frame.fillRect({line.x, line.y, line.w, 1}, colour);
        frame.fillRect({line.x, line.bottom() - 1, line.w, 1}, colour);
        frame.fillRect({line.x, line.y, 1, line.h}, colour);
        frame.fillRect({line.right() - 1, line.y, 1, line.h}, colour);
    }
}

TMessageDialog::TMessageDialog(std::string text, MsgKind kind, std::vector<MsgButton> buttons,
                               std::function<void()> onHelp)
    : text_(std::move(text)), kind_(kind) {
    FontSpec font{"Arial", 15, false, false};
    TextSize size = TextRenderer::Measure(text_, font, 380);
    int w = 420, h = std::min(600, std::max(130, size.height + 100));
    box_ = {(1024 - w) / 2, (768 - h) / 2, w, h};
    int bw = 86, gap = 8;
    int total = int(buttons.size()) * bw + std::max(0, int(buttons.size()) - 1) * gap;
    int x = box_.x + (box_.w - total) / 2;
    for (MsgButton b : buttons) {
        Button button;
        button.rect = {x, box_.bottom() - 38, bw, 26};
        // Scripts name the buttons in English; the learner reads them in the desktop's language.
        button.caption = Tr(ButtonCaption(b).c_str());
        if (b == MsgButton::Help) {
            button.action = onHelp; // the dialog stays open
        } else {
            button.action = [this, b] {
                result_ = b;
                Finish();
            };
        }
        buttons_.push_back(std::move(button));
        x += bw + gap;
    }
}

void TMessageDialog::Paint(Surface& frame) {
    static const char* captions[] = {"Warning", "Error", "Information", "Confirm"};
    PaintFrame(frame, box_, Tr(captions[int(kind_)]));
    TextStyle style;
    style.font = {"Arial", 15, false, false};
    style.wordWrap = true;
    TextRenderer::Draw(frame, {box_.x + 20, box_.y + 40, box_.w - 40, box_.h - 90}, text_, style);
    PaintButtons(frame);
}

} // namespace parlora
