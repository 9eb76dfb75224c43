#pragma once
// Which elements of a container the keyboard focus visits, in what order, and where the arrow keys
// take it. Reading order: rows from top to bottom, each from left to right. Two elements share a
// row when each one's middle lies within the other's height, so a tall picture beside a short
// button makes one row, while an element that only grazes the next row stays in its own.
#include "core/Surface.h"
#include "platform/Input.h"

#include <functional>
#include <string>
#include <vector>

namespace parlora {

class TCustomDIBControl;
class TDIBContainer;

enum class FocusMove { Left, Right, Up, Down };

struct FocusPoint {
    int x = 0, y = 0;
};

class TDIBFocusOrder {
  public:
    // Buttons, list boxes and elements with a click handler that are visible, enabled and that a
    // click at their press point would reach (nothing lies on top of them there).
    static bool CanFocus(const TDIBContainer& container, const TCustomDIBControl& element);
    // Where a key press clicks, in container coordinates: the centre, or for a list box the centre
    // of its selected entry.
    static FocusPoint PressPoint(const TCustomDIBControl& element);

    // `elements` grouped into rows, top row first, each row left to right.
    static std::vector<std::vector<TCustomDIBControl*>> Rows(std::vector<TCustomDIBControl*> elements);
    // The focusable elements in reading order.
    static std::vector<TCustomDIBControl*> ReadingOrder(const TDIBContainer& container);

    // Tab (or Shift+Tab when `backward`): the element after `from` in reading order, round from the
    // last to the first; the first (or last) when `from` is null. `from` need not be focusable just
    // now (a hidden answer keeps its place). Null when nothing can take the focus.
    static TCustomDIBControl* Next(const TDIBContainer& container, TCustomDIBControl* from, bool backward);
    // An arrow key: the neighbour in the same row (Left, Right), or the element of the row above or
    // below whose middle is nearest across (Up, Down). Null at the edge; the first in reading order
    // when `from` is null.
    static TCustomDIBControl* Neighbour(const TDIBContainer& container, TCustomDIBControl* from,
                                        FocusMove move);

    // The arrow key `key` names, if it is one.
    static bool ArrowKey(const std::string& key, FocusMove& move);
    // The keys every container shares: Tab and Shift+Tab move the focus in reading order, the
    // arrows to a neighbour (staying put at an edge), and Return and Space press what the ring
    // shows, through `route` as a click would. False when the key is none of these, or Return or
    // Space found no ring to press.
    static bool NavigateOrPress(TDIBContainer& container, const std::string& key,
                                const std::function<void(const InputEvent&)>& route);
    // Input for a dialog drawn from `container` with its top-left at (left, top): the mouse in the
    // container's coordinates, Escape to `escape` (its cross or cancel), the other keys as above.
    static void DialogInput(TDIBContainer& container, const InputEvent& e, int left, int top,
                            const std::function<void()>& escape);
};

} // namespace parlora
