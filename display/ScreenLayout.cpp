#include "display/ScreenLayout.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBLabel.h"
#include "display/DIBShape.h"

namespace parlora {

void ScreenLayout::Build(TDIBContainer& container, TDIBVolatileImageList* list,
                         const std::vector<ElementSpec>& specs) {
    for (const ElementSpec& s : specs) {
        int index = -1;
        if (!s.picture.empty()) {
            index = list ? list->IndexOf(s.picture) : -1;
            if (index < 0) throw DIBException("Can't find image called " + s.picture);
        }
        TCustomDIBControl* made = nullptr;
        auto setupImage = [&](TDIBImage& img) {
            img.SetDIBImageList(list);
            if (s.flags & efStretch) img.SetStretch(true);
            if (s.scale != 100.0) img.SetScale(s.scale);
            img.SetCenter(s.flags & efCenter);
            img.SetAutoSize(s.flags & efAutoSize);
            img.SetDIBIndex(index);
        };
        switch (s.kind) {
        case ElementKind::Image: {
            auto& e = container.Create<TDIBImage>(s.name);
            made = &e;
            e.SetBounds(s.rect.x, s.rect.y, s.rect.w, s.rect.h);
            setupImage(e);
            break;
        }
        case ElementKind::ImageStrip:
        case ElementKind::ButtonStrip: {
            TDIBImageStrip& e = s.kind == ElementKind::ButtonStrip
                                    ? static_cast<TDIBImageStrip&>(container.Create<TDIBButtonStrip>(s.name))
                                    : container.Create<TDIBImageStrip>(s.name);
            made = &e;
            e.SetBounds(s.rect.x, s.rect.y, s.rect.w, s.rect.h);
            e.SetNumImagesX(s.numImagesX);
            e.SetNumImagesY(s.numImagesY);
            setupImage(e);
            break;
        }
        case ElementKind::Label: {
            auto& e = container.Create<TDIBLabel>(s.name);
            made = &e;
            e.SetBounds(s.rect.x, s.rect.y, s.rect.w, s.rect.h);
            e.SetCaption(s.caption);
            break;
        }
        case ElementKind::Shape: {
            auto& e = container.Create<TDIBShape>(s.name);
            made = &e;
            e.SetBounds(s.rect.x, s.rect.y, s.rect.w, s.rect.h);
            break;
        }
        }
        made->Tag = s.tag;
        made->SetOpacity(uint8_t(std::clamp(s.opacity, 0, 255)));
        if (s.flags & efHidden) made->SetVisible(false);
        if (s.flags & efDisabled) made->SetEnabled(false);
    }
}

} // namespace parlora
