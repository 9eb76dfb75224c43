#include "printing/PageTemplate.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "printing/PrintCanvas.h"

#include <algorithm>
#include <cstdint>

namespace parlora {

int MulDiv(int a, int b, int c) {
    if (c == 0) throw AppError("Division by zero in page layout");
    int64_t n = int64_t(a) * b;
    int64_t d = c;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
    return int(q);
}

Rect TPageFit::Map(const Rect& r) const {
    int left = X(r.x), top = Y(r.y);
    return {left, top, X(r.x + r.w) - left, Y(r.y + r.h) - top};
}

TPageFit FitPage(int W, int H, int PW, int PH) {
    if (W <= 0 || H <= 0) throw AppError("The page layout has no size");
    if (PW <= 0 || PH <= 0) throw AppError("The printer reported a page without size");
    TPageFit f;
    // The comparison is exact: a rounded W x PH / H that reaches PW while the true value stays
    // below it would let the width limit and push the layout's foot off the page.
    if (int64_t(W) * PH < int64_t(PW) * H) {
        f.numerator = PH;
        f.denominator = H;
    } else {
        f.numerator = PW;
        f.denominator = W;
    }
    f.xOffset = (PW - f.Scale(W)) / 2;
    f.yOffset = (PH - f.Scale(H)) / 2;
    return f;
}

int PageCount(int items, int perPage) {
    return items <= 0 ? 1 : (items - 1) / perPage + 1;
}

TPageSpan PageSpan(int items, int perPage, bool ranged, int firstPage, int lastPage) {
    int pages = PageCount(items, perPage);
    TPageSpan span;
    span.firstItem = 1;
    span.lastItem = std::max(0, items);
    if (!ranged) return span;
    int s = std::clamp(firstPage, 1, pages);
    int e = std::clamp(lastPage, s, pages);
    span.firstPage = s;
    span.firstItem = perPage * (s - 1) + 1;
    span.lastItem = std::min(span.lastItem, perPage * e);
    return span;
}

TPageTemplate::TPageTemplate(int designWidth, int designHeight)
    : width_(designWidth), height_(designHeight) {}

TPageElement& TPageTemplate::AddPicture(const std::string& name, const Rect& rect,
                                        const std::string& picture) {
    TPageElement& e = elements_.emplace_back();
    e.name = name;
    e.kind = TPageElementKind::Picture;
    e.rect = rect;
    e.picture = picture;
    if (pictures_.IndexOf(picture) < 0) pictures_.Add(picture);
    return e;
}

TPageElement& TPageTemplate::AddLabel(const std::string& name, const Rect& rect, const FontSpec& font,
                                      TextAlign align) {
    TPageElement& e = elements_.emplace_back();
    e.name = name;
    e.kind = TPageElementKind::Label;
    e.rect = rect;
    e.font = font;
    e.align = align;
    return e;
}

TPageElement& TPageTemplate::AddLine(const std::string& name, const Rect& rect, uint32_t colour) {
    TPageElement& e = elements_.emplace_back();
    e.name = name;
    e.kind = TPageElementKind::Line;
    e.rect = rect;
    e.penColour = colour;
    return e;
}

TPageElement& TPageTemplate::AddFrame(const std::string& name, const Rect& rect, int penWidth,
                                      uint32_t colour) {
    TPageElement& e = elements_.emplace_back();
    e.name = name;
    e.kind = TPageElementKind::Frame;
    e.rect = rect;
    e.penWidth = penWidth;
    e.penColour = colour;
    return e;
}

TPageElement& TPageTemplate::Element(const std::string& name) {
    for (auto& e : elements_)
        if (IEquals(e.name, name)) return e;
    throw AppError("Can't find " + name);
}

TVolatileDIB& TPageTemplate::Picture(const std::string& name) {
    if (TVolatileDIB* dib = pictures_.FindImage(name)) return *dib;
    return pictures_.Add(name).DIB;
}

void TPageTemplate::Fit(const TPrintCanvas& canvas) {
    Fit(canvas.PageWidth(), canvas.PageHeight());
}

Rect TPageTemplate::PrintedRect(const TPageElement& e) {
    Rect r = e.rect;
    if (e.kind == TPageElementKind::Picture && (r.w <= 0 || r.h <= 0)) {
        const TVolatileDIB* dib = pictures_.FindImage(e.picture);
        r.w = dib ? dib->Width() : 0;
        r.h = dib ? dib->Height() : 0;
    }
    return fit_.Map(r);
}

void TPageTemplate::Print(TPrintCanvas& canvas, const TPageElement& e) {
    if (!e.visible) return;
    switch (e.kind) {
    case TPageElementKind::Picture:
        PrintPicture(canvas, e);
        break;
    case TPageElementKind::Label:
        PrintLabel(canvas, e);
        break;
    case TPageElementKind::Line:
        PrintLine(canvas, e);
        break;
    case TPageElementKind::Frame:
        PrintFrame(canvas, e);
        break;
    }
}

void TPageTemplate::PrintPicture(TPrintCanvas& canvas, const TPageElement& e) {
    const TVolatileDIB* dib = pictures_.FindImage(e.picture);
    if (!dib || dib->Width() <= 0 || dib->Height() <= 0) return;
    canvas.PrintStretched(dib->Pixels(), PrintedRect(e));
}

void TPageTemplate::PrintLabel(TPrintCanvas& canvas, const TPageElement& e) {
    FontSpec font = e.font;
    font.pixelHeight = std::max(1, fit_.Scale(e.rect.h));
    int x = fit_.X(e.rect.x);
    int boxWidth = fit_.Scale(e.rect.w);
    if (e.align != TextAlign::Left) {
        int spare = boxWidth - canvas.TextWidth(e.caption, font);
        x += e.align == TextAlign::Right ? spare : spare / 2;
    }
    uint32_t background = e.transparent ? 0xFFFFFFFFu : e.colour;
    canvas.TextOut(x, fit_.Y(e.rect.y), e.caption, font, e.fontColour, opaqueLabels, background);
}

void TPageTemplate::PrintLine(TPrintCanvas& canvas, const TPageElement& e) {
    int pen = std::max(1, fit_.Scale(e.rect.h));
    canvas.HorizontalLine(fit_.X(e.rect.x), fit_.X(e.rect.x + e.rect.w), fit_.Y(e.rect.y) + pen / 2, pen,
                          e.penColour);
}

void TPageTemplate::PrintFrame(TPrintCanvas& canvas, const TPageElement& e) {
    int pen = std::max(1, fit_.Scale(e.penWidth));
    Rect r = fit_.Map(e.rect);
    // Inset by half the pen, so the frame's outer edge is the shape's edge.
    canvas.FrameRect({r.x + pen / 2, r.y + pen / 2, r.w - pen, r.h - pen}, pen, e.penColour);
}

void TPageTemplate::LoadOptional(const std::string& name, const std::string& path) {
    TVolatileDIB& dib = Picture(name);
    try {
        dib.LoadFromFile(path);
    } catch (const std::exception& e) {
        dib.Clear();
        if (auto& warn = TDIBVolatileImageList::WarningHandler())
            warn(std::string("Preload failed: ") + e.what());
    }
}

} // namespace parlora
