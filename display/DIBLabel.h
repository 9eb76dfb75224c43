#pragma once
// Text on a screen, painted after the pictures.
#include "core/TextRenderer.h"
#include "display/DIBControl.h"

namespace parlora {

class TDIBLabel : public TCustomDIBControl {
  public:
    explicit TDIBLabel(TDIBContainer* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& utf8);
    const FontSpec& Font() const { return style_.font; }
    void SetFont(const FontSpec& f);
    uint32_t FontColor() const { return style_.colour; }
    void SetFontColor(uint32_t argb);
    void SetAlignment(TextAlign a);
    void SetWordWrap(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t argb);
    // Takes the caption's size (kept off for word-wrapped labels).
    void SetAutoSize(bool v);

    bool PaintsLate() const override { return true; }

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    void Refit();
    std::string caption_;
    TextStyle style_;
    bool transparent_ = true;
    uint32_t color_ = 0xFFF0F0F0u;
    bool autoSize_ = false;
};

} // namespace parlora
