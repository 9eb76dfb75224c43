#pragma once
// A screen's elements as a table, and look-up of numbered element families.
#include "core/Errors.h"
#include "core/StringUtil.h"
#include "display/DIBContainer.h"

#include <string>
#include <vector>

namespace parlora {

enum class ElementKind { Image, ImageStrip, ButtonStrip, Label, Shape };

enum ElementFlags : unsigned {
    efHidden = 1u << 0,
    efDisabled = 1u << 1,
    efAutoSize = 1u << 2,
    efCenter = 1u << 3,
    efStretch = 1u << 4,
};

struct ElementSpec {
    std::string name;
    ElementKind kind = ElementKind::Image;
    Rect rect;
    std::string picture; // DisplayName in the screen's image list; empty = none
    int tag = 0;
    unsigned flags = 0;
    int numImagesX = 4, numImagesY = 1; // strips
    std::string caption;                // labels
    double scale = 100.0;
    int opacity = 255;
};

class ScreenLayout {
  public:
    // Creates each element in table order (so later rows are on top). A picture name the list lacks
    // raises "Can't find image called " + name.
    static void Build(TDIBContainer& container, TDIBVolatileImageList* list,
                      const std::vector<ElementSpec>& specs);
};

// The element named Format(fmt, n) of kind T, or DIBException "Can't find " + that name.
template <class T> T& FindElement(const TDIBContainer& container, const char* fmt, int n) {
    std::string name = Format(fmt, n);
    T* found = dynamic_cast<T*>(container.FindComponent(name));
    if (!found) throw DIBException("Can't find " + name);
    return *found;
}

} // namespace parlora
