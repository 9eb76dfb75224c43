#include "display/DIBEdit.h"

#include <algorithm>
#include <cctype>

namespace parlora {

namespace {

// A pale blue behind selected text: the dark text stays readable on it.
constexpr uint32_t kSelectionColour = 0xFFA8CCF5u;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

size_t NextChar(const std::string& s, size_t pos) {
    if (pos >= s.size()) return s.size();
    ++pos;
    while (pos < s.size() && IsContinuation(static_cast<unsigned char>(s[pos])))
        ++pos;
    return pos;
}

size_t PrevChar(const std::string& s, size_t pos) {
    if (pos == 0) return 0;
    --pos;
    while (pos > 0 && IsContinuation(static_cast<unsigned char>(s[pos])))
        --pos;
    return pos;
}

int CountChars(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        if (!IsContinuation(c)) ++n;
    return n;
}

// Typed text without control characters: a pasted tab or line break has no place in a name.
std::string Printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s)
        if (c >= 0x20 && c != 0x7F) out += char(c);
    return out;
}

} // namespace

TDIBEdit::TDIBEdit(TDIBContainer* owner) : TCustomDIBControl(owner) {
    font_.family = "Arial";
    font_.pixelHeight = 26;
}

void TDIBEdit::SetText(const std::string& utf8) {
    std::string t = utf8;
    if (maxLength_ > 0) {
        size_t pos = 0;
        for (int i = 0; i < maxLength_ && pos < t.size(); ++i)
            pos = NextChar(t, pos);
        t.resize(pos);
    }
    text_ = t;
    caret_ = anchor_ = text_.size();
    Invalidate();
}

void TDIBEdit::SetMaxLength(int n) {
    maxLength_ = std::max(0, n);
    SetText(text_);
}

void TDIBEdit::SetCaretPos(size_t bytes) {
    bytes = std::min(bytes, text_.size());
    while (bytes > 0 && bytes < text_.size() && IsContinuation(static_cast<unsigned char>(text_[bytes])))
        --bytes;
    caret_ = anchor_ = bytes;
    Invalidate();
}

void TDIBEdit::SelectAll() {
    anchor_ = 0;
    caret_ = text_.size();
    Invalidate();
}

void TDIBEdit::SelectWordAt(size_t bytes) {
    auto inWord = [this](size_t at) {
        if (at >= text_.size()) return false;
        unsigned char c = static_cast<unsigned char>(text_[at]);
        // Bytes of non-ASCII characters count as letters: "Zoë", "Jürgen".
        return c >= 0x80 || std::isalnum(c) || c == '\'' || c == '-';
    };
    bytes = std::min(bytes, text_.size());
    while (bytes > 0 && IsContinuation(static_cast<unsigned char>(text_[bytes])))
        --bytes;
    // A click just after a word's last letter means that word.
    if (!inWord(bytes) && bytes > 0 && inWord(PrevChar(text_, bytes))) bytes = PrevChar(text_, bytes);
    if (!inWord(bytes)) {
        anchor_ = bytes;
        caret_ = NextChar(text_, bytes);
        Invalidate();
        return;
    }
    size_t from = bytes, to = bytes;
    while (from > 0 && inWord(PrevChar(text_, from)))
        from = PrevChar(text_, from);
    while (to < text_.size() && inWord(to))
        to = NextChar(text_, to);
    anchor_ = from;
    caret_ = to;
    Invalidate();
}

bool TDIBEdit::EraseSelection() {
    if (anchor_ == caret_) return false;
    size_t from = SelStart();
    text_.erase(from, SelEnd() - from);
    caret_ = anchor_ = from;
    return true;
}

void TDIBEdit::SetFont(const FontSpec& f) {
    font_ = f;
    Invalidate();
}

void TDIBEdit::SetFontColor(uint32_t argb) {
    fontColor_ = argb;
    Invalidate();
}

void TDIBEdit::SetColor(uint32_t argb) {
    color_ = argb;
    Invalidate();
}

void TDIBEdit::SetFocused(bool v) {
    focused_ = v;
    Invalidate();
}

void TDIBEdit::UserChanged() {
    Invalidate();
    if (OnChange) OnChange(*this);
}

void TDIBEdit::Insert(const std::string& utf8) {
    std::string add = Printable(utf8);
    // Typing over a selection replaces it, as in every text box.
    bool erased = !add.empty() && EraseSelection();
    if (maxLength_ > 0) {
        int room = maxLength_ - CountChars(text_);
        size_t pos = 0;
        for (int i = 0; i < room && pos < add.size(); ++i)
            pos = NextChar(add, pos);
        add.resize(room > 0 ? pos : 0);
    }
    if (add.empty()) {
        if (erased) UserChanged();
        return;
    }
    text_.insert(caret_, add);
    caret_ += add.size();
    anchor_ = caret_;
    UserChanged();
}

