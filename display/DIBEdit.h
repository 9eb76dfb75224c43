#pragma once
// A one-line text box drawn like the other elements: the name boxes of the student screens.
// The screen hands it the keys and typed text while it has the focus.
#include "core/TextRenderer.h"
#include "display/DIBControl.h"
#include "platform/Input.h"

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
    // Byte offset of the caret in Text(), always on a character boundary.
    size_t CaretPos() const { return caret_; }
    void SetCaretPos(size_t bytes);

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

    // Only the learner's own edits raise OnChange; Return raises OnEnter.
    NotifyEvent OnChange, OnEnter;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    void Insert(const std::string& utf8);
    void UserChanged();
    int CaretX() const;

    std::string text_;
    size_t caret_ = 0;
    int maxLength_ = 0;
    FontSpec font_;
    uint32_t fontColor_ = 0xFF000000u;
    uint32_t color_ = 0xFFFFFFFFu;
    bool focused_ = true;
    int scroll_ = 0; // pixels of text hidden on the left, so the caret stays in view
};

} // namespace parlora
