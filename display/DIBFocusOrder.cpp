#include "display/DIBFocusOrder.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBContainer.h"
#include "display/DIBListBox.h"

#include <algorithm>
#include <cstdlib>

namespace parlora {
namespace {

// Twice the middle, so that odd heights need no rounding.
int Middle2(const Rect& r) {
    return 2 * r.y + r.h;
}

bool SameRow(const Rect& a, const Rect& b) {
    return 2 * a.y <= Middle2(b) && Middle2(b) < 2 * a.bottom() && 2 * b.y <= Middle2(a) &&
           Middle2(a) < 2 * b.bottom();
}

bool Clickable(const TCustomDIBControl& e) {
    return dynamic_cast<const TDIBButtonStrip*>(&e) || dynamic_cast<const TDIBListBox*>(&e) ||
           bool(e.OnClick) || bool(e.OnDblClick);
}

// The focusable elements, with `from` among them even when it cannot take the focus just now.
std::vector<TCustomDIBControl*> Candidates(const TDIBContainer& container, TCustomDIBControl* from) {
    std::vector<TCustomDIBControl*> out;
    for (TCustomDIBControl* e : container.Elements())
        if (e == from || TDIBFocusOrder::CanFocus(container, *e)) out.push_back(e);
    return out;
}

} // namespace

bool TDIBFocusOrder::CanFocus(const TDIBContainer& container, const TCustomDIBControl& element) {
    if (element.Container() != &container || !element.Visible() || !element.Enabled() ||
        element.BoundsRect().empty() || !Clickable(element))
        return false;
    FocusPoint p = PressPoint(element);
    return container.ElementAt(p.x, p.y) == &element;
}

FocusPoint TDIBFocusOrder::PressPoint(const TCustomDIBControl& element) {
    Rect r = element.BoundsRect();
    if (auto* list = dynamic_cast<const TDIBListBox*>(&element); list && list->ItemIndex() >= 0) {
        Rect item = list->ItemRect(list->ItemIndex());
        int y = item.y + item.h / 2;
        if (y >= 0 && y < r.h) return {r.x + r.w / 2, r.y + y};
    }
    return {r.x + r.w / 2, r.y + r.h / 2};
}

std::vector<std::vector<TCustomDIBControl*>> TDIBFocusOrder::Rows(std::vector<TCustomDIBControl*> elements) {
    std::stable_sort(elements.begin(), elements.end(), [](TCustomDIBControl* a, TCustomDIBControl* b) {
        int ma = Middle2(a->BoundsRect()), mb = Middle2(b->BoundsRect());
        return ma != mb ? ma < mb : a->Left() < b->Left();
    });
    std::vector<std::vector<TCustomDIBControl*>> rows;
    for (TCustomDIBControl* e : elements) {
        if (!rows.empty() && SameRow(rows.back().front()->BoundsRect(), e->BoundsRect()))
            rows.back().push_back(e);
        else
            rows.push_back({e});
    }
    for (auto& row : rows)
        std::stable_sort(row.begin(), row.end(), [](TCustomDIBControl* a, TCustomDIBControl* b) {
            return a->Left() != b->Left() ? a->Left() < b->Left() : a->Top() < b->Top();
        });
    return rows;
}

std::vector<TCustomDIBControl*> TDIBFocusOrder::ReadingOrder(const TDIBContainer& container) {
    std::vector<TCustomDIBControl*> order;
    for (const auto& row : Rows(Candidates(container, nullptr)))
        order.insert(order.end(), row.begin(), row.end());
    return order;
}

TCustomDIBControl* TDIBFocusOrder::Next(const TDIBContainer& container, TCustomDIBControl* from,
                                        bool backward) {
    std::vector<TCustomDIBControl*> order;
    for (const auto& row : Rows(Candidates(container, from)))
        order.insert(order.end(), row.begin(), row.end());
    auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) {
        if (order.empty()) return nullptr;
        return backward ? order.back() : order.front();
    }
    size_t n = order.size(), i = size_t(at - order.begin());
    // Round the order once; `from` itself only when it is the one element that can take the focus.
    for (size_t step = 1; step <= n; ++step) {
        TCustomDIBControl* e = order[(backward ? i + n - step : i + step) % n];
        if (CanFocus(container, *e)) return e;
    }
    return nullptr;
}

