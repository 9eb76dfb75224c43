#pragma once
// What the main window needs of a screen shown in its container.
#include "core/Surface.h"
#include "platform/Dispatcher.h"
#include "platform/Input.h"

#include <string>
#include <vector>

namespace parlora {

class TScreen {
  public:
    virtual ~TScreen() = default;
    virtual std::string ClassName() const = 0;
    // Draws the whole screen into the 1024 x 768 frame.
    virtual void Paint(Surface& frame) = 0;
    // Draws what changed since the last paint into `frame`, which holds that paint, and returns
    // the areas it drew. Screens that cannot tell draw everything.
    virtual std::vector<Rect> PaintChanged(Surface& frame) {
        Paint(frame);
        return {frame.bounds()};
    }
    virtual void HandleInput(const InputEvent& e) {}
    // The screen is shown and starts its activity.
    virtual void Start() {}
    virtual void QuizStop() {}
    virtual void QuizScore(int score) {}
    virtual void ContentChanged() {}
    Guard guard() const { return lifetime_.guard(); }

  private:
    Lifetime lifetime_;
};

// Stands in for a screen that is not built yet: names its class and parameters.
class TPlaceholderScreen : public TScreen {
  public:
    TPlaceholderScreen(std::string className, std::string parameters)
        : className_(std::move(className)), parameters_(std::move(parameters)) {}
    std::string ClassName() const override { return className_; }
    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;
    // Clicks anywhere call this (the placeholder's way back).
    std::function<void()> onClick;

  private:
    std::string className_, parameters_;
};

} // namespace parlora
