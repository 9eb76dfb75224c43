#pragma once
// A read-only box of styled text (the licence and read-me documents): paragraphs of runs in bold,
// italic and several sizes, wrapped to the box and scrolled by dragging it.
#include "display/DIBControl.h"

#include <memory>
#include <string>
#include <vector>

namespace parlora {

struct TRichTextRun {
    std::string text; // UTF-8, no line breaks
    bool bold = false;
    bool italic = false;
    int pointSize = 12;
    bool operator==(const TRichTextRun&) const = default;
};

enum class TRichTextAlign { Left, Centre, Right };

struct TRichTextParagraph {
    std::vector<TRichTextRun> runs;
    TRichTextAlign align = TRichTextAlign::Left;
    std::string Text() const;
};

struct TRichText {
    std::vector<TRichTextParagraph> paragraphs;
    // Paragraphs joined with "\n".
    std::string PlainText() const;
};

class TDIBRichText : public TCustomDIBControl {
  public:
    explicit TDIBRichText(TDIBContainer* owner);
    ~TDIBRichText() override;

    const TRichText& Document() const { return document_; }
    // Shows `doc` from its top.
    void SetDocument(TRichText doc);
    void Clear() { SetDocument({}); }

    std::string FontFamily = "Arial";
    uint32_t Color = 0xFFFFFFFFu; // background; fully transparent draws none
    uint32_t FontColor = 0xFF000000u;
    int Margin = 4;

    // Height of the laid-out text in pixels, and the scroll position (0 = top, clamped to the text).
    int ContentHeight();
    int ScrollPos() const { return scroll_; }
    void SetScrollPos(int pixels);
    void ScrollBy(int pixels) { SetScrollPos(scroll_ + pixels); }

    void MouseDown(MouseButton b, int x, int y) override;
    void MouseUp(MouseButton b, int x, int y) override;
    void MouseMove(int x, int y) override;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    struct Layout;
    Layout& EnsureLayout();
    TRichText document_;
    std::unique_ptr<Layout> layout_;
    int layoutWidth_ = -1;
    int scroll_ = 0;
    bool dragging_ = false;
    int dragY_ = 0, dragScroll_ = 0;
};

} // namespace parlora
