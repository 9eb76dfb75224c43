#pragma once
// A printable page: a layout at a fixed design size in pixels, fitted and centred on the printer's
// page. Worksheets, the records list and the certificate are built on it.
#include "core/Surface.h"
#include "core/TextRenderer.h"
#include "display/DIBImageList.h"

#include <deque>
#include <string>

namespace parlora {

class TPrintCanvas;

// a * b / c rounded to the nearest, halves away from zero, without overflow.
int MulDiv(int a, int b, int c);

// Design pixels to printer pixels: c * numerator / denominator, plus the centring offset.
struct TPageFit {
    int numerator = 1, denominator = 1;
    int xOffset = 0, yOffset = 0;
    int Scale(int c) const { return MulDiv(c, numerator, denominator); }
    int X(int c) const { return Scale(c) + xOffset; }
    int Y(int c) const { return Scale(c) + yOffset; }
    // Edges are mapped one by one, so neighbouring rectangles stay edge to edge.
    Rect Map(const Rect& r) const;
};

// The largest scale at which a W x H layout fits a PW x PH page, centred. Throws for a page or a
// layout without area.
TPageFit FitPage(int W, int H, int PW, int PH);

// Which items a print covers: all of them, or the pages of a chosen range (clamped to the
// document, never backwards), with the number of the first page printed.
struct TPageSpan {
    int firstItem = 1, lastItem = 0; // 1-based; empty when lastItem < firstItem
    int firstPage = 1;               // counted from 1 within the document
};
int PageCount(int items, int perPage);
TPageSpan PageSpan(int items, int perPage, bool ranged, int firstPage, int lastPage);

enum class TPageElementKind { Picture, Label, Line, Frame };

struct TPageElement {
    std::string name;
    TPageElementKind kind = TPageElementKind::Picture;
    Rect rect; // design pixels; a picture with no size takes its picture's size
    bool visible = true;
    std::string picture; // the image list item a picture shows
    // Labels.
    std::string caption;
    FontSpec font;
    uint32_t fontColour = 0xFF000000u;
    TextAlign align = TextAlign::Left;
    bool transparent = true;
    uint32_t colour = 0xFFFFFFFFu; // a label's own background
    // Lines and frames.
    uint32_t penColour = 0xFF000000u;
    int penWidth = 1; // frames; a line's pen is its height
};

class TPageTemplate {
  public:
    TPageTemplate(int designWidth, int designHeight);
    virtual ~TPageTemplate() = default;

    int DesignWidth() const { return width_; }
    int DesignHeight() const { return height_; }
    TDIBVolatileImageList& Pictures() { return pictures_; }

    TPageElement& AddPicture(const std::string& name, const Rect& rect, const std::string& picture);
    TPageElement& AddLabel(const std::string& name, const Rect& rect, const FontSpec& font,
                           TextAlign align = TextAlign::Left);
    TPageElement& AddLine(const std::string& name, const Rect& rect, uint32_t colour);
    TPageElement& AddFrame(const std::string& name, const Rect& rect, int penWidth, uint32_t colour);
    // "Can't find <name>" when the layout has no such element.
    TPageElement& Element(const std::string& name);
    // The picture item, added (empty, not loaded automatically) when missing.
    TVolatileDIB& Picture(const std::string& name);
    // Loads a picture the page can do without: on failure the screens' "Preload failed" warning,
    // and the page prints without it.
    void LoadOptional(const std::string& name, const std::string& path);

    void Fit(int pageWidth, int pageHeight) { fit_ = FitPage(width_, height_, pageWidth, pageHeight); }
    void Fit(const TPrintCanvas& canvas);
    const TPageFit& fit() const { return fit_; }

    // Prints one element as its kind says; hidden elements and empty pictures print nothing.
    void Print(TPrintCanvas& canvas, const TPageElement& e);
    void Print(TPrintCanvas& canvas, const std::string& name) { Print(canvas, Element(name)); }
    // The printer rectangle an element covers.
    Rect PrintedRect(const TPageElement& e);

    // Labels printed over an opaque background: white for a transparent label, else its colour.
    bool opaqueLabels = false;

  private:
    void PrintPicture(TPrintCanvas& canvas, const TPageElement& e);
    void PrintLabel(TPrintCanvas& canvas, const TPageElement& e);
    void PrintLine(TPrintCanvas& canvas, const TPageElement& e);
    void PrintFrame(TPrintCanvas& canvas, const TPageElement& e);

    int width_, height_;
    TPageFit fit_;
    TDIBVolatileImageList pictures_;
    std::deque<TPageElement> elements_; // stable addresses for callers holding references
};

} // namespace parlora
