#pragma once
// A printed document drawn with cairo into a PDF file, in printer pixels: the page is measured at
// a fixed resolution, so layouts fit and map with whole numbers as on a printer's own canvas.
#include "core/Surface.h"
#include "core/TextRenderer.h"

#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace parlora {

class TPrintCanvas {
  public:
    static constexpr int kDpi = 300;

    // A page of widthPt x heightPt points; nothing is written before BeginDoc.
    TPrintCanvas(double widthPt, double heightPt);
    ~TPrintCanvas();
    TPrintCanvas(const TPrintCanvas&) = delete;
    TPrintCanvas& operator=(const TPrintCanvas&) = delete;

    int PageWidth() const { return pageWidth_; }
    int PageHeight() const { return pageHeight_; }
    int PageCount() const { return pages_; }

    void BeginDoc(const std::string& pdfPath, const std::string& title);
    void NewPage();
    // Finishes the file; throws when it could not be written.
    void EndDoc();
    // Drops the document; the file is left for the caller to remove.
    void Abort();

    // The picture's pixels stretched into `dest`, opaque.
    void PrintStretched(const Surface& picture, const Rect& dest);
    // Font height in printer pixels is the height of the text's line, as the screens size labels.
    int TextWidth(const std::string& utf8, const FontSpec& font);
    // Text with its line's top-left at (x, y); `background` filled behind it unless transparent.
    void TextOut(int x, int y, const std::string& utf8, const FontSpec& font, uint32_t colour,
                 bool opaque = false, uint32_t background = 0xFFFFFFFFu);
    void HorizontalLine(int x1, int x2, int y, int penWidth, uint32_t colour);
    // A closed rectangle whose pen is centred on `r`'s edges.
    void FrameRect(const Rect& r, int penWidth, uint32_t colour);

  private:
    void Check() const;
    double widthPt_, heightPt_;
    int pageWidth_, pageHeight_;
    int pages_ = 0;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

} // namespace parlora
