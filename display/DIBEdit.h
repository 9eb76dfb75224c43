#pragma once
// A one-line text box drawn like the other elements: the name boxes of the student screens.
// The screen hands it the keys and typed text while it has the focus.
#include "core/TextRenderer.h"
#include "display/DIBControl.h"
#include "platform/Input.h"

#include <algorithm>
#include <functional>
#include <string>

namespace parlora {

class TDIBEdit : public TCustomDIBControl {
  public:
    explicit TDIBEdit(TDIBContainer* owner);

    // Setting the text from the program moves the caret to the end and raises no OnChange.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& utf8);
    // Characters (not bytes); 0 = no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);
    // Byte offset of the caret in Text(), always on a character boundary. Moving the caret drops
    // the selection.
    size_t CaretPos() const { return caret_; }
    void SetCaretPos(size_t bytes);
    // The selected bytes [SelStart, SelEnd); typing replaces them, BackSpace and Delete remove them.
    size_t SelStart() const { return std::min(anchor_, caret_); }
    size_t SelEnd() const { return std::max(anchor_, caret_); }
    std::string SelectedText() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }
    void SelectAll();
    // The word (letters, digits, apostrophes and hyphens) at a byte offset; the space there when
    // there is no word.
    void SelectWordAt(size_t bytes);

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& f);
    uint32_t FontColor() const { return fontColor_; }
    void SetFontColor(uint32_t argb);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t argb);
    bool Focused() const { return focused_; }
    void SetFocused(bool v);

    // Text and KeyDown events; true when the box used the event.
    bool HandleKey(const InputEvent& e);
    void MouseDown(MouseButton b, int x, int y) override;
    void DblClick() override;

    // Only the learner's own edits raise OnChange; Return raises OnEnter.
    NotifyEvent OnChange, OnEnter;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    void Insert(const std::string& utf8);
    bool EraseSelection();
    void UserChanged();
    int CaretX() const;

    std::string text_;
    size_t caret_ = 0;
    size_t anchor_ = 0; // the selection's other end; the caret's place when nothing is selected
    int maxLength_ = 0;
    FontSpec font_;
    uint32_t fontColor_ = 0xFF000000u;
    uint32_t color_ = 0xFFFFFFFFu;
    bool focused_ = true;
    int scroll_ = 0; // pixels of text hidden on the left, so the caret stays in view
};

} // namespace parlora