bool TDIBEdit::HandleKey(const InputEvent& e) {
    if (!focused_ || !Visible() || !Enabled()) return false;
    if (e.kind == InputEvent::Kind::Text) {
        Insert(e.text);
        return true;
    }
    if (e.kind != InputEvent::Kind::KeyDown) return false;
    const std::string& k = e.key;
    if ((k == "BackSpace" || k == "Backspace" || k == "Delete") && EraseSelection()) {
        UserChanged();
    } else if (k == "Ctrl+A" || k == "Ctrl+a") {
        SelectAll();
    } else if (k == "BackSpace" || k == "Backspace") {
        if (caret_ == 0) return true;
        size_t from = PrevChar(text_, caret_);
        text_.erase(from, caret_ - from);
        caret_ = anchor_ = from;
        UserChanged();
    } else if (k == "Delete") {
        if (caret_ >= text_.size()) return true;
        text_.erase(caret_, NextChar(text_, caret_) - caret_);
        anchor_ = caret_;
        UserChanged();
    } else if (k == "Left") {
        // With a selection, the arrows go to its ends, as elsewhere.
        SetCaretPos(anchor_ != caret_ ? SelStart() : PrevChar(text_, caret_));
    } else if (k == "Right") {
        SetCaretPos(anchor_ != caret_ ? SelEnd() : NextChar(text_, caret_));
    } else if (k == "Home") {
        SetCaretPos(0);
    } else if (k == "End") {
        SetCaretPos(text_.size());
    } else if (k == "Return" || k == "KP_Enter" || k == "Enter") {
        if (OnEnter) OnEnter(*this);
    } else {
        return false;
    }
    return true;
}

void TDIBEdit::MouseDown(MouseButton b, int x, int y) {
    focused_ = true;
    // The caret goes to the character boundary nearest the click.
    int target = x - 2 + scroll_;
    size_t best = 0;
    int bestDist = std::abs(target);
    for (size_t pos = NextChar(text_, 0); pos <= text_.size() && !text_.empty();) {
        int w = TextRenderer::Measure(text_.substr(0, pos), font_).width;
        if (std::abs(target - w) < bestDist) bestDist = std::abs(target - w), best = pos;
        if (pos == text_.size()) break;
        pos = NextChar(text_, pos);
    }
    SetCaretPos(best);
    TCustomDIBControl::MouseDown(b, x, y);
}

void TDIBEdit::DblClick() {
    // The press before it put the caret where the pointer is.
    SelectWordAt(caret_);
    TCustomDIBControl::DblClick();
}

int TDIBEdit::CaretX() const {
    return caret_ == 0 ? 0 : TextRenderer::Measure(text_.substr(0, caret_), font_).width;
}

void TDIBEdit::Draw(Surface& target, const Rect& clip, int ox, int oy) {
    const int pad = 2;
    int inner = std::max(1, Width() - 2 * pad - 1);
    int cx = CaretX();
    if (cx - scroll_ > inner) scroll_ = cx - inner;
    if (cx < scroll_) scroll_ = cx;
    if (scroll_ > 0 && TextRenderer::Measure(text_, font_).width - scroll_ < inner)
        scroll_ = std::max(0, TextRenderer::Measure(text_, font_).width - inner);

    // Drawn on its own surface so text that runs past the box never lands beside it.
    Surface box(Width(), Height(), color_);
    if (anchor_ != caret_) {
        auto at = [this](size_t pos) {
            return pos == 0 ? 0 : TextRenderer::Measure(text_.substr(0, pos), font_).width;
        };
        int x0 = at(SelStart()), x1 = at(SelEnd());
        int h = std::min(Height() - 4, font_.pixelHeight + 4);
        box.fillRect({pad + x0 - scroll_, (Height() - h) / 2, x1 - x0, h}, kSelectionColour);
    }
    if (!text_.empty()) {
        TextStyle style;
        style.font = font_;
        style.colour = fontColor_;
        style.verticalCentre = true;
        TextSize sz = TextRenderer::Measure(text_, font_);
        TextRenderer::Draw(box, {pad - scroll_, 0, sz.width + 1, Height()}, text_, style);
    }
    if (focused_ && Enabled() && anchor_ == caret_) {
        int h = std::min(Height() - 4, font_.pixelHeight + 2);
        box.fillRect({pad + cx - scroll_, (Height() - h) / 2, 1, h}, fontColor_);
    }
    Rect area = clip.intersect({ox, oy, Width(), Height()});
    if (area.empty()) return;
    target.copyFrom(box, {area.x - ox, area.y - oy, area.w, area.h}, area.x, area.y);
}

} // namespace parlora