TCustomDIBControl* TDIBFocusOrder::Neighbour(const TDIBContainer& container, TCustomDIBControl* from,
                                             FocusMove move) {
    const auto& all = container.Elements();
    if (!from || std::find(all.begin(), all.end(), from) == all.end()) return Next(container, nullptr, false);
    auto rows = Rows(Candidates(container, from));
    size_t r = 0, c = 0;
    for (r = 0; r < rows.size(); ++r) {
        auto it = std::find(rows[r].begin(), rows[r].end(), from);
        if (it != rows[r].end()) {
            c = size_t(it - rows[r].begin());
            break;
        }
    }
    if (r == rows.size()) return nullptr;
    switch (move) {
    case FocusMove::Left:
        return c > 0 ? rows[r][c - 1] : nullptr;
    case FocusMove::Right:
        return c + 1 < rows[r].size() ? rows[r][c + 1] : nullptr;
    case FocusMove::Up:
    case FocusMove::Down: {
        if (move == FocusMove::Up ? r == 0 : r + 1 >= rows.size()) return nullptr;
        const auto& other = rows[move == FocusMove::Up ? r - 1 : r + 1];
        int mid = 2 * from->Left() + from->Width();
        TCustomDIBControl* best = nullptr;
        int bestDistance = 0;
        for (TCustomDIBControl* e : other) {
            int d = std::abs(2 * e->Left() + e->Width() - mid);
            if (!best || d < bestDistance) best = e, bestDistance = d;
        }
        return best;
    }
    }
    return nullptr;
}

bool TDIBFocusOrder::ArrowKey(const std::string& key, FocusMove& move) {
    static const std::pair<const char*, FocusMove> arrows[] = {{"Left", FocusMove::Left},
                                                               {"Right", FocusMove::Right},
                                                               {"Up", FocusMove::Up},
                                                               {"Down", FocusMove::Down}};
    for (const auto& [name, m] : arrows)
        if (key == name) {
            move = m;
            return true;
        }
    return false;
}

bool TDIBFocusOrder::NavigateOrPress(TDIBContainer& container, const std::string& key,
                                     const std::function<void(const InputEvent&)>& route) {
    if (key == "Tab" || key == "Shift+Tab") {
        if (TCustomDIBControl* next = Next(container, container.Focused(), key != "Tab"))
            container.SetFocus(next, true);
        return true;
    }
    if (key == "Return" || key == "Space") {
        // Only what the ring shows is pressed: a focus left by the mouse is not in sight.
        if (!container.FocusRingShown() || !container.Focused()) return false;
        container.Press(container.Focused(), route);
        return true;
    }
    FocusMove move;
    if (!ArrowKey(key, move)) return false;
    // At an edge the focus stays, and shows where it is.
    TCustomDIBControl* focused = container.Focused();
    TCustomDIBControl* to = Neighbour(container, focused, move);
    if (to || focused) container.SetFocus(to ? to : focused, true);
    return true;
}

void TDIBFocusOrder::DialogInput(TDIBContainer& container, const InputEvent& e, int left, int top,
                                 const std::function<void()>& escape) {
    if (e.kind == InputEvent::Kind::KeyDown) {
        if (e.key == "Escape")
            escape();
        else
            NavigateOrPress(container, e.key,
                            [&container](const InputEvent& click) { container.handleInput(click); });
        return;
    }
    InputEvent local = e;
    local.x -= left;
    local.y -= top;
    container.handleInput(local);
}

} // namespace parlora
